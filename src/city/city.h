#pragma once
// The city directory: the town's subscribers from PHONE, in telephone, surname or address
// order, with the phone card that inserts, changes and deletes them.

namespace phonedir {

void GOROD();        // the city directory window, started by the frame on a thread of its own
void UPDATEPHONE();  // the phone card, called by the city directory on its thread

}  // namespace phonedir
