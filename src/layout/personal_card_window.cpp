#include "layout/personal_card_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace personal_card;

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
      prompt(PER_PHONE_PROMPT, "?PER:PHONE:PROMPT", "Телефон", 19, 9),
      entry(PER_PHONE, "?PER:PHONE", {73, 9, 44, 10}, "s10"),
      prompt(PER_KOD_PROMPT, "?PER:KOD:PROMPT", "Код", 137, 9),
      entry(PER_KOD, "?PER:KOD", {157, 9, 40, 10}, "s5"),
      prompt(PER_NAME_PROMPT, "?PER:NAME:PROMPT", "Фамилия", 19, 24),
      entry(PER_NAME, "?PER:NAME", {73, 24, 124, 10}, "s30"),
      prompt(PER_PRIM_PROMPT, "?PER:PRIM:PROMPT", "Примечание", 19, 38),
      entry(PER_PRIM, "?PER:PRIM", {73, 38, 124, 10}, "s30"),
      button(OK, "?OK", "&OK", {50, 61, 45, 14}),
      button(CANCEL, "?CANCEL", "О&тменить", {111, 61, 45, 14}),
      groupBox(GROUP1, "?GROUP1", {2, 0, 203, 57}),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& personalCardWindow() {
  static const runtime::WindowDef w = makePersonalCard();
  return w;
}

}  // namespace phonedir::layout
