#include "layout/street_card_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace street_card;

runtime::WindowDef makeStreetCard() {
  runtime::WindowDef w;
  w.proc = "STREET_UPD";
  w.caption = "Карточка улицы";  // the form shows its request's caption instead
  w.width = 237;
  w.height = 70;
  w.fontName = "MS Sans Serif";
  w.fontSize = 8;
  w.helpId = "Street_Upd";
  w.resizable = true;
  w.controls = {
      groupBox(GROUP1, "?GROUP1", {4, 1, 227, 47}),
      prompt(STR_NUM_PROMPT, "?STR:NUM:PROMPT", "Условный номер", 8, 14),
      entry(STR_NUM, "?STR:NUM", {76, 14, 60, 10}, "n_8"),
      prompt(STR_NAME_PROMPT, "?STR:NAME:PROMPT", "Название улицы", 8, 28),
      entry(STR_NAME, "?STR:NAME", {76, 28, 147, 11}, "s19"),
      button(OK, "?OK", "&OK", {61, 52, 45, 14}),
      button(CANCEL, "?CANCEL", "О&тменить", {127, 52, 45, 14}),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& streetCardWindow() {
  static const runtime::WindowDef w = makeStreetCard();
  return w;
}

}  // namespace phonedir::layout
