#pragma once
// A work window that only shows itself: it keeps to one instance, opens its window from the
// catalogue with an empty list, comes to the front when asked, and closes when asked. The
// city directory, personal directory and search windows stand on it until their engines are
// built.

#include <atomic>
#include <cstdint>

#include "runtime/window_def.h"

namespace phonedir {

void runWorkWindowStub(const runtime::WindowDef& def, std::atomic<uint8_t>& running);

}  // namespace phonedir
