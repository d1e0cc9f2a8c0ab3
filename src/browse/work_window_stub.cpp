#include "browse/work_window_stub.h"

#include "runtime/runtime.h"
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

}  // namespace phonedir
