#include "runtime/runtime.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "runtime/locale/charset.h"
#include "runtime/locale/locale_env.h"
#include "runtime/picture.h"
#include "runtime/snapshot.h"

namespace runtime {
namespace {

constexpr int kMaxThreads = 255;
constexpr int kToolbarFirst = 2000;
constexpr int kToolbarLast = 2012;
// A display() inside a long loop reaches the backend at most this often; event() always
// brings the backend up to date before it blocks.
constexpr auto kDisplayInterval = std::chrono::milliseconds(40);

struct QueuedEvent {
  WindowId window = 0;
  Event event;
};

struct ThreadState {
  ThreadId id = 0;
  // Guarded by Global::mutex.
  std::deque<QueuedEvent> queue;
  WindowId top = 0;  // the current window, for posts from other threads
  bool waiting = false;

  // Owned by the thread itself.
  std::vector<std::unique_ptr<Window>> windows;
  std::map<WindowId, WindowSnapshot> shown;  // what the backend was last given
  Event current;
  int keyCode = 0;
  int keyChar = 0;
  std::chrono::steady_clock::time_point lastPush;
  WindowId lastPushed = 0;  // the window lastPush was for
};

struct Handle {
  std::thread thread;
  std::shared_ptr<std::atomic<bool>> done;
};

struct Global {
  std::mutex mutex;
  std::condition_variable cv;
  Backend* backend = nullptr;
  bool stopping = false;
  std::map<ThreadId, std::shared_ptr<ThreadState>> threads;
  std::map<WindowId, ThreadId> owners;
  WindowId nextWindow = 1;
  std::list<Handle> handles;

