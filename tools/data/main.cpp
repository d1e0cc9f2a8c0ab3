// phonedir-data: the operator's data tool. Loads data files from CSV, dumps them to CSV,
// rebuilds their keys and makes a demonstration town.

#include <charconv>
#include <iostream>
#include <string>
#include <string_view>

#include "data_files.h"
#include "demo_town.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  phonedir-data load DIR FILE CSV   add the records of a UTF-8 CSV file to DIR/FILE.db\n"
    "                                    (all or none; every bad row is reported by line)\n"
    "  phonedir-data dump DIR FILE [KEY] write DIR/FILE.db as UTF-8 CSV in the order of KEY\n"
    "                                    (default: the file's first key)\n"
    "  phonedir-data rebuild DIR FILE    rebuild the keys of DIR/FILE.db\n"
    "  phonedir-data demo DIR N          make STREET, PHONE and PERSONAL in DIR: a town of\n"
    "                                    about 200 streets and N subscribers\n"
    "FILE is PHONE, STREET, PERSONAL or POISK. The CSV header names the fields:\n"
    "  PHONE, POISK: PHONE,STREET,FIO,HOME,KVART   STREET: NUM,NAME   PERSONAL: "
    "PHONE,KOD,NAME,PRIM\n";

int usage() {
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string_view command = argv[1];
  const int args = argc - 2;
  if (command == "help" || command == "--help" || command == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "load" && args == 3)
    return datatool::load(argv[2], argv[3], argv[4], std::cout, std::cerr);
  if (command == "dump" && (args == 2 || args == 3)) {
    return datatool::dump(argv[2], argv[3], args == 3 ? argv[4] : "", std::cout, std::cerr);
  }
  if (command == "rebuild" && args == 2)
    return datatool::rebuild(argv[2], argv[3], std::cout, std::cerr);
  if (command == "demo" && args == 2) {
    const std::string_view n = argv[3];
    int64_t count = 0;
    auto [p, ec] = std::from_chars(n.data(), n.data() + n.size(), count);
    if (ec != std::errc() || p != n.data() + n.size() || count < 0 || count > 100000000) {
      std::cerr << "phonedir-data: N must be a number of subscribers from 0 to 100000000\n";
      return 2;
    }
    return datatool::demo(argv[2], count, std::cout, std::cerr);
  }
  return usage();
}
