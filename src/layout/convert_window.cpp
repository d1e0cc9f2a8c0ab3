#include "layout/convert_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace convert;

runtime::WindowDef makeConvert() {
  runtime::WindowDef w;
  w.proc = "CONVERT";
  w.caption = "Структура базы изменена. Придется подожнать";
  w.width = 262;
  w.height = 41;
  w.fontName = "MS Sans Serif";
  w.fontSize = 8;
  w.controls = {
      groupBox(GROUP1, "?GROUP1", {3, 0, 256, 34}),
      prompt(PROMPT1, "?PROMPT1", "Исправление пятизначных номеров", {7, 6, 247, 10}).centre(),
      progressBar(NUM, "?NUM", {7, 17, 247, 8}),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& convertWindow() {
  static const runtime::WindowDef w = makeConvert();
  return w;
}

}  // namespace phonedir::layout
