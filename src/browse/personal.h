#pragma once
// The personal directory: the operator's own numbers. A work window on a thread of its own, one
// instance at a time.

namespace phonedir {

void PERSONAL();

}  // namespace phonedir
