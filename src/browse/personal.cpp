#include "browse/personal.h"

#include "browse/work_window_stub.h"
#include "layout/windows.h"
#include "shell/globals.h"

namespace phonedir {

void PERSONAL() {
  runWorkWindowStub(layout::personalWindow(), RUNNING_PERSONAL);
}

}  // namespace phonedir
