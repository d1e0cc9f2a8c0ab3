#include "storage/error.h"

namespace storage {
namespace {

thread_local Error t_lastError;

}  // namespace

const Error& lastError() { return t_lastError; }

void setLastError(const Error& error) {
  t_lastError.code = error.code;
  t_lastError.driverCode = error.driverCode;
  t_lastError.driverText.assign(error.driverText);
}

std::string_view errorText(int code) {
  switch (code) {
    case kOk: return "No error";
    case kFileNotFound: return "File not found";
    case kPathNotFound: return "Path not found";
    case kAccessDenied: return "Access denied";
    case kNoRecord: return "No record available";
    case kKeysInvalid: return "Keys must be rebuilt";
    case kLayoutMismatch: return "Record layout does not match";
    case kAlreadyOpen: return "File already open";
    case kRecordChanged: return "Record changed by another station";
    case kDriverError: return "File system error";
    default: return "Unknown error";
  }
}

}  // namespace storage
