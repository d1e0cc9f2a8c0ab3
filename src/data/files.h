#pragma once
// The data files as each thread sees them: its own record buffer and open instance of every
// file, and the use counters behind the open and close procedures. Nested procedures on one
// thread (a browse and the form it calls) share one instance; only the last close closes it.

#include <cstdint>
#include <string>
#include <string_view>

#include "data/records.h"
#include "storage/keyed_file.h"

namespace phonedir {

// Record buffers, one per file and thread, cleared when the thread first uses them.
extern thread_local PHO_RECORD PHO;
extern thread_local STR_RECORD STR;
extern thread_local PER_RECORD PER;
extern thread_local POI_RECORD POI;

// Use counters (PHONE::USED and its likes): open requests for the file on this thread.
extern thread_local int32_t PHONE_USED;
extern thread_local int32_t STREET_USED;
extern thread_local int32_t PERSONAL_USED;
extern thread_local int32_t POISK_USED;

// The search's result file is this program's own: POISK under a name that carries the host and
// the process ("POISK-host-1234.db"), so that stations sharing the folder never empty each
// other's results. PHONE, STREET and PERSONAL keep their plain names.
inline constexpr std::string_view kResultFilePrefix = "POISK-";
const std::string& POISK_PATH();

// This thread's instance of each file, bound to the thread's buffer, in the working directory.
struct ThreadFiles {
  ThreadFiles();
  storage::KeyedFile PHONE;
  storage::KeyedFile STREET;
  storage::KeyedFile PERSONAL;
  storage::KeyedFile POISK;
};
ThreadFiles& files();

// Open: when the counter is 0, open the file (creating it when missing); then count. POISK is
// opened exclusively: no other station ever uses it, and its lock tells a search of another
// program that the file is in use (see search/result_file.h). Close:
// count down, and close the file when this was the last open on the thread.
void OPENFILE_PHONE();
void OPENFILE_STREET();
void OPENFILE_PERSONAL();
void OPENFILE_POISK();
void CLOSEFILE_PHONE();
void CLOSEFILE_STREET();
void CLOSEFILE_PERSONAL();
void CLOSEFILE_POISK();

}  // namespace phonedir
