#pragma once
// The search window: the subscribers that meet a phone mask, a street and the first
// letters of a surname. A work window on a thread of its own, one instance at a time.

namespace phonedir {

void POISK();

}  // namespace phonedir
