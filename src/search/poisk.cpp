#include "search/poisk.h"

#include "browse/work_window_stub.h"
#include "layout/windows.h"
#include "shell/globals.h"

namespace phonedir {

void POISK() {
  runWorkWindowStub(layout::poiskWindow(), RUNNING_POISK);
}

}  // namespace phonedir
