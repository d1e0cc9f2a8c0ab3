#pragma once
// Rewriting and deleting one record of STREET, PHONE or PERSONAL, each in a transaction on
// that one file: all or nothing, with another station's change to the record detected and
// every failure reported. No rule ties the files together: a street is deleted or renumbered
// without looking at the subscribers that name it.

#include <cstdint>
#include <string>

#include "storage/keyed_file.h"

namespace phonedir {

// Rewrite the file's current record from its buffer. 0 written; 1 failed, reported, nothing
// written; 2 another station changed the record: nothing written, the buffer now holds the
// other station's version and the record is watched again.
int32_t RIUPDATE_STREET(bool FROMFORM);
int32_t RIUPDATE_PHONE(bool FROMFORM);
int32_t RIUPDATE_PERSONAL(bool FROMFORM);

// Delete the file's current record. 0 deleted; 1 failed, reported, nothing deleted.
int32_t RIDELETE_STREET();
int32_t RIDELETE_PHONE();
int32_t RIDELETE_PERSONAL();

// Saves the current error for the next message, then rolls the file's transaction back
// (which overwrites the current error).
void RISAVEERROR(storage::KeyedFile& file);

}  // namespace phonedir
