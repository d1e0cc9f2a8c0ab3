#pragma once
// The global state every window shares: the request words a caller and the procedure it
// calls exchange, the single-instance flags of the work windows, the saved error state read
// by the message catalogue, and the Cyrillic scroll stops of name-ordered lists.

#include <atomic>
#include <cstdint>
#include <string>

namespace phonedir {

// Request codes (GLOBALREQUEST, LOCALREQUEST).
inline constexpr int32_t INSERTRECORD = 1;
inline constexpr int32_t CHANGERECORD = 2;
inline constexpr int32_t DELETERECORD = 3;
inline constexpr int32_t SELECTRECORD = 4;

// Response codes (GLOBALRESPONSE, LOCALRESPONSE).
inline constexpr int32_t REQUESTCOMPLETED = 1;
inline constexpr int32_t REQUESTCANCELLED = 2;

// Per thread: a call and its answer never cross threads.
extern thread_local int32_t GLOBALREQUEST;
extern thread_local int32_t GLOBALRESPONSE;
extern thread_local int32_t VCRREQUEST;  // 0, or the toolbar number a form was left with

// Thread number of the running instance of each work window; 0 when none.
extern std::atomic<uint8_t> RUNNING_GOROD;
extern std::atomic<uint8_t> RUNNING_PERSONAL;
extern std::atomic<uint8_t> RUNNING_POISK;

// The error saved before a rollback (which overwrites the current error), reported by the
// next message on the same thread and emptied by it. Kept per thread, so that a message shown
// by another thread in between cannot take it. Texts are CP1251, at most 254 characters.
struct SavedError {
  int32_t SAVEERRORCODE = 0;
  std::string SAVEERROR;
  int32_t SAVEFILEERRORCODE = 0;
  std::string SAVEFILEERROR;
};
void saveError(const SavedError& error);
// The saved error, leaving the state empty.
SavedError takeSavedError();

// 100 two-letter stops (200 CP1251 characters) for the scroll thumb of lists ordered by a
// Cyrillic name.
extern const std::string SORT_CYRILIC;

}  // namespace phonedir
