#include "layout/windows.h"
#include "runtime/runtime.h"
#include "shell/procedure.h"
#include "shell/program.h"

namespace phonedir {

void START() {
  RequestScope request;
  runtime::openWindow(layout::frameWindow());
  while (runtime::event() != 0) {
  }
  runtime::closeWindow();
}

}  // namespace phonedir