  // The frame's toolbar is shared by every thread.
  std::mutex toolbarMutex;
  std::vector<Control> toolbar;
};

Global& g() {
  static Global global;
  return global;
}

thread_local ThreadState* self = nullptr;

Backend& backend() {
  return *g().backend;
}

bool isToolbarNumber(int n) {
  return n >= kToolbarFirst && n <= kToolbarLast;
}

bool hasEventFor(const ThreadState& t, WindowId window) {
  return std::any_of(t.queue.begin(), t.queue.end(),
                     [window](const QueuedEvent& q) { return q.window == window; });
}

bool allIdle(const Global& global) {
  for (const auto& [id, t] : global.threads) {
    if (!t->waiting || hasEventFor(*t, t->top)) return false;
  }
  return true;
}

// Gives the backend the window's current state when it differs from what it was last given.
void push(ThreadState& t, Window& w, bool blocked, bool force = false) {
  WindowSnapshot s = takeSnapshot(w, blocked);
  auto it = t.shown.find(w.id);
  if (!force && it != t.shown.end() && it->second == s) return;
  t.lastPush = std::chrono::steady_clock::now();
  t.lastPushed = w.id;
  backend().updateWindow(s);
  t.shown[w.id] = std::move(s);
}

std::vector<ControlSnapshot> toolbarSnapshot() {
  std::lock_guard lock(g().toolbarMutex);
  std::vector<ControlSnapshot> out;
  for (const Control& c : g().toolbar) out.push_back(takeSnapshot(c));
  return out;
}

// Applies a change to a toolbar button; false when the toolbar has no such button.
template <typename F>
bool changeToolbar(int number, F&& change) {
  {
    std::lock_guard lock(g().toolbarMutex);
    auto it = std::find_if(g().toolbar.begin(), g().toolbar.end(),
                           [number](const Control& c) { return c.number == number; });
    if (it == g().toolbar.end()) return false;
    change(*it);
  }
  backend().updateToolbar(toolbarSnapshot());
  return true;
}

Window* top() {
  if (self == nullptr || self->windows.empty()) return nullptr;
  return self->windows.back().get();
}

// Applies the payload of a user's input to the model; returns the event code the procedure
// sees (Rejected when an entry refused the text), or 0 for notices that are not passed on.
int apply(ThreadState& t, Window& w, Event& e) {
  Control* c = e.field != 0 ? w.find(e.field) : nullptr;
  switch (e.code) {
    case ev::Accepted:
      if (c != nullptr && e.text && c->kind == ControlKind::Entry) {
        const auto text = fromUtf8(*e.text);
        const auto stored = text ? Picture(c->picture).deformat(*text) : std::nullopt;
        if (!stored || !writeBinding(c->binding, *stored)) return ev::Rejected;
      }
      break;
    case ev::NewSelection:
      if (c != nullptr) c->selected = e.value;
      break;
    case ev::ScrollDrag:
      if (c != nullptr) c->thumb = e.value;
      break;
    case ev::AlertKey:
      t.keyCode = e.value;
      t.keyChar = e.keyChar;
      break;
    case ev::Selected:
      if (e.field != 0) w.focus = e.field;
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
    case ev::CloseDown:
      w.closePending = true;
      break;
    case ev::ListGeometry:
      if (c != nullptr) c->rowsShown = e.value;
      return 0;
    default:
      break;
  }
  return e.code;
}

void closeTopWindow(ThreadState& t) {
  if (t.windows.empty()) return;
  const WindowId id = t.windows.back()->id;
  const bool frame = t.windows.back()->def.frame;
  t.windows.pop_back();
  t.shown.erase(id);
  {
    std::lock_guard lock(g().mutex);
    g().owners.erase(id);
    std::erase_if(t.queue, [id](const QueuedEvent& q) { return q.window == id; });
    t.top = t.windows.empty() ? 0 : t.windows.back()->id;
    g().cv.notify_all();
  }
  if (frame) {
    std::lock_guard lock(g().toolbarMutex);
    g().toolbar.clear();
  }
  backend().closeWindow(id);
  if (!t.windows.empty()) push(t, *t.windows.back(), false, true);
}

void threadBody(const std::shared_ptr<ThreadState>& state, const std::function<void()>& proc) {
  self = state.get();
  bool failed = false;
  try {
    proc();
  } catch (const Halted&) {
  } catch (...) {
    failed = true;
  }
  if (failed) {
    // A fault in a procedure stops the program with a message rather than leaving a window
    // that no thread serves.
    try {
      halt(cp("Внутренняя ошибка программы"));
    } catch (const Halted&) {
    }
  }
  while (!state->windows.empty()) closeTopWindow(*state);
  std::lock_guard lock(g().mutex);
  g().threads.erase(state->id);
  g().cv.notify_all();
  self = nullptr;
}

void changeRange(int first, int last, void (*change)(Control&)) {
  if (last == 0) last = first;
  for (int n = first; n <= last; ++n) {
    Window* w = top();
    Control* c = w != nullptr ? w->find(n) : nullptr;
    if (c != nullptr) {
      change(*c);
    } else if (isToolbarNumber(n)) {
      changeToolbar(n, change);
    }
  }
}

Control& inert() {
  thread_local Control stand_in;
  stand_in = Control{};
  return stand_in;
}

}  // namespace

void init(Backend& b) {
  std::lock_guard lock(g().mutex);
  g().backend = &b;
  g().stopping = false;
  g().nextWindow = 1;
}

void shutdown() {
  {
    std::lock_guard lock(g().mutex);
    g().stopping = true;
    g().cv.notify_all();
  }
  std::list<Handle> handles;
  {
    std::lock_guard lock(g().mutex);
    handles.swap(g().handles);
  }
  for (Handle& h : handles) {
    if (h.thread.joinable()) h.thread.join();
  }
  std::lock_guard lock(g().mutex);
  g().threads.clear();
  g().owners.clear();
  std::lock_guard toolbarLock(g().toolbarMutex);
  g().toolbar.clear();
}

ThreadId start(std::function<void()> proc, size_t /*stackSize*/) {
  // The stack size the system asks for is far below what a C++ thread needs; every thread
  // gets the platform's default.
  std::unique_lock lock(g().mutex);
  if (g().stopping) return 0;
  for (auto it = g().handles.begin(); it != g().handles.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = g().handles.erase(it);
    } else {
      ++it;
    }
  }
  ThreadId id = 1;
  while (id <= kMaxThreads && g().threads.count(id) != 0) ++id;
  if (id > kMaxThreads) return 0;
  auto state = std::make_shared<ThreadState>();
  state->id = id;
  g().threads[id] = state;
  auto done = std::make_shared<std::atomic<bool>>(false);
  g().handles.push_back(Handle{std::thread([state, proc = std::move(proc), done] {
                                 threadBody(state, proc);
                                 done->store(true);
                               }),
                               done});
  return id;
}

