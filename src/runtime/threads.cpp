// Procedure threads: their numbers, their start and end, and the program's stop.

#include <algorithm>
#include <atomic>
#include <list>
#include <thread>

#include "runtime/close_down.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "runtime/thread_state.h"
#include "runtime/toolbar.h"
#include "runtime/window_stack.h"

namespace runtime {
namespace detail {
namespace {

constexpr int kMaxThreads = 255;

struct Handle {
  std::thread thread;
  std::shared_ptr<std::atomic<bool>> done;
};

std::mutex mutex;
// Waited on by waitIdle() and waitFinished(); the procedure threads wait on their own.
std::condition_variable settled;
Backend* current = nullptr;
std::atomic<bool> stopFlag{false};
std::map<ThreadId, std::shared_ptr<ThreadState>> threads;  // guarded by mutex
std::atomic<uint64_t> idleTimes{0};  // the program found idle, counted under mutex
std::list<Handle> handles;           // guarded by mutex
thread_local ThreadState* me = nullptr;

bool allIdleLocked() {
  for (const auto& [id, t] : threads) {
    if (!t->waiting) return false;
    const WindowId top = t->top;
    if (std::any_of(t->queue.begin(), t->queue.end(),
                    [top](const QueuedEvent& q) { return q.window == top; }))
      return false;
  }
  return true;
}

void threadBody(const std::shared_ptr<ThreadState>& state, const std::function<void()>& proc) {
  me = state.get();
  bool failed = false;
  try {
    proc();
  } catch (const Halted&) {
    state->unwinding = true;
  } catch (const Stopped&) {
    state->unwinding = true;
  } catch (...) {
    state->unwinding = true;
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
  flushToolbar();
  while (!state->windows.empty()) closeTop(*state);
  // Before the thread counts as ended, so that whoever waits for the end finds the program
  // asked to quit.
  if (state->main) current->quit(0);
  {
    std::lock_guard lock(mutex);
    threads.erase(state->id);
    notifyAllLocked();
  }
  me = nullptr;
}

}  // namespace

std::mutex& lock() {
  return mutex;
}
void notifyAllLocked() {
  for (auto& [id, t] : threads) t->wake.notify_all();
  settled.notify_all();
}

void notifyIfIdleLocked() {
  if (!allIdleLocked()) return;
  ++idleTimes;
  settled.notify_all();
}

bool spinUntil(const std::function<bool()>& changed, std::chrono::microseconds limit) {
  static const bool worthIt = std::thread::hardware_concurrency() > 1;
  if (!worthIt) return changed();
  // Yielding at every turn: the thread waited for may be queued on this very core (the
  // kernel often wakes a thread where its waker runs), and must not wait for the watch to end.
  const auto until = std::chrono::steady_clock::now() + limit;
  do {
    if (changed()) return true;
    std::this_thread::yield();
  } while (std::chrono::steady_clock::now() < until);
  return changed();
}
Backend& backend() {
  return *current;
}
Backend* backendOrNull() {
  return current;
}
ThreadState* self() {
  return me;
}
bool stopped() {
  return stopFlag.load();
}

std::map<ThreadId, std::shared_ptr<ThreadState>>& threadsLocked() {
  return threads;
}

ThreadState* findLocked(ThreadId id) {
  auto it = threads.find(id);
  return it != threads.end() ? it->second.get() : nullptr;
}

void queueLocked(ThreadState& t, WindowId window, const Event& e) {
  t.queue.push_back({window, e});
  ++t.queued;
  t.wake.notify_one();
}

void queueLocked(ThreadState& t, WindowId window, int code, int control) {
  Event e;
  e.code = code;
  e.field = control;
  queueLocked(t, window, e);
}

void stopProgram() {
  std::lock_guard lock(mutex);
  stopFlag = true;
  notifyAllLocked();
}

void unwind(bool halted) {
  if (me != nullptr) me->unwinding = true;
  if (halted) throw Halted{};
  throw Stopped{};
}

}  // namespace detail

using namespace detail;

void init(Backend& b) {
  std::lock_guard lock(mutex);
  current = &b;
  stopFlag = false;
  resetWindowsLocked();
  // The close-down state is not reset here (shutdown() leaves it clear): a close asked for
  // while the program was still starting, a session ending meanwhile, must not be lost.
}

void shutdown() {
  std::list<Handle> ending;
  {
    std::lock_guard lock(mutex);
    stopFlag = true;
    notifyAllLocked();
    ending.swap(handles);
  }
  // Never joined under the lock: an ending thread may still need it.
  for (Handle& h : ending) {
    if (h.thread.joinable()) h.thread.join();
  }
  std::lock_guard lock(mutex);
  threads.clear();
  resetWindowsLocked();
  resetCloseDownLocked();
  clearToolbar();
}

namespace {

ThreadId startThread(std::function<void()> proc, bool main) {
  std::list<Handle> ended;
  ThreadId id = 1;
  {
    std::lock_guard lock(mutex);
    if (stopFlag || closeDownActive()) return 0;
    for (auto it = handles.begin(); it != handles.end();) {
      auto next = std::next(it);
      if (it->done->load()) ended.splice(ended.end(), handles, it);
      it = next;
    }
    while (id <= kMaxThreads && threads.count(id) != 0) ++id;
    if (id <= kMaxThreads) {
      auto state = std::make_shared<ThreadState>();
      state->id = id;
      state->main = main;
      threads[id] = state;
      auto done = std::make_shared<std::atomic<bool>>(false);
      handles.push_back(Handle{std::thread([state, proc = std::move(proc), done] {
                                 threadBody(state, proc);
                                 done->store(true);
                               }),
                               done});
    }
  }
  // Ended threads are joined outside the lock: their thread-local state is destroyed after
  // they count as done, and may still call into the runtime.
  for (Handle& h : ended) h.thread.join();
  return id <= kMaxThreads ? id : 0;
}

}  // namespace

ThreadId start(std::function<void()> proc, size_t /*stackSize*/) {
  // The stack size the system asks for is far below what a C++ thread needs; every thread
  // gets the platform's default.
  return startThread(std::move(proc), false);
}

void runMain(std::function<void()> proc) {
  // Refused when a close was asked for before it: nothing is open yet, so the program ends
  // at once; the backend's loop would otherwise wait for a main procedure that never runs.
  if (startThread(std::move(proc), true) == 0) current->quit(0);
}

ThreadId thread() {
  return me != nullptr ? me->id : 0;
}

bool stopping() {
  return stopFlag.load() || closeDownActive();
}

void stopThread() {
  unwind(false);
}

bool waitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex);
  if (allIdleLocked()) return true;
  // Most events are served within a fraction of a millisecond: watching for the end spares
  // the thread that serves them the wake-up of this one.
  const uint64_t before = idleTimes;
  lock.unlock();
  spinUntil([before] { return idleTimes != before; }, std::chrono::microseconds(500));
  lock.lock();
  return settled.wait_for(lock, timeout, [] { return allIdleLocked(); });
}

bool waitFinished(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex);
  return settled.wait_for(lock, timeout, [] { return threads.empty(); });
}

}  // namespace runtime
