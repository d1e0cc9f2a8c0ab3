// phonedir-script [--dir DIR] SCRIPT: plays a scenario against the program on the headless
// backend in working directory DIR and prints the transcript.

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>

#include "runtime/close_signals.h"
#include "script_runner.h"

namespace {

const char kUsage[] =
    "usage: phonedir-script [--dir DIR] SCRIPT\n"
    "Plays SCRIPT, a scenario of user actions, against the program on a backend without a\n"
    "display, in working directory DIR (default: the current one), and prints what happens.\n"
    "Exits 2 when a line of the script could not run.\n";

}  // namespace

int main(int argc, char** argv) {
  const runtime::CloseSignals closeSignals;  // SIGTERM and SIGINT close the frame
  std::string dir;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--dir" && i + 1 < argc) {
      dir = argv[++i];
    } else if (path.empty() && arg.rfind("--", 0) != 0) {
      path = arg;
    } else {
      path.clear();
      break;
    }
  }
  if (path.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::ifstream script(path);
  if (!script) {
    std::cerr << "phonedir-script: cannot read " << path << "\n";
    return 2;
  }
  if (!dir.empty() && chdir(dir.c_str()) != 0) {
    std::cerr << "phonedir-script: cannot enter " << dir << "\n";
    return 2;
  }
  return phonedir::script::runScript(script, std::cout);
}
