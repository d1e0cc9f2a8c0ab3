#pragma once
// The one-off conversion of old five-digit telephone numbers in the city directory: numbers
// once stored with a NUL in their sixth character get the blank the present form has there.

#include <cstdint>

namespace phonedir {

// Rewrites the numbers beginning with "3" and with "521" under a progress window; runs on the
// frame's thread at start-up, before any work window.
void CONVERT();

// The progress bar's next value: counts records from 1 to 100, then starts again at 1.
int32_t nextProgress(int32_t NUM);

}  // namespace phonedir
