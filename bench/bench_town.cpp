#include "bench_town.h"

#include <errno.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "demo_town.h"

namespace bench {

namespace fs = std::filesystem;

void fail(const std::string& what) {
  std::cerr << program_invocation_short_name << ": " << what << "\n";
  std::exit(1);
}

bool folderIsKept() {
  return std::getenv("PHONEDIR_BENCH_DIR") != nullptr;
}

std::string benchFolder(const std::string& prefix) {
  if (const char* given = std::getenv("PHONEDIR_BENCH_DIR")) return given;
  std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) fail("cannot make a directory");
  return pattern;
}

void demoTown(const std::string& dir, int64_t subscribers) {
  if (fs::exists(fs::path(dir) / "PHONE.db")) return;
  std::ostringstream out;
  std::cerr << "making a town of " << subscribers << " subscribers in " << dir << "...\n";
  if (datatool::demo(dir, subscribers, out, std::cerr) != 0) fail("demo failed");
}

}  // namespace bench
