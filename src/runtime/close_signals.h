#pragma once
// SIGTERM, SIGINT and SIGHUP (a session logging out, Ctrl+C, the terminal it was started from
// closing) close the frame as its close button does, so procedures can still refuse and save.
// The program enables this once, first thing in main(): the signals are blocked in the calling
// thread and every thread started after it, and one watcher thread takes them with sigwait()
// and calls closeFromOutside().

#include <atomic>
#include <thread>

namespace runtime {

class CloseSignals {
 public:
  CloseSignals();
  ~CloseSignals();  // the signals stay blocked: one arriving now has nobody to close
  CloseSignals(const CloseSignals&) = delete;
  CloseSignals& operator=(const CloseSignals&) = delete;

 private:
  std::atomic<bool> ending_{false};
  std::thread watcher_;
};

}  // namespace runtime
