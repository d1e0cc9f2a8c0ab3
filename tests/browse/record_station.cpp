// Another station for the list windows' tests: a separate process that renames or deletes one
// street of DIR/STREET.db or one subscriber of DIR/PHONE.db, and exits with the driver's code.
//   record_station DIR street rename NUM NAME
//   record_station DIR street delete NUM
//   record_station DIR phone rename PHONE FIO
//   record_station DIR phone delete PHONE
//   record_station DIR phone street PHONE NUM

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "data/records.h"
#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"

namespace {

using namespace phonedir;

// Applies the command to the record the file's buffer now holds.
int apply(storage::KeyedFile& file, const char* field, const std::string& command,
          const char* text) {
  if (command == "delete") return file.erase();
  if (command != "rename" || text == nullptr) return 2;
  const auto value = runtime::fromUtf8(text);
  if (!value) return 2;
  const storage::FileDecl& decl = file.decl();
  storage::setText(decl.fields[decl.fieldIndex(field)], file.buffer(), *value);
  return file.put();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  const std::string dir = argv[1];
  const std::string which = argv[2];
  const std::string command = argv[3];
  const char* text = argc > 5 ? argv[5] : nullptr;
  int rc = 2;
  if (which == "street") {
    STR_RECORD street{};
    storage::KeyedFile file(STREET_FILE(), &street, dir + "/STREET.db");
    if (int open = file.open(); open != 0) return open;
    street.NUM = std::atoi(argv[4]);
    if (int got = file.get(STR_NUM_KEY); got != 0) return got;
    rc = apply(file, "NAME", command, text);
    if (rc != 0) std::cerr << file.error().driverText << "\n";
  } else if (which == "phone") {
    PHO_RECORD phone{};
    clearRecord(phone);
    storage::KeyedFile file(PHONE_FILE(), &phone, dir + "/PHONE.db");
    if (int open = file.open(); open != 0) return open;
    std::memcpy(phone.PHONE, argv[4], std::min(std::strlen(argv[4]), sizeof phone.PHONE));
    if (int got = file.get(PHO_NUM_KEY); got != 0) return got;
    if (command == "street" && text != nullptr) {
      phone.STREET = std::atoi(text);
      rc = file.put();
    } else {
      rc = apply(file, "FIO", command, text);
    }
    if (rc != 0) std::cerr << file.error().driverText << "\n";
  }
  return rc;
}
