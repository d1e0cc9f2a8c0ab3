#pragma once
// Filling data files for the data-layer tests, and checking them with the stock sqlite3 tool.

#include <cstdint>
#include <string>
#include <vector>

#include "data/records.h"

namespace phonedir::test {

PHO_RECORD phoneRecord(const std::string& phone, int32_t street, const std::string& fio,
                       const std::string& home = "1", const std::string& kvart = "1");

// Creates PHONE.db (or the given path) holding these records, keys built.
void makePhoneFile(const std::vector<PHO_RECORD>& records, const std::string& path = {});

// Every record of PHONE.db in record-number order.
std::vector<PHO_RECORD> readPhoneFile(const std::string& path = {});

// "ok" when the stock tool finds the file sound.
std::string integrityCheck(const std::string& path);

// A file's bytes, empty when it is missing.
std::string fileBytes(const std::string& path);

// Runs SQL on a file behind the program's back, as the stock tool would; SQLite's message
// when it fails, else empty.
std::string editFile(const std::string& path, const std::string& sql);

}  // namespace phonedir::test
