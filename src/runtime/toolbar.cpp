#include "runtime/toolbar.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "runtime/thread_state.h"

namespace runtime::detail {
namespace {

std::mutex buttonsMutex;
std::vector<Control> buttons;  // guarded by buttonsMutex
// Held while a copy is taken and handed over, so copies reach the backend in the order they
// were taken. The backend's updateToolbar() only records the copy, so holding it is short.
std::mutex sendMutex;
thread_local bool changedHere = false;
std::atomic<uint64_t> version{1};

void send() {
  std::lock_guard lock(sendMutex);
  const ThreadState* t = self();
  backend().updateToolbar(t != nullptr ? t->id : 0, toolbarSnapshot());
}

}  // namespace

void setToolbar(std::vector<Control> frameButtons) {
  {
    std::lock_guard lock(buttonsMutex);
    buttons = std::move(frameButtons);
    ++version;
  }
  send();
}

void clearToolbar() {
  std::lock_guard lock(buttonsMutex);
  buttons.clear();
  ++version;
}

void changeToolbar(std::span<const int> numbers, const std::function<bool(Control&)>& change) {
  bool changed = false;
  {
    std::lock_guard lock(buttonsMutex);
    for (Control& c : buttons) {
      // A procedure sets its buttons on every event; only a real change goes to the backend.
      if (std::find(numbers.begin(), numbers.end(), c.number) != numbers.end())
        changed |= change(c);
    }
    if (changed) ++version;
  }
  if (!changed) return;
  // Threads the runtime did not start have no next event(): theirs go out at once.
  if (self() == nullptr) {
    send();
  } else {
    changedHere = true;
  }
}

void flushToolbar() {
  if (!changedHere) return;
  changedHere = false;
  send();
}

std::vector<ControlSnapshot> toolbarSnapshot() {
  std::lock_guard lock(buttonsMutex);
  std::vector<ControlSnapshot> out;
  out.reserve(buttons.size());
  for (const Control& c : buttons) out.push_back(takeSnapshot(c));
  return out;
}

}  // namespace runtime::detail

namespace runtime {

uint64_t toolbarVersion() {
  return detail::version.load();
}

}  // namespace runtime
