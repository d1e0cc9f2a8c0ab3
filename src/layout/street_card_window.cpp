#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

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
      groupBox(1, "?GROUP1", {4, 1, 227, 47}),
      prompt(2, "?STR:NUM:PROMPT", "Условный номер", 8, 14),
      entry(3, "?STR:NUM", {76, 14, 60, 10}, "n_8"),
      prompt(4, "?STR:NAME:PROMPT", "Название улицы", 8, 28),
      entry(5, "?STR:NAME", {76, 28, 147, 11}, "s19"),
      button(6, "?OK", "&OK", {61, 52, 45, 14}),
      button(7, "?CANCEL", "О&тменить", {127, 52, 45, 14}),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& streetCardWindow() {
  static const runtime::WindowDef w = makeStreetCard();
  return w;
}

}  // namespace phonedir::layout
