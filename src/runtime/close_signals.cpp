#include "runtime/close_signals.h"

#include <pthread.h>
#include <signal.h>

#include "runtime/runtime.h"

namespace runtime {
namespace {

sigset_t closeSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);  // the terminal it was started from closed
  return set;
}

}  // namespace

CloseSignals::CloseSignals() {
  const sigset_t set = closeSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  watcher_ = std::thread([this, set] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) continue;
      if (ending_.load()) return;
      closeFromOutside();
    }
  });
}

CloseSignals::~CloseSignals() {
  ending_ = true;
  pthread_kill(watcher_.native_handle(), SIGTERM);
  watcher_.join();
}

}  // namespace runtime
