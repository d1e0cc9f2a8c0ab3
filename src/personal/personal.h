#pragma once
// The personal directory: the operator's own numbers from PERSONAL, in name or telephone
// order, with the personal card that inserts, changes and deletes them.

namespace phonedir {

void PERSONAL();  // the personal directory window, started by the frame on a thread of its own
void PERS_UPD();  // the personal card, called by the personal directory on its thread

}  // namespace phonedir
