#pragma once
// Inside the runtime: the state of one procedure thread, and the one lock that guards the part
// of it other threads reach (its queue of events, its current window) together with the
// registry of threads. Nothing outside src/runtime includes this.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "runtime/backend.h"
#include "runtime/event.h"
#include "runtime/snapshot.h"
#include "runtime/window.h"

namespace runtime::detail {

struct QueuedEvent {
  WindowId window = 0;
  Event event;
  // A Selected the procedure's own select() came after: the user moved the focus before the
  // procedure moved it, so it still reaches the procedure but leaves the focus where it is.
  bool focusSuperseded = false;
};

struct ThreadState {
  ThreadId id = 0;
  bool main = false;  // the program's main procedure: the program ends with it

  // Guarded by lock().
  std::deque<QueuedEvent> queue;
  WindowId top = 0;          // the current window, for posts from other threads
  size_t depth = 0;          // windows open, the current one over the others
  bool waiting = false;      // blocked in event()
  bool closingDown = false;  // part of a close-down: each window that becomes current gets one
  // Wakes this thread alone when it waits in event(): an event queued for it wakes nobody else.
  std::condition_variable wake;
  // Events ever queued for the thread, counted under lock() and read without it by the thread
  // itself while it watches for the next one before sleeping.
  std::atomic<uint64_t> queued{0};

  // The thread's own.
  std::vector<std::unique_ptr<Window>> windows;
  std::map<WindowId, ShownWindow> shown;  // what the backend was last given
  Event current;
  int keyCode = 0;
  int keyChar = 0;
  bool closeDownTaken = false;  // the close request being served is a close-down
  // Set once the procedure has been unwound (halt, stop, fault): the variables its windows
  // are bound to are gone, so its windows close without being shown again.
  bool unwinding = false;
  std::chrono::steady_clock::time_point lastPush;
  WindowId lastPushed = 0;  // the window lastPush was for
  // When the thread last stopped waiting for an event, with the backend up to date.
  std::chrono::steady_clock::time_point wokeAt;
};

// The lock over every thread's shared part and the registries.
std::mutex& lock();
// Under lock(), after a change that any thread may wait for (the program's stop, a close-down,
// a window closed, a thread ended): wakes every procedure thread and whoever waits for the
// program to be idle or finished. An event queued for one thread wakes only that thread
// (queueLocked, deliver).
void notifyAllLocked();
// Under lock(), when the calling thread is about to wait: wakes whoever waits for the program
// to be idle, if it now is.
void notifyIfIdleLocked();
// Watches, for a few microseconds, until `changed` tells that something happened; true if it
// did. On one core it returns at once: the thread it waits for could not run meanwhile.
bool spinUntil(const std::function<bool()>& changed, std::chrono::microseconds limit);
Backend& backend();
Backend* backendOrNull();  // under lock(): null before init()
// The calling thread's state; nullptr on threads the runtime did not start.
ThreadState* self();
// True once the program stops: after a halt, or shutdown().
bool stopped();
void stopProgram();

// Under lock(): every procedure thread still running, by number.
std::map<ThreadId, std::shared_ptr<ThreadState>>& threadsLocked();
ThreadState* findLocked(ThreadId id);
void queueLocked(ThreadState& t, WindowId window, const Event& e);
void queueLocked(ThreadState& t, WindowId window, int code, int control = 0);

// Ends the calling procedure at once: its windows then close without being shown again.
[[noreturn]] void unwind(bool halted);

}  // namespace runtime::detail