void runMain(std::function<void()> proc) {
  start([proc = std::move(proc)] {
    proc();
    backend().quit(0);
  });
}

ThreadId thread() {
  return self != nullptr ? self->id : 0;
}

bool stopping() {
  std::lock_guard lock(g().mutex);
  return g().stopping;
}

bool waitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(g().mutex);
  return g().cv.wait_for(lock, timeout, [] { return allIdle(g()); });
}

bool waitFinished(std::chrono::milliseconds timeout) {
  std::unique_lock lock(g().mutex);
  return g().cv.wait_for(lock, timeout, [] { return g().threads.empty(); });
}

WindowId openWindow(const WindowDef& def) {
  ThreadState& t = *self;
  WindowId id = 0;
  {
    std::lock_guard lock(g().mutex);
    id = g().nextWindow++;
    g().owners[id] = t.id;
  }
  auto w = std::make_unique<Window>(def, id, t.id);
  if (def.frame) {
    std::lock_guard lock(g().toolbarMutex);
    g().toolbar.clear();
    for (const Control& c : w->controls) {
      if (isToolbarNumber(c.number)) g().toolbar.push_back(c);
    }
    std::erase_if(w->controls, [](const Control& c) { return isToolbarNumber(c.number); });
  }
  if (Window* previous = top()) push(t, *previous, true, true);
  t.windows.push_back(std::move(w));
  Window& opened = *t.windows.back();
  WindowSnapshot s = takeSnapshot(opened, false);
  backend().openWindow(s);
  t.shown[id] = std::move(s);
  if (def.frame) backend().updateToolbar(toolbarSnapshot());
  std::lock_guard lock(g().mutex);
  t.top = id;
  Event opened_event;
  opened_event.code = ev::OpenWindow;
  t.queue.push_back({id, opened_event});
  g().cv.notify_all();
  return id;
}

void closeWindow() {
  if (self != nullptr) closeTopWindow(*self);
}

bool hasWindow() {
  return top() != nullptr;
}

Window& window() {
  Window* w = top();
  if (w == nullptr) std::abort();  // a procedure asked for its window before opening one
  return *w;
}

Control& control(int number) {
  Window* w = top();
  Control* c = w != nullptr ? w->find(number) : nullptr;
  return c != nullptr ? *c : inert();
}

int controlNumber(std::string_view label) {
  Window* w = top();
  Control* c = w != nullptr ? w->find(label) : nullptr;
  return c != nullptr ? c->number : 0;
}

void bind(int number, const Binding& binding) {
  Window* w = top();
  if (Control* c = w != nullptr ? w->find(number) : nullptr) c->binding = binding;
}

