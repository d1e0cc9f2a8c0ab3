#pragma once
// Opening a data file so that no window ever sees a missing or damaged one: a missing file is
// created (with its directories), a file whose keys are out of date is rebuilt under a wait
// window, a file another station holds is waited for, and anything that cannot be repaired
// stops the program with a message.

#include <cstdint>
#include <optional>
#include <string>

#include "storage/keyed_file.h"

namespace phonedir {

// Returns with the file open, or stops the program. OVERRIDECREATE 1 allows creating a missing
// file; OVERRIDEOPENMODE replaces the shared mode.
void CHECKOPEN(storage::KeyedFile& file, std::optional<uint8_t> OVERRIDECREATE = std::nullopt,
               std::optional<uint8_t> OVERRIDEOPENMODE = std::nullopt);

// Makes every directory of the path that does not exist yet. The first character is never a
// separator, a drive ("C:") is never made, nor a part followed by a final "\!"; a directory
// that cannot be made is passed over (creating the file then fails and says so).
void CREATEDIR(const std::string& FULLNAME);

// Rebuilds every key of the file under the wait window; stops the program on failure. False
// (nothing done, no window shown) when another station has the file to itself, as one does
// while it rebuilds the same keys: the caller waits for it and opens the file again.
bool BUILDKEYS(storage::KeyedFile& file);

// How long an open waits for another station to let go of a file, and how often it retries.
inline constexpr int kOpenWaitHundredths = 1000;
inline constexpr int kOpenRetryMilliseconds = 75;

}  // namespace phonedir
