#pragma once
// Error values of the keyed-file driver. Every operation leaves one on its file instance and,
// as the calling thread's last error, where the system reads it like a global error code.
// Errors never travel as exceptions.

#include <string>
#include <string_view>

namespace storage {

// The codes the system tells apart; any other failure is kDriverError with SQLite's own code
// and text.
enum ErrorCode : int {
  kOk = 0,
  kFileNotFound = 2,     // the data file does not exist (open never creates it)
  kPathNotFound = 3,     // a directory of the file's path does not exist
  kAccessDenied = 5,     // no permission, or another station holds the file (busy)
  kNoRecord = 33,        // no record there: end of file, no such key, stale position
  kDuplicateKey = 40,    // another record has the value of a key that admits no equal values
  kKeysInvalid = 46,     // the file's keys must be rebuilt before keyed access
  kLayoutMismatch = 47,  // the file was made for another record layout or format version
  kAlreadyOpen = 52,     // the instance is open already
  kRecordChanged = 89,   // a watched record was changed or deleted by another station
  kDriverError = 90,     // anything else; driverCode and driverText say what
};

struct Error {
  int code = kOk;
  int driverCode = 0;      // SQLite's extended result code or errno; 0 when not applicable
  std::string driverText;  // SQLite's message or a short description, ASCII

  bool ok() const { return code == kOk; }
};

// The calling thread's last error, left by the last operation of any file instance. Kept in
// storage without a destructor, so that it works at any point of a thread's exit (its driver
// text is cut at 511 bytes).
Error lastError();
void setLastError(const Error& error);

// A short English text for a code, as shown in messages beside the number.
std::string_view errorText(int code);

}  // namespace storage
