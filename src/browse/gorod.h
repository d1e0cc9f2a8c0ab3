#pragma once
// The city directory: the town's subscribers by number, surname or address. A work window on a
// thread of its own, one instance at a time.

namespace phonedir {

void GOROD();

}  // namespace phonedir