int event() {
  ThreadState& t = *self;
  for (;;) {
    Window* w = top();
    if (w == nullptr) return 0;
    if (w->closePending) {
      t.current = Event{};
      return 0;
    }
    push(t, *w, false);
    QueuedEvent next;
    {
      std::unique_lock lock(g().mutex);
      for (;;) {
        if (g().stopping) {
          t.current = Event{};
          return 0;
        }
        auto it = std::find_if(t.queue.begin(), t.queue.end(),
                               [id = w->id](const QueuedEvent& q) { return q.window == id; });
        if (it != t.queue.end()) {
          next = std::move(*it);
          t.queue.erase(it);
          break;
        }
        t.waiting = true;
        g().cv.notify_all();
        g().cv.wait(lock);
        t.waiting = false;
      }
    }
    const int code = apply(t, *w, next.event);
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
  return self != nullptr ? self->current.field : 0;
}

int accepted() {
  return self != nullptr && self->current.code == ev::Accepted ? self->current.field : 0;
}

int keyCode() {
  return self != nullptr ? self->keyCode : 0;
}
int keyChar() {
  return self != nullptr ? self->keyChar : 0;
}

void setKeyCode(int code) {
  if (self != nullptr) self->keyCode = code;
}

void refuseClose() {
  if (Window* w = top()) w->closePending = false;
}

void select(int number) {
  Window* w = top();
  if (w == nullptr) return;
  if (number == 0) {
    // Entries take their input when it is accepted, so by now every field holds a value its
    // picture allowed: the pass ends at once.
    post(ev::Completed);
    return;
  }
  w->focus = number;
}

int focus() {
  Window* w = top();
  return w != nullptr ? w->focus : 0;
}

void display(int /*control*/) {
  Window* w = top();
  if (w == nullptr) return;
  // Only a window's own recent display holds its next one back: a window displayed for the
  // first time, however soon after another, is shown at once.
  if (self->lastPushed == w->id &&
      std::chrono::steady_clock::now() - self->lastPush < kDisplayInterval) {
    return;
  }
  push(*self, *w, false);
}

void enable(int first, int last) {
  changeRange(first, last, [](Control& c) { c.disabled = false; });
}
void disable(int first, int last) {
  changeRange(first, last, [](Control& c) { c.disabled = true; });
}
void hide(int first, int last) {
  changeRange(first, last, [](Control& c) { c.hidden = true; });
}
void unhide(int first, int last) {
  changeRange(first, last, [](Control& c) { c.hidden = false; });
}

void setTip(int number, std::string_view tip) {
  Window* w = top();
  if (Control* c = w != nullptr ? w->find(number) : nullptr) {
    c->tip = std::string(tip);
  } else if (isToolbarNumber(number)) {
    changeToolbar(number, [&tip](Control& b) { b.tip = std::string(tip); });
  }
}

void post(int code, int number) {
  if (self == nullptr) return;
  std::lock_guard lock(g().mutex);
  if (self->top == 0) return;
  Event e;
  e.code = code;
  e.field = number;
  self->queue.push_back({self->top, e});
  g().cv.notify_all();
}

void postToThread(ThreadId target, int code, int number) {
  WindowId window = 0;
  {
    std::lock_guard lock(g().mutex);
    auto it = g().threads.find(target);
    if (it == g().threads.end() || it->second->top == 0) return;
    window = it->second->top;
    Event e;
    e.code = code;
    e.field = number;
    it->second->queue.push_back({window, e});
    g().cv.notify_all();
  }
  if (code == ev::GainFocus) backend().activateWindow(window);
}

void deliver(WindowId window, const Event& e) {
  std::lock_guard lock(g().mutex);
  auto owner = g().owners.find(window);
  if (owner == g().owners.end()) return;
  auto t = g().threads.find(owner->second);
  if (t == g().threads.end()) return;
  t->second->queue.push_back({window, e});
  g().cv.notify_all();
}

int messageBox(std::string_view text, std::string_view caption, Icon icon, int buttons,
               int defaultButton) {
  if (stopping()) return defaultButton;
  MessageRequest r;
  r.thread = thread();
  r.title = toUtf8(caption);
  r.text = toUtf8(text);
  r.icon = icon;
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  for (int b = 0; b < 8; ++b)
    r.captions.push_back(toUtf8(buttonCaption(static_cast<ButtonKind>(b))));
  if (Window* w = top()) push(*self, *w, false);
  return backend().messageBox(r);
}

int popup(std::string_view menu) {
  if (stopping()) return 0;
  PopupRequest r;
  r.thread = thread();
  r.menu = toUtf8(menu);
  return backend().popup(r);
}

void halt(std::string_view text) {
  backend().halt(toUtf8(text));
  {
    std::lock_guard lock(g().mutex);
    g().stopping = true;
    g().cv.notify_all();
  }
  // A halt is the program's own orderly stop after telling the user why: exit code 0.
  backend().quit(0);
  throw Halted{};
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
