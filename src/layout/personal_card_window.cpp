#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

runtime::WindowDef makePersonalCard() {
  runtime::WindowDef w;
  w.proc = "PERS_UPD";
  w.caption = "Карточка";  // the form shows its request's caption instead
  w.width = 208;
  w.height = 79;
  w.fontName = "MS Sans Serif";
  w.fontSize = 8;
  w.helpId = "Pers_Upd";
  w.resizable = true;
  // The group box comes last and frames the four fields by position only: it contains none of
  // them, so the fields keep the first numbers.
  w.controls = {
      prompt(1, "?PER:PHONE:PROMPT", "Телефон", 19, 9),
      entry(2, "?PER:PHONE", {73, 9, 44, 10}, "s10"),
      prompt(3, "?PER:KOD:PROMPT", "Код", 137, 9),
      entry(4, "?PER:KOD", {157, 9, 40, 10}, "s5"),
      prompt(5, "?PER:NAME:PROMPT", "Фамилия", 19, 24),
      entry(6, "?PER:NAME", {73, 24, 124, 10}, "s30"),
      prompt(7, "?PER:PRIM:PROMPT", "Примечание", 19, 38),
      entry(8, "?PER:PRIM", {73, 38, 124, 10}, "s30"),
      button(9, "?OK", "&OK", {50, 61, 45, 14}),
      button(10, "?CANCEL", "О&тменить", {111, 61, 45, 14}),
      groupBox(11, "?GROUP1", {2, 0, 203, 57}),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& personalCardWindow() {
  static const runtime::WindowDef w = makePersonalCard();
  return w;
}

}  // namespace phonedir::layout
