// Opening and closing windows, and the calls a procedure makes on its current window.

#include "runtime/window_stack.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <span>
#include <utility>

#include "runtime/close_down.h"
#include "runtime/runtime.h"
#include "runtime/toolbar.h"

namespace runtime {
namespace detail {
namespace {

std::map<WindowId, ThreadId> owners;  // guarded by lock()
WindowId nextWindow = 1;

Control& inert() {
  thread_local Control standIn;
  standIn = Control{};
  return standIn;
}

Control* find(int number) {
  Window* w = topWindow();
  return w != nullptr ? w->find(number) : nullptr;
}

// The shared toolbar's buttons: the frame's buttons on its toolbar strip.
bool isToolbarButton(const Control& c) {
  return c.inToolbar && c.kind == ControlKind::Button && c.number != 0;
}

// `change` tells whether it changed the control. A number the window has no control of is a
// toolbar button's.
void changeRange(int first, int last, bool (*change)(Control&)) {
  if (last == 0) last = first;
  Window* w = topWindow();
  auto inWindow = [w, change](int n) { return w != nullptr && w->change(n, change); };
  if (first == last) {  // the usual call, on every event: no list of numbers
    if (!inWindow(first)) changeToolbar(std::span<const int>(&first, 1), change);
    return;
  }
  std::vector<int> onToolbar;
  for (int n = first; n <= last; ++n) {
    if (!inWindow(n)) onToolbar.push_back(n);
  }
  if (!onToolbar.empty()) changeToolbar(onToolbar, change);
}

}  // namespace

Window* topWindow() {
  ThreadState* t = self();
  if (t == nullptr || t->windows.empty()) return nullptr;
  return t->windows.back().get();
}

void push(ThreadState& t, Window& w, bool blocked, bool force) {
  if (t.unwinding || std::uncaught_exceptions() > 0) return;
  ShownWindow& shown = t.shown[w.id];
  const bool changed = shown.update(w, blocked);
  // The backend shows the window as it stands now, whether or not this push had to tell it
  // anything: a display() soon after need not compare the whole window again.
  t.lastPush = std::chrono::steady_clock::now();
  t.lastPushed = w.id;
  if (!changed && !force) return;
  backend().updateWindow(shown.snapshot());
}

void closeTop(ThreadState& t) {
  if (t.windows.empty()) return;
  const WindowId id = t.windows.back()->id;
  const bool frame = t.windows.back()->def.frame;
  t.windows.pop_back();
  t.shown.erase(id);
  {
    std::lock_guard guard(lock());
    owners.erase(id);
    std::erase_if(t.queue, [id](const QueuedEvent& q) { return q.window == id; });
    t.top = t.windows.empty() ? 0 : t.windows.back()->id;
    t.depth = t.windows.size();
    frameClosedLocked(id);
    windowBecameCurrentLocked(t);
    notifyAllLocked();
  }
  if (frame) clearToolbar();
  backend().closeWindow(id);
  if (t.windows.empty()) {
    std::lock_guard guard(lock());
    askNextLocked();
    notifyAllLocked();
  }
  if (!t.windows.empty()) push(t, *t.windows.back(), false, true);
}

std::optional<ThreadId> ownerLocked(WindowId window) {
  auto it = owners.find(window);
  if (it == owners.end()) return std::nullopt;
  return it->second;
}

void resetWindowsLocked() {
  owners.clear();
  nextWindow = 1;
}

}  // namespace detail

using namespace detail;

WindowId openWindow(const WindowDef& def) {
  ThreadState& t = *self();
  WindowId id = 0;
  {
    std::lock_guard guard(lock());
    id = nextWindow++;
    owners[id] = t.id;
  }
  auto w = std::make_unique<Window>(def, id, t.id);
  std::vector<Control> toolbar;
  if (def.frame) {
    std::copy_if(w->controls.begin(), w->controls.end(), std::back_inserter(toolbar),
                 isToolbarButton);
    std::erase_if(w->controls, isToolbarButton);
  }
  if (Window* previous = topWindow()) push(t, *previous, true, true);
  t.windows.push_back(std::move(w));
  ShownWindow& shown = t.shown[id];
  shown.update(*t.windows.back(), false);
  backend().openWindow(shown.snapshot());
  if (def.frame) setToolbar(std::move(toolbar));
  std::lock_guard guard(lock());
  t.top = id;
  t.depth = t.windows.size();
  if (def.frame) frameOpenedLocked(t, id);
  queueLocked(t, id, ev::OpenWindow);
  windowBecameCurrentLocked(t);
  // A thread that had no window yet when the program began to close (still opening its files)
  // was passed over; unless another thread is being asked, it is asked now.
  askNextLocked();
  return id;
}

void closeWindow() {
  if (ThreadState* t = self()) closeTop(*t);
}

bool hasWindow() {
  return topWindow() != nullptr;
}

Window& window() {
  Window* w = topWindow();
  if (w == nullptr) std::abort();  // a procedure asked for its window before opening one
  return *w;
}

namespace {

// A number the window lacks is a fault in the procedure; Debug builds stop where it happened.
Control& missing([[maybe_unused]] int number) {
#ifndef NDEBUG
  if (number != 0) {
    const Window* w = topWindow();
    std::fprintf(stderr, "control %d is not in window %s\n", number,
                 w != nullptr ? w->proc.c_str() : "(none: no window open)");
    std::abort();
  }
#endif
  return inert();
}

}  // namespace

Control& control(int number) {
  if (Control* c = find(number)) return *c;
  return missing(number);
}

const Control& readControl(int number) {
  const Window* w = topWindow();
  if (const Control* c = w != nullptr ? w->find(number) : nullptr) return *c;
  return missing(number);
}

int controlNumber(std::string_view label) {
  const Window* w = topWindow();
  const Control* c = w != nullptr ? w->find(label) : nullptr;
  return c != nullptr ? c->number : 0;
}

void bind(int number, const Binding& binding) {
  if (Control* c = find(number)) c->binding = binding;
}

void alert(int number, int keyCode) {
  Control* c = find(number);
  if (c == nullptr) return;
  if (std::find(c->alertKeys.begin(), c->alertKeys.end(), keyCode) == c->alertKeys.end())
    c->alertKeys.push_back(keyCode);
}

void clearAlerts(int number) {
  if (Control* c = find(number)) c->alertKeys.clear();
}

void select(int number) {
  Window* w = topWindow();
  if (w == nullptr) return;
  if (number == 0) {
    // Entries take their input when it is accepted, so by now every field holds a value its
    // picture allowed: the pass ends at once.
    post(ev::Completed);
    return;
  }
  w->focus = number;
  ++w->focusMoves;
  // The focus moves the user made that are still queued came before this one: they must not
  // undo it (a Tab out of a field whose text is then rejected and selected again). The
  // backend has moved its focus already, so it is sent the whole window again.
  ThreadState& t = *self();
  bool superseded = false;
  {
    std::lock_guard guard(lock());
    for (QueuedEvent& q : t.queue) {
      if (q.window == w->id && q.event.code == ev::Selected && q.event.field != number &&
          !q.focusSuperseded) {
        q.focusSuperseded = true;
        superseded = true;
      }
    }
  }
  if (superseded) t.shown.erase(w->id);
}

int focus() {
  Window* w = topWindow();
  return w != nullptr ? w->focus : 0;
}

void display(int /*control*/) {
  Window* w = topWindow();
  if (w == nullptr) return;
  // Only a window's own recent display holds its next one back: a window displayed for the
  // first time, however soon after another, is shown at once.
  if (self()->lastPushed == w->id &&
      std::chrono::steady_clock::now() - self()->lastPush < kDisplayInterval) {
    return;
  }
  push(*self(), *w, false);
}

void enable(int first, int last) {
  changeRange(first, last, [](Control& c) { return std::exchange(c.disabled, false); });
}
void disable(int first, int last) {
  changeRange(first, last, [](Control& c) { return !std::exchange(c.disabled, true); });
}
void hide(int first, int last) {
  changeRange(first, last, [](Control& c) { return !std::exchange(c.hidden, true); });
}
void unhide(int first, int last) {
  changeRange(first, last, [](Control& c) { return std::exchange(c.hidden, false); });
}

void setTip(int number, std::string_view tip) {
  if (Control* c = find(number)) {
    c->tip = std::string(tip);
  } else {
    const int numbers[] = {number};
    changeToolbar(numbers, [&tip](Control& b) {
      if (b.tip == tip) return false;
      b.tip = std::string(tip);
      return true;
    });
  }
}

}  // namespace runtime
