#include "data_fixture_files.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "runtime/binding.h"
#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"

namespace phonedir::test {

PHO_RECORD phoneRecord(const std::string& phone, int32_t street, const std::string& fio,
                       const std::string& home, const std::string& kvart) {
  PHO_RECORD r{};
  clearRecord(r);
  std::memcpy(r.PHONE, phone.data(), std::min(phone.size(), sizeof r.PHONE));
  r.STREET = street;
  runtime::writeBinding(runtime::bindCString(r.FIO), runtime::cp(fio));
  runtime::writeBinding(runtime::bindString(r.HOME), home);
  runtime::writeBinding(runtime::bindString(r.KVART), kvart);
  return r;
}

void makePhoneFile(const std::vector<PHO_RECORD>& records, const std::string& path) {
  PHO_RECORD buffer{};
  storage::KeyedFile phone(PHONE_FILE(), &buffer, path);
  phone.create();
  phone.open();
  for (const PHO_RECORD& r : records) {
    buffer = r;
    phone.add();
  }
  phone.close();
}

std::vector<PHO_RECORD> readPhoneFile(const std::string& path) {
  PHO_RECORD buffer{};
  storage::KeyedFile phone(PHONE_FILE(), &buffer, path);
  std::vector<PHO_RECORD> out;
  if (phone.open() != 0) return out;
  phone.set(storage::kFileOrder);
  while (phone.next() == 0) out.push_back(buffer);
  phone.close();
  return out;
}

std::string integrityCheck(const std::string& path) {
  const std::string command =
      std::string(SQLITE3_PROGRAM) + " '" + path + "' 'PRAGMA integrity_check;'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "cannot run sqlite3";
  std::string out;
  char line[256];
  while (std::fgets(line, sizeof line, pipe) != nullptr) out += line;
  pclose(pipe);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string editFile(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string problem;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    problem = db ? sqlite3_errmsg(db) : "cannot open";
  } else if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    problem = sqlite3_errmsg(db);
  }
  sqlite3_close(db);
  return problem;
}

}  // namespace phonedir::test
