#include "layout/phone_card_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace phone_card;

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
  // The street is chosen through the "..." button; its name is shown, never typed. Tab passes
  // the button by, F4 presses it from any field.
  w.controls = {
      groupBox(GROUP1, "?GROUP1", {2, 2, 175, 71}),
      button(BUTTON3, "?BUTTON3", "...", {47, 41, 11, 11})
          .in("?GROUP1")
          .skipTab()
          .withShortcut("F4"),
      prompt(STR_NAME_PROMPT, "?STR:NAME:PROMPT", "Улица", 8, 41).in("?GROUP1"),
      entry(STR_NAME, "?STR:NAME", {61, 41, 104, 10}, "s19").in("?GROUP1").skipTab(),
      prompt(PHO_PHONE_PROMPT, "?PHO:PHONE:PROMPT", "Телефон", 8, 13),
      entry(PHO_PHONE, "?PHO:PHONE", {61, 13, 40, 10}, "P<#-##-##P"),
      prompt(PHO_FIO_PROMPT, "?PHO:FIO:PROMPT", "Фамилия", 8, 27),
      entry(PHO_FIO, "?PHO:FIO", {61, 27, 104, 10}, "s17"),
      prompt(PHO_HOME_PROMPT, "?PHO:HOME:PROMPT", "Дом", 8, 56),
      entry(PHO_HOME, "?PHO:HOME", {61, 56, 27, 10}, "s4"),
      prompt(PHO_KVART_PROMPT, "?PHO:KVART:PROMPT", "Кв.", 123, 56),
      entry(PHO_KVART, "?PHO:KVART", {137, 56, 27, 10}, "s4"),
      button(OK, "?OK", "&OK", {44, 77, 45, 14}),
      button(CANCEL, "?CANCEL", "О&тменить", {94, 77, 45, 14}),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& phoneCardWindow() {
  static const runtime::WindowDef w = makePhoneCard();
  return w;
}

}  // namespace phonedir::layout
