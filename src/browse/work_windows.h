#pragma once
// The three work windows the frame starts, each on a thread of its own.

namespace phonedir {

void GOROD();     // the city directory
void PERSONAL();  // the personal directory
void POISK();     // the search window

}  // namespace phonedir
