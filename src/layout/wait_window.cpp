#include "layout/wait_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace wait;

runtime::WindowDef makeWait() {
  runtime::WindowDef w;
  w.proc = "BUILDKEYS";
  w.caption = "Ждите...";
  w.width = 442;
  w.height = 38;
  w.fontName = "MS Sans Serif";
  w.fontSize = 8;
  w.infoIcon = true;  // the image shows the system's information icon
  // The message line names the file whose keys are being rebuilt. Its tool tip repeats the
  // picture, as the window has always had it.
  w.controls = {
      fixedString(STRING1, "?STRING1", "Идет переиндексация файла", 32, 7),
      image(IMAGE1, "?IMAGE1", {5, 7, 21, 20}),
      variableString(LOC_WAITMESSAGE, "?LOC:WAITMESSAGE", {32, 18, 400, 8}, "s100").withTip("s100"),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& waitWindow() {
  static const runtime::WindowDef w = makeWait();
  return w;
}

}  // namespace phonedir::layout
