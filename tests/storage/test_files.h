#pragma once
// Declarations and helpers the storage tests share: a catalogue of items kept in groups (the
// shape of the directory's subscribers and streets, without being them), and a temporary
// working directory per test.

#include <cstdint>
#include <map>
#include <string>

#include "storage/declaration.h"

namespace storage::test {

#pragma pack(push, 1)
struct Item {
  char CODE[6];    // STRING(6)
  int32_t GROUP;   // LONG
  char TITLE[18];  // CSTRING(18)
  char TAG[4];     // STRING(4)
};
struct Group {
  int32_t NUM;    // LONG
  char NAME[20];  // CSTRING(20)
};
#pragma pack(pop)
static_assert(sizeof(Item) == 32);
static_assert(sizeof(Group) == 24);

inline constexpr int kByCode = 0;   // CODE
inline constexpr int kByPlace = 1;  // GROUP, TAG
inline constexpr int kByTitle = 2;  // TITLE
inline constexpr int kGroupNum = 0;
inline constexpr int kGroupName = 1;

const FileDecl& itemDecl();
const FileDecl& groupDecl();

Item item(const std::string& code, int32_t group, const std::string& title, const std::string& tag);
std::string code(const Item& i);  // CODE without trailing blanks
std::string title(const Item& i);
std::string tag(const Item& i);

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs the stock sqlite3 tool's integrity check on a file: "ok" when it is sound.
std::string integrityCheck(const std::string& dbPath);

// Runs SQL on a file behind the driver's back, as the stock tool would; SQLite's message
// when it fails, else empty.
std::string editFile(const std::string& dbPath, const std::string& sql);

// Every file of a folder with its bytes: to tell whether anything was changed, added or
// removed.
std::map<std::string, std::string> folderContents(const std::string& dir);

}  // namespace storage::test
