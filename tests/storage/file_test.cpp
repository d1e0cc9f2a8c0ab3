// Opening, creating and removing files: the error codes the open procedures tell apart.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"
#include "test_files.h"

namespace storage::test {
namespace {

class FileTest : public ::testing::Test {
 protected:
  std::string path() const { return dir.file("ITEM.db"); }

  void makeFile() {
    KeyedFile f(itemDecl(), &buf, path());
    ASSERT_EQ(f.create(), kOk) << f.error().driverText;
  }

  // Runs SQL on a file behind the driver's back.
  void tamper(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
  }

  TempDir dir;
  Item buf{};
};

TEST_F(FileTest, OpenTellsTheFailuresApart) {
  KeyedFile missingDir(itemDecl(), &buf, dir.file("no/such/dir/ITEM.db"));
  EXPECT_EQ(missingDir.open(), kPathNotFound);
  KeyedFile missingFile(itemDecl(), &buf, path());
  EXPECT_EQ(missingFile.open(), kFileNotFound);
  EXPECT_FALSE(missingFile.isOpen());
  EXPECT_FALSE(std::ifstream(path()).good()) << "open must never create";

  std::ofstream(dir.file("junk.db"))
      << "this is not a database, only some text that is long enough to fill a header";
  KeyedFile junk(itemDecl(), &buf, dir.file("junk.db"));
  EXPECT_EQ(junk.open(), kDriverError);
  EXPECT_EQ(junk.error().driverCode & 0xff, SQLITE_NOTADB);
  EXPECT_FALSE(junk.error().driverText.empty());
  EXPECT_EQ(lastError().code, kDriverError);
  EXPECT_EQ(lastError().driverText, junk.error().driverText);

  makeFile();
  KeyedFile f(itemDecl(), &buf, path());
  EXPECT_EQ(f.open(0x22), kDriverError) << "only the shared and exclusive modes exist";
  EXPECT_EQ(f.open(), kOk);
  EXPECT_EQ(f.mode(), kShared);
  EXPECT_EQ(lastError().code, kOk);
  EXPECT_EQ(f.open(), kAlreadyOpen);
  EXPECT_EQ(f.close(), kOk);
  EXPECT_EQ(f.mode(), 0);
  EXPECT_EQ(f.name(), path());
}

TEST_F(FileTest, OtherLayoutsAndFormatsAreRefused) {
  makeFile();
  FileDecl other = itemDecl();
  other.fields[3].width = 3;
  other.recordSize = 31;
  KeyedFile f(other, &buf, path());
  EXPECT_EQ(f.open(), kLayoutMismatch);

  tamper("UPDATE meta SET value = '2' WHERE name = 'format'");
  KeyedFile g(itemDecl(), &buf, path());
  EXPECT_EQ(g.open(), kLayoutMismatch);
  EXPECT_EQ(g.open(kExclusive), kLayoutMismatch);

  // A database of someone else's.
  const std::string foreign = dir.file("foreign.db");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  KeyedFile h(itemDecl(), &buf, foreign);
  EXPECT_EQ(h.open(), kLayoutMismatch);
}

TEST_F(FileTest, KeysOutOfDateGive46UntilRebuilt) {
  struct Case {
    const char* what;
    const char* sql;
  };
  const Case cases[] = {
      {"marked invalid", "UPDATE meta SET value = 'invalid' WHERE name = 'keys'"},
      {"index dropped", "DROP INDEX key_BY_TITLE"},
      {"made under another collation", "UPDATE meta SET value = '0' WHERE name = 'collation'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    makeFile();
    {
      KeyedFile f(itemDecl(), &buf, path());
      ASSERT_EQ(f.open(), kOk);
      buf = item("1", 1, runtime::cp("Один"), "1");
      ASSERT_EQ(f.add(), kOk);
    }
    tamper(c.sql);
    KeyedFile f(itemDecl(), &buf, path());
    EXPECT_EQ(f.open(), kKeysInvalid);
    EXPECT_FALSE(f.isOpen());
    ASSERT_EQ(f.open(kExclusive), kOk) << "the exclusive mode is the way to rebuild";
    EXPECT_EQ(f.buildKeys(), kOk);
    EXPECT_EQ(f.close(), kOk);
    EXPECT_EQ(f.open(), kOk);
    EXPECT_EQ(f.set(kByTitle), kOk);
    EXPECT_EQ(f.next(), kOk);
    EXPECT_EQ(title(buf), runtime::cp("Один"));
    f.close();
    EXPECT_EQ(integrityCheck(path()), "ok");
  }
}

TEST_F(FileTest, RebuildRemakesSortKeysEditedBehindTheDriver) {
  makeFile();
  {
    KeyedFile f(itemDecl(), &buf, path());
    ASSERT_EQ(f.open(), kOk);
    for (const char* t : {"Борисов", "Антонов", "Волков"}) {
      buf = item("1", 1, runtime::cp(t), "1");
      ASSERT_EQ(f.add(), kOk);
    }
  }
  // Someone renamed Антонов to Яковлев with the stock tool, leaving the sort key as it was.
  tamper(
      "UPDATE records SET TITLE = CAST(x'dfeaeee2ebe5e2' AS BLOB) WHERE id = 2;"
      "UPDATE meta SET value = 'invalid' WHERE name = 'keys'");
  KeyedFile f(itemDecl(), &buf, path());
  ASSERT_EQ(f.open(kExclusive), kOk);
  ASSERT_EQ(f.buildKeys(), kOk);
  ASSERT_EQ(f.set(kByTitle), kOk);
  std::vector<std::string> seen;
  while (f.next() == kOk) seen.push_back(title(buf));
  const std::vector<std::string> expected = {
      "\xC1\xEE\xF0\xE8\xF1\xEE\xE2", "\xC2\xEE\xEB\xEA\xEE\xE2", "\xDF\xEA\xEE\xE2\xEB\xE5\xE2"};
  EXPECT_EQ(seen, expected);
}

TEST_F(FileTest, CreateReplacesAndRemoveDeletes) {
  makeFile();
  {
    KeyedFile f(itemDecl(), &buf, path());
    ASSERT_EQ(f.open(), kOk);
    buf = item("1", 1, "x", "1");
    ASSERT_EQ(f.add(), kOk);
    EXPECT_EQ(f.create(), kAlreadyOpen);
    EXPECT_EQ(f.remove(), kAlreadyOpen);
  }
  KeyedFile f(itemDecl(), &buf, path());
  EXPECT_EQ(f.create(), kOk);
  ASSERT_EQ(f.open(), kOk);
  EXPECT_EQ(f.records(), 0);
  f.close();

  // Over a file of another layout, and over a file that is no database at all.
  FileDecl other = itemDecl();
  other.keys.pop_back();
  KeyedFile g(other, &buf, path());
  EXPECT_EQ(g.create(), kOk);
  EXPECT_EQ(f.open(), kLayoutMismatch);
  std::ofstream(path(), std::ios::trunc)
      << "junk junk junk junk junk junk junk junk junk junk junk junk junk";
  EXPECT_EQ(f.create(), kOk);
  EXPECT_EQ(f.open(), kOk);
  f.close();
  EXPECT_EQ(integrityCheck(path()), "ok");

  // A writer killed in the middle of a transaction leaves its journal beside the file; the
  // removal takes both, so the journal is never played into a later file of the name.
  const pid_t writer = fork();
  if (writer == 0) {
    Item b{};
    KeyedFile w(itemDecl(), &b, path());
    w.open();
    w.begin(5);
    for (int i = 0; i < 3000; ++i) {
      b = item(std::to_string(i), i, "killed", "1");
      w.add();
    }
    ::_exit(0);  // no commit, no rollback, no close
  }
  int status = 0;
  ASSERT_EQ(waitpid(writer, &status, 0), writer);
  ASSERT_TRUE(std::ifstream(path() + "-journal").good()) << "the writer left its journal";
  EXPECT_EQ(f.remove(), kOk);
  EXPECT_FALSE(std::ifstream(path()).good());
  EXPECT_FALSE(std::ifstream(path() + "-journal").good());
  EXPECT_EQ(f.remove(), kFileNotFound);
  EXPECT_EQ(f.open(), kFileNotFound);

  KeyedFile nowhere(itemDecl(), &buf, dir.file("missing/ITEM.db"));
  EXPECT_EQ(nowhere.create(), kPathNotFound);
  EXPECT_EQ(nowhere.remove(), kPathNotFound);
}

TEST_F(FileTest, DefaultPathIsTheNameInTheWorkingDirectory) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  KeyedFile f(itemDecl(), &buf);
  EXPECT_EQ(f.name(), "ITEM.db");
  EXPECT_EQ(f.create(), kOk);
  EXPECT_EQ(f.open(), kOk);
  f.close();
  EXPECT_TRUE(std::ifstream(dir.file("ITEM.db")).good());
  ASSERT_EQ(chdir(cwd), 0);
}

TEST_F(FileTest, WithoutPermissionAccessIsDenied) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  makeFile();
  ASSERT_EQ(chmod(path().c_str(), 0444), 0);
  KeyedFile f(itemDecl(), &buf, path());
  EXPECT_EQ(f.open(), kAccessDenied);
  // Reading asks for no more than reading.
  EXPECT_EQ(f.open(kReadOnly), kOk);
}

TEST_F(FileTest, CallsOnAClosedFileOrABadDeclarationFailCleanly) {
  KeyedFile f(itemDecl(), &buf, path());
  for (int code : {f.next(), f.prev(), f.set(kByCode), f.add(), f.put(), f.erase(), f.buildKeys(),
                   f.stream(), f.begin(1), f.reget("F.1"), f.close()}) {
    EXPECT_EQ(code, kDriverError);
  }
  EXPECT_TRUE(f.eof());
  EXPECT_EQ(f.records(), -1);
  EXPECT_EQ(f.position(kByCode), "");

  FileDecl bad = itemDecl();
  bad.keys[0].components = {"NOPE"};
  KeyedFile b(bad, &buf, path());
  EXPECT_EQ(b.create(), kDriverError);
  EXPECT_NE(b.error().driverText.find("NOPE"), std::string::npos);
  EXPECT_EQ(b.open(), kDriverError);
}

TEST_F(FileTest, StockToolReadsTheFiles) {
  makeFile();
  {
    KeyedFile f(itemDecl(), &buf, path());
    ASSERT_EQ(f.open(), kOk);
    buf = item("12345", 7, runtime::cp("Жуков"), "10");
    ASSERT_EQ(f.add(), kOk);
  }
  const std::string command =
      std::string(SQLITE3_PROGRAM) + " '" + path() +
      "' \"PRAGMA journal_mode; SELECT hex(CODE), \\\"GROUP\\\", hex(TITLE), "
      "length(TITLE_SORT) FROM records\"";
  FILE* p = popen(command.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char line[256] = {};
  std::string out;
  while (fgets(line, sizeof line, p)) out += line;
  pclose(p);
  EXPECT_EQ(out, "delete\n313233343520|7|C6F3EAEEE2|5\n");
}

}  // namespace
}  // namespace storage::test
