#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

runtime::WindowDef makePhoneCard() {
  runtime::WindowDef w;
  w.proc = "UPDATEPHONE";
  w.caption = "Телефонная карточка";  // the form shows its request's caption instead
  w.width = 179;
  w.height = 95;
  w.fontName = "MS Sans Serif";
  w.fontSize = 8;
  w.helpId = "UpdatePhone";
  w.resizable = true;
  // The street is chosen through the "..." button; its name is shown, never typed.
  w.controls = {
      groupBox(1, "?GROUP1", {2, 2, 175, 71}),
      button(2, "?BUTTON3", "...", {47, 41, 11, 11}).in("?GROUP1").skipTab(),
      prompt(3, "?STR:NAME:PROMPT", "Улица", 8, 41).in("?GROUP1"),
      entry(4, "?STR:NAME", {61, 41, 104, 10}, "s19").in("?GROUP1").skipTab(),
      prompt(5, "?PHO:PHONE:PROMPT", "Телефон", 8, 13),
      entry(6, "?PHO:PHONE", {61, 13, 40, 10}, "P<#-##-##P"),
      prompt(7, "?PHO:FIO:PROMPT", "Фамилия", 8, 27),
      entry(8, "?PHO:FIO", {61, 27, 104, 10}, "s17"),
      prompt(9, "?PHO:HOME:PROMPT", "Дом", 8, 56),
      entry(10, "?PHO:HOME", {61, 56, 27, 10}, "s4"),
      prompt(11, "?PHO:KVART:PROMPT", "Кв.", 123, 56),
      entry(12, "?PHO:KVART", {137, 56, 27, 10}, "s4"),
      button(13, "?OK", "&OK", {44, 77, 45, 14}),
      button(14, "?CANCEL", "О&тменить", {94, 77, 45, 14}),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& phoneCardWindow() {
  static const runtime::WindowDef w = makePhoneCard();
  return w;
}

}  // namespace phonedir::layout
