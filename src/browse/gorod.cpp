#include "browse/gorod.h"

#include "browse/work_window_stub.h"
#include "layout/windows.h"
#include "shell/globals.h"

namespace phonedir {

void GOROD() {
  runWorkWindowStub(layout::gorodWindow(), RUNNING_GOROD);
}

}  // namespace phonedir
