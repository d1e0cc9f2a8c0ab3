#include "layout/street_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace street;

runtime::WindowDef makeStreet() {
  runtime::WindowDef w;
  w.proc = "STREET";
  w.caption = "Справочник улиц";
  w.width = 151;
  w.height = 233;
  w.fontName = "MS Sans Serif";
  w.fontSize = 8;
  w.helpId = "Street";
  w.resizable = true;
  // The entry above the list shows the highlighted street's name and is never edited here.
  // The insert, change and delete buttons stay hidden: the frame's toolbar carries them.
  w.controls = {
      list(BROWSE_1, "?BROWSE:1", {8, 20, 135, 191}, "80L(2)|M~Улица~C@s19@")
          .withStatus("Просмотр записей"),
      entry(STR_NAME, "?STR:NAME", {8, 4, 135, 11}, "s19").disable().skipTab(),
      button(SELECT_2, "?SELECT:2", "&Выбрать", {53, 215, 45, 14}),
      button(INSERT_3, "?INSERT:3", "&Добавить", {11, 151, 45, 14}).hide(),
      button(CHANGE_3, "?CHANGE:3", "&Изменить", {11, 167, 45, 14}).hide(),
      button(DELETE_3, "?DELETE:3", "&Удалить", {11, 183, 45, 14}).hide(),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& streetWindow() {
  static const runtime::WindowDef w = makeStreet();
  return w;
}

}  // namespace phonedir::layout
