#include "runtime/close_down.h"

#include <atomic>

#include "runtime/runtime.h"

namespace runtime {
namespace detail {
namespace {

std::atomic<bool> active{false};
WindowId frameWindow = 0;  // guarded by lock()
ThreadId frameThread = 0;

}  // namespace

bool closeDownActive() {
  return active.load();
}

void resetCloseDownLocked() {
  active = false;
  frameWindow = 0;
  frameThread = 0;
}

void frameOpenedLocked(ThreadState& t, WindowId frame) {
  frameWindow = frame;
  frameThread = t.id;
  t.closingDown = false;  // the frame closes last, by itself
}

void frameClosedLocked(WindowId window) {
  if (window != frameWindow) return;
  frameWindow = 0;
  frameThread = 0;
}

bool isFrameLocked(WindowId window) {
  return window != 0 && window == frameWindow;
}

void requestCloseDownLocked() {
  if (active || stopped()) return;
  active = true;
  askNextLocked();
  notifyAllLocked();
}

void askNextLocked() {
  if (!active) return;
  ThreadState* next = nullptr;
  for (auto& [id, t] : threadsLocked()) {
    if (id == frameThread || t->depth == 0) continue;
    if (t->closingDown) return;  // one thread at a time, so the order is always the same
    if (next == nullptr || (t->depth > 1 && next->depth <= 1)) next = t.get();
  }
  if (next == nullptr) return;
  next->closingDown = true;
  windowBecameCurrentLocked(*next);
}

void refuseCloseDownLocked() {
  if (!active) return;
  active = false;
  for (auto& [id, t] : threadsLocked()) {
    t->closingDown = false;
    std::erase_if(t->queue, [](const QueuedEvent& q) { return q.event.code == ev::CloseDown; });
  }
  notifyAllLocked();
}

void windowBecameCurrentLocked(ThreadState& t) {
  if (active && t.closingDown && t.top != 0) queueLocked(t, t.top, ev::CloseDown);
}

bool closeDownDoneLocked(const ThreadState& t, WindowId window) {
  if (!active || window != frameWindow) return false;
  for (const auto& [id, other] : threadsLocked()) {
    if (id != t.id) return false;
  }
  return true;
}

}  // namespace detail

void closeFrame() {
  std::lock_guard guard(detail::lock());
  if (!detail::stopped()) detail::requestCloseDownLocked();
}

void closeFromOutside() {
  std::lock_guard guard(detail::lock());
  if (detail::stopped()) return;
  Backend* backend = detail::backendOrNull();
  if (backend == nullptr || !backend->closeFromOutside()) detail::requestCloseDownLocked();
}

}  // namespace runtime
