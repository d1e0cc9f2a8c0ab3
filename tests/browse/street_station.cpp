// Another station for the street list's tests: a separate process that renames or deletes
// one street of DIR/STREET.db and exits with the driver's code.
//   street_station DIR rename NUM NAME
//   street_station DIR delete NUM

#include <cstdlib>
#include <iostream>
#include <string>

#include "data/records.h"
#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"

int main(int argc, char** argv) {
  using namespace phonedir;
  if (argc < 4) return 2;
  const std::string dir = argv[1];
  const std::string command = argv[2];
  STR_RECORD street{};
  storage::KeyedFile file(STREET_FILE(), &street, dir + "/STREET.db");
  if (int rc = file.open(); rc != 0) return rc;
  street.NUM = std::atoi(argv[3]);
  if (int rc = file.get(STR_NUM_KEY); rc != 0) return rc;
  int rc = 2;
  if (command == "rename" && argc == 5) {
    const auto name = runtime::fromUtf8(argv[4]);
    if (!name) return 2;
    storage::setText(STREET_FILE().fields[STREET_FILE().fieldIndex("NAME")], &street, *name);
    rc = file.put();
  } else if (command == "delete") {
    rc = file.erase();
  }
  if (rc != 0) std::cerr << file.error().driverText << "\n";
  return rc;
}
