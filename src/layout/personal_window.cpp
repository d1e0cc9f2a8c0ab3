#include "layout/personal_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace personal;

runtime::WindowDef makePersonal() {
  runtime::WindowDef w = workWindow("PERSONAL");
  // Two sort orders only; the exit button keeps the place it has in the other directories.
  w.controls = {
      toolbarStrip(w.toolbarHeight),
      toolbarButton(BUTTON1, "?BUTTON1", "Сортировка по телефону", 3, "Phone.ico"),
      toolbarButton(BUTTON2, "?BUTTON2", "Сортировка по фамилии", 23, "Fio.ico"),
      toolbarButton(BUTTON7, "?BUTTON7", "Завершение работы", 63, "Exit.ico"),
      toolbarRegion(REGION1, "?REGION1", {0, 1, kNaturalSize, 18}),
      groupBox(GROUP1, "?GROUP1", {2, -3, 289, 23}),
      prompt(PROMPT1, "?PROMPT1", "Список отсортирован по фамилиям", {7, 7, 279, 10})
          .in("?GROUP1")
          .centre(),
      groupBox(GROUP2, "?GROUP2", {2, 18, 289, 144}),
      list(LIST_2, "?LIST:2", {5, 25, 283, 132},
           "44L(2)|FM~Телефон~C(0)@s10@24L(2)|FM~Код~C(0)@s5@"
           "123L(2)|FM~Фамилия~C(0)@s30@120L(2)|FM~Примечание~C(0)@s30@")
          .in("?GROUP2"),
      button(INSERT_2, "?INSERT:2", "&Добавить", {8, 115, 41, 11}).in("?GROUP2").hide(),
      button(CHANGE_2, "?CHANGE:2", "&Изменить", {8, 127, 41, 11}).in("?GROUP2").hide(),
      button(DELETE_2, "?DELETE:2", "&Удалить", {8, 139, 41, 11}).in("?GROUP2").hide(),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& personalWindow() {
  static const runtime::WindowDef w = makePersonal();
  return w;
}

}  // namespace phonedir::layout
