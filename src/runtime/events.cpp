// The event loop's side of the runtime: queues of events per thread, what taking an event
// does to the window model, and posts between threads.

#include <algorithm>
#include <optional>

#include "runtime/close_down.h"
#include "runtime/locale/charset.h"
#include "runtime/picture.h"
#include "runtime/runtime.h"
#include "runtime/toolbar.h"
#include "runtime/window_stack.h"

namespace runtime {
namespace {

using namespace detail;

// Applies the payload of a user's input to the model; returns the event code the procedure
// sees (Rejected when an entry refused the text), or 0 for what is not passed on.
int apply(ThreadState& t, Window& w, const QueuedEvent& q) {
  const Event& e = q.event;
  Control* c = e.field != 0 ? w.find(e.field) : nullptr;
  if (e.key != -1) {
    // Every user input replaces the key code: a left click after a right click is no longer
    // taken for the right click.
    t.keyCode = e.key;
    t.keyChar = e.keyChar;
  }
  switch (e.code) {
    case ev::Accepted:
      if (c != nullptr && e.text && c->kind == ControlKind::Entry) {
        const auto text = fromUtf8(*e.text);
        const auto stored = text ? Picture(c->picture).deformat(*text) : std::nullopt;
        if (!stored || !writeBinding(c->binding, *stored)) return ev::Rejected;
      }
      break;
    case ev::NewSelection:
      // A new selection the procedure posts itself carries no row: the list keeps its own.
      if (c != nullptr && e.value > 0) c->selected = e.value;
      break;
    case ev::ScrollDrag:
      if (c != nullptr) c->thumb = e.value;
      break;
    case ev::AlertKey:
      if (e.key == -1) {  // posted, or from a backend that names the key only in the value
        t.keyCode = e.value;
        t.keyChar = e.keyChar;
      }
      break;
    case ev::Selected:
      if (e.field != 0 && !q.focusSuperseded) w.focus = e.field;
      break;
    case ev::Moved:
      w.x = e.x;
      w.y = e.y;
      break;
    case ev::Sized:
      w.width = std::max(e.width, w.minWidth);
      w.height = std::max(e.height, w.minHeight);
      break;
    case ev::CloseWindow:
      if (w.def.frame) {
        // Closing the frame closes the program: the other threads are asked first.
        std::lock_guard guard(lock());
        requestCloseDownLocked();
        return 0;
      }
      w.closePending = true;
      t.closeDownTaken = false;
      break;
    case ev::CloseDown:
      w.closePending = true;
      t.closeDownTaken = true;
      break;
    case ev::ListGeometry:
      if (c != nullptr) c->rowsShown = e.value;
      return 0;
    default:
      break;
  }
  return e.code;
}

}  // namespace

int event() {
  ThreadState& t = *self();
  for (;;) {
    Window* w = topWindow();
    if (w == nullptr) return 0;
    if (w->closePending) {
      t.current = Event{};
      return 0;
    }
    flushToolbar();
    QueuedEvent next;
    bool shown = false;
    bool watched = false;
    {
      std::unique_lock guard(lock());
      for (;;) {
        if (stopped()) {
          t.current = Event{};
          return 0;
        }
        if (closeDownDoneLocked(t, w->id)) {
          w->closePending = true;
          t.current = Event{};
          return 0;
        }
        auto it = std::find_if(t.queue.begin(), t.queue.end(),
                               [id = w->id](const QueuedEvent& q) { return q.window == id; });
        // The backend is brought up to date before the thread waits, and not between the
        // events already queued (such as one the procedure posted itself), unless they have
        // kept the thread busy for a display interval.
        if (it != t.queue.end() &&
            (shown || std::chrono::steady_clock::now() - t.wokeAt < kDisplayInterval)) {
          next = std::move(*it);
          t.queue.erase(it);
          break;
        }
        if (!shown) {
          guard.unlock();
          push(t, *w, false);
          shown = true;
          guard.lock();
          continue;
        }
        t.waiting = true;
        notifyIfIdleLocked();
        if (!watched) {
          // The next event often follows at once (the next key of a user's typing, a post
          // from another window): watched for before sleeping, it needs no wake-up.
          watched = true;
          const uint64_t before = t.queued;
          guard.unlock();
          spinUntil([&t, before] { return t.queued != before || stopped(); },
                    std::chrono::microseconds(50));
          guard.lock();
          t.waiting = false;
          t.wokeAt = std::chrono::steady_clock::now();
          continue;
        }
        t.wake.wait(guard);
        t.waiting = false;
        t.wokeAt = std::chrono::steady_clock::now();
      }
    }
    const int code = apply(t, *w, next);
    if (next.event.text) {
      // The entry shows what the user typed until the backend hears otherwise; make sure it
      // does, even when the model's value ends up as it was before.
      t.shown.erase(w->id);
    }
    if (code == 0) continue;
    next.event.code = code;
    t.current = next.event;
    return code;
  }
}

int field() {
  return self() != nullptr ? self()->current.field : 0;
}

int accepted() {
  ThreadState* t = self();
  return t != nullptr && t->current.code == ev::Accepted ? t->current.field : 0;
}

int keyCode() {
  return self() != nullptr ? self()->keyCode : 0;
}

int keyChar() {
  return self() != nullptr ? self()->keyChar : 0;
}

void setKeyCode(int code) {
  if (ThreadState* t = self()) t->keyCode = code;
}

void refuseClose() {
  ThreadState* t = self();
  Window* w = topWindow();
  if (t == nullptr || w == nullptr) return;
  w->closePending = false;
  if (t->closeDownTaken) {
    t->closeDownTaken = false;
    std::lock_guard guard(lock());
    refuseCloseDownLocked();
  }
}

void post(int code, int number) {
  ThreadState* t = self();
  if (t == nullptr) return;
  std::lock_guard guard(lock());
  if (t->top != 0) queueLocked(*t, t->top, code, number);
}

void postToThread(ThreadId target, int code, int number) {
  WindowId window = 0;
  {
    std::lock_guard guard(lock());
    ThreadState* t = findLocked(target);
    if (t == nullptr || t->top == 0) return;
    window = t->top;
    queueLocked(*t, window, code, number);
  }
  if (code == ev::GainFocus) backend().activateWindow(window);
}

void deliver(WindowId window, const Event& e) {
  std::lock_guard guard(lock());
  if (e.code == ev::CloseWindow && isFrameLocked(window)) {
    // Asked at once, not when the frame's thread takes the event: that thread may be busy with
    // long work that is to stop.
    requestCloseDownLocked();
    return;
  }
  const auto owner = ownerLocked(window);
  ThreadState* t = owner ? findLocked(*owner) : nullptr;
  if (t == nullptr) return;
  queueLocked(*t, window, e);
}

}  // namespace runtime
