// Requests a procedure makes of the backend: message boxes, popups, halt, beep, the cursor.
// Those that block bring the backend up to date first, so the user answers over the window as
// it is; once the program has stopped, a procedure never goes on with an answer.

#include "runtime/locale/charset.h"
#include "runtime/locale/locale_env.h"
#include "runtime/runtime.h"
#include "runtime/toolbar.h"
#include "runtime/window_stack.h"

namespace runtime {
namespace {

using namespace detail;

void showCurrent() {
  flushToolbar();
  if (Window* w = topWindow()) push(*self(), *w, false);
}

// After a halt nothing the user answers is acted on: the procedure is ended instead.
void endIfStopped() {
  if (stopped() && self() != nullptr) unwind(false);
}

}  // namespace

int messageBox(std::string_view text, std::string_view caption, Icon icon, int buttons,
               int defaultButton) {
  endIfStopped();
  if (stopped()) return defaultButton;
  MessageRequest r;
  r.thread = thread();
  r.title = toUtf8(caption);
  r.text = toUtf8(text);
  r.icon = icon;
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  for (int b = 0; b < 8; ++b)
    r.captions.push_back(toUtf8(buttonCaption(static_cast<ButtonKind>(b))));
  showCurrent();
  const int answer = backend().messageBox(r);
  endIfStopped();
  return answer;
}

int popup(std::string_view menu) {
  endIfStopped();
  if (stopped()) return 0;
  PopupRequest r;
  r.thread = thread();
  r.menu = toUtf8(menu);
  showCurrent();
  const int item = backend().popup(r);
  endIfStopped();
  return item;
}

void halt(std::string_view text) {
  backend().halt(toUtf8(text));
  stopProgram();
  // A halt is the program's own orderly stop after telling the user why: exit code 0.
  backend().quit(0);
  unwind(true);
}

void beep() {
  backend().beep();
}

void setWaitCursor(bool on) {
  backend().setWaitCursor(thread(), on);
}

ThreadId activeThread() {
  return backend().activeThread();
}

}  // namespace runtime
