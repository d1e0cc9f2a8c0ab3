#pragma once
// Where the benchmarks keep their files, and the demo town they measure.

#include <cstdint>
#include <string>

namespace bench {

// Ends the benchmark with the program's name and the reason on stderr.
[[noreturn]] void fail(const std::string& what);

// PHONEDIR_BENCH_DIR when it is set (the files are kept between runs), else a fresh folder
// under the temporary directory whose name begins with `prefix`.
std::string benchFolder(const std::string& prefix);
// True when the folder is the user's, so a benchmark leaves it in place.
bool folderIsKept();

// Makes a demo town of `subscribers` subscribers in `dir` unless it already holds PHONE.db.
void demoTown(const std::string& dir, int64_t subscribers);

}  // namespace bench
