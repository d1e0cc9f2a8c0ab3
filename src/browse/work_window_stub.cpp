#include "browse/work_window_stub.h"

#include "browse/work_windows.h"
#include "layout/windows.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "shell/procedure.h"

namespace phonedir {

void runWorkWindowStub(const runtime::WindowDef& def, std::atomic<uint8_t>& running) {
  RequestScope request;
  SingleInstance instance(running, request.LOCALREQUEST);
  if (!instance.mayRun()) return;
  runtime::openWindow(def);
  while (runtime::event() != 0) {
  }
  runtime::closeWindow();
}

void POISK() {
  runWorkWindowStub(layout::poiskWindow(), RUNNING_POISK);
}

}  // namespace phonedir
