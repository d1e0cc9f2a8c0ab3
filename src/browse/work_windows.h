#pragma once
// The work windows the frame starts that are still stand-ins, each on a thread of its own.

namespace phonedir {

void POISK();     // the search window

}  // namespace phonedir
