#include "test_files.h"

#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "storage/record_fields.h"

namespace storage::test {

const FileDecl& itemDecl() {
  static const FileDecl decl{
      "ITEM",
      sizeof(Item),
      {
          {"CODE", FieldType::kString, offsetof(Item, CODE), 6},
          {"GROUP", FieldType::kLong, offsetof(Item, GROUP), 4},
          {"TITLE", FieldType::kCString, offsetof(Item, TITLE), 18},
          {"TAG", FieldType::kString, offsetof(Item, TAG), 4},
      },
      {
          {"BY_CODE", {"CODE"}},
          {"BY_PLACE", {"GROUP", "TAG"}},
          {"BY_TITLE", {"TITLE"}},
      },
  };
  return decl;
}

const FileDecl& groupDecl() {
  static const FileDecl decl{
      "GROUP",
      sizeof(Group),
      {
          {"NUM", FieldType::kLong, offsetof(Group, NUM), 4},
          {"NAME", FieldType::kCString, offsetof(Group, NAME), 20},
      },
      {
          {"NUM_KEY", {"NUM"}},
          {"NAME_KEY", {"NAME"}},
      },
  };
  return decl;
}

Item item(const std::string& code, int32_t group, const std::string& title,
          const std::string& tag) {
  Item i{};
  const auto& f = itemDecl().fields;
  setText(f[0], &i, code);
  setLong(f[1], &i, group);
  setText(f[2], &i, title);
  setText(f[3], &i, tag);
  return i;
}

namespace {
std::string trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}
}  // namespace

std::string code(const Item& i) {
  return trimmed(storedText(itemDecl().fields[0], &i));
}
std::string title(const Item& i) {
  return std::string(storedText(itemDecl().fields[2], &i));
}
std::string tag(const Item& i) {
  return trimmed(storedText(itemDecl().fields[3], &i));
}

TempDir::TempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "phonedir-storage-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  path_ = made ? made : "";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::string integrityCheck(const std::string& dbPath) {
  const std::string command =
      std::string(SQLITE3_PROGRAM) + " '" + dbPath + "' 'PRAGMA integrity_check' 2>&1";
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return "cannot run sqlite3";
  std::string out;
  char buf[256];
  while (fgets(buf, sizeof buf, p)) out += buf;
  ::pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string editFile(const std::string& dbPath, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string problem;
  if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    problem = db ? sqlite3_errmsg(db) : "cannot open";
  } else if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    problem = sqlite3_errmsg(db);
  }
  sqlite3_close(db);
  return problem;
}

std::map<std::string, std::string> folderContents(const std::string& dir) {
  std::map<std::string, std::string> out;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) {
      out[entry.path().string()] = "(folder)";
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    out[entry.path().string()] = bytes.str();
  }
  return out;
}

}  // namespace storage::test
