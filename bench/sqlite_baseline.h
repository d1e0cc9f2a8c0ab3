#pragma once
// The benchmarks' yardstick: the same work as the driver's, done with plain SQLite calls and
// prepared statements over the same files, with nothing in between.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/records.h"

namespace bench {

class Baseline {
 public:
  Baseline(const std::string& phonePath, const std::string& streetPath);
  ~Baseline();

  // Reads `count` subscribers from the first whose key is not below `probe`'s, each with the
  // name of its street; returns how many it read.
  int page(int key, const phonedir::PHO_RECORD& probe, int count);
  // Reads every subscriber in a key's order; returns how many.
  int64_t scan(int key);
  // Reads every subscriber in row-id order (the table itself, no index); returns how many.
  int64_t scanByRowid();
  // Appends records without maintaining keys (indexes dropped first), then makes the indexes.
  void appendThenIndex(const std::vector<phonedir::PHO_RECORD>& records);

 private:
  void decode(sqlite3_stmt* stmt, phonedir::PHO_RECORD& r) const;

  sqlite3* phone_ = nullptr;
  sqlite3* street_ = nullptr;
  sqlite3_stmt* page_[3] = {};
  sqlite3_stmt* scan_[3] = {};
  sqlite3_stmt* scanRowid_ = nullptr;
  sqlite3_stmt* lookup_ = nullptr;
};

}  // namespace bench
