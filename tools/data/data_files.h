#pragma once
// The operator's data tool: loading data files from CSV, dumping them to CSV, and making a
// demonstration town. Text in the CSV files is UTF-8; in the data files CP1251.

#include <iosfwd>
#include <string>

namespace datatool {

// Each command writes its report to `out` and its errors to `err`, and returns the exit code:
// 0 done, 1 failed (and, for load, nothing written).
int load(const std::string& dir, const std::string& file, const std::string& csvPath,
         std::ostream& out, std::ostream& err);
int dump(const std::string& dir, const std::string& file, const std::string& key, std::ostream& out,
         std::ostream& err);
int rebuild(const std::string& dir, const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace datatool
