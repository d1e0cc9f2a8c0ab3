#include "storage/error.h"

#include <algorithm>
#include <cstring>

namespace storage {
namespace {

// Trivially destructible: file instances closed by other thread-local objects' destructors
// may still set it, whatever the order in which a thread's objects are destroyed.
struct StoredError {
  int code;
  int driverCode;
  size_t length;
  char text[512];
};

thread_local StoredError t_lastError{};

}  // namespace

Error lastError() {
  return Error{t_lastError.code, t_lastError.driverCode,
               std::string(t_lastError.text, t_lastError.length)};
}

void setLastError(const Error& error) {
  t_lastError.code = error.code;
  t_lastError.driverCode = error.driverCode;
  t_lastError.length = std::min(error.driverText.size(), sizeof t_lastError.text - 1);
  if (t_lastError.length > 0)
    std::memcpy(t_lastError.text, error.driverText.data(), t_lastError.length);
}

std::string_view errorText(int code) {
  switch (code) {
    case kOk:
      return "No error";
    case kFileNotFound:
      return "File not found";
    case kPathNotFound:
      return "Path not found";
    case kAccessDenied:
      return "Access denied";
    case kNoRecord:
      return "No record available";
    case kDuplicateKey:
      return "Duplicate key";
    case kKeysInvalid:
      return "Keys must be rebuilt";
    case kLayoutMismatch:
      return "Record layout does not match";
    case kAlreadyOpen:
      return "File already open";
    case kRecordChanged:
      return "Record changed by another station";
    case kDriverError:
      return "File system error";
    default:
      return "Unknown error";
  }
}

}  // namespace storage
