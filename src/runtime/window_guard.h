#pragma once
// A procedure's window for the length of a scope: opened on construction, closed however the
// scope ends (a return, or the unwinding of a halt).

#include "runtime/runtime.h"

namespace runtime {

class WindowGuard {
 public:
  explicit WindowGuard(const WindowDef& def) { openWindow(def); }
  ~WindowGuard() { closeWindow(); }
  WindowGuard(const WindowGuard&) = delete;
  WindowGuard& operator=(const WindowGuard&) = delete;
};

}  // namespace runtime
