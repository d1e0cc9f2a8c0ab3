#pragma once
// What the SQLite store's parts share (internal): its limits, the mapping of SQLite's and the
// file system's failures onto the driver's codes, and prepared statements that are reset at
// the end of every call.

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "storage/error.h"

namespace storage::detail {

inline constexpr int kOpenBusyMs = 250;  // an open gives up soon, so that its caller can retry
inline constexpr int kDefaultBusyMs = 5000;
inline constexpr const char* kCachePragma = "PRAGMA cache_size=-8192";  // KiB per connection
inline constexpr const char* kCacheValue = "-8192";
inline constexpr const char* kBuildCachePragma = "PRAGMA cache_size=-65536";  // index sorting
inline constexpr const char* kBuildCacheValue = "-65536";
inline constexpr int64_t kRebuildChunk = 10000;
// Steps of SQLite's statements between two questions whether a key rebuild is to stop: a few
// milliseconds of work.
inline constexpr int kStopCheckSteps = 10000;

Error makeError(int code, int driverCode, std::string text);
Error misuse(std::string text);
// An SQLite failure as the system sees it: locks held elsewhere and read-only files deny
// access, a missing index means the keys are out of date, the rest is SQLite's own error.
Error sqliteError(sqlite3* db, int rc);
Error errnoError(int err, const std::string& path);

// Codes 3, 2 and 5 from the file system, before SQLite is asked.
Error checkPath(const std::string& path, bool fileMustExist, bool writable = true);
bool fileExists(const std::string& path);

// A hash of the collation weights: sort keys made under other weights must be remade.
std::string collationStamp();

// A statement prepared once, when first used.
struct Slot {
  std::string sql;
  sqlite3_stmt* stmt = nullptr;
};

// Resets a slot's statement when the call that stepped it ends, whatever the path out: an
// active statement would keep a read lock and make every other station's write wait. A
// statement whose index has gone is dropped, to be prepared afresh once the keys are rebuilt.
class Stepping {
 public:
  explicit Stepping(Slot& slot) : slot_(slot) {}
  ~Stepping();
  Stepping(const Stepping&) = delete;
  Stepping& operator=(const Stepping&) = delete;
  void discardIf(const Error& e) { discard_ = e.code == kKeysInvalid; }

 private:
  Slot& slot_;
  bool discard_ = false;
};

}  // namespace storage::detail
