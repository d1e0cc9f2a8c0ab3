// Files edited with the stock sqlite3 tool or damaged: the driver never reads a wrong value as
// right, never loops or skips in a key's order, and changes nothing in a file it has not
// recognised as its own.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <set>

#include "storage/keyed_file.h"
#include "test_files.h"

namespace storage::test {
namespace {

class DamagedFileTest : public ::testing::Test {
 protected:
  std::string path() const { return dir.file("ITEM.db"); }

  void makeFile(int records) {
    KeyedFile f(itemDecl(), &buf, path());
    ASSERT_EQ(f.create(), kOk);
    ASSERT_EQ(f.open(), kOk);
    ASSERT_EQ(f.stream(), kOk);
    for (int i = 0; i < records; ++i) {
      char c[16];
      std::snprintf(c, sizeof c, "%05d", i % 100000);
      buf = item(c, i % 7, "t" + std::string(c), std::to_string(i % 10));
      ASSERT_EQ(f.add(), kOk);
    }
    ASSERT_EQ(f.flush(), kOk);
  }

  // Reads in an order until the first failure; every record number read is counted.
  int readAll(KeyedFile& f, int order, bool forward, std::multiset<std::string>& seen) {
    EXPECT_EQ(f.set(order), kOk);
    int rc;
    while ((rc = forward ? f.next() : f.prev()) == kOk) {
      seen.insert(f.position(kFileOrder));
      if (seen.size() > 100000) return -1;  // a read that never ends
    }
    return rc;
  }

  TempDir dir;
  Item buf{};
};

// A sort key that no longer matches its text (a flipped bit, an edit with the stock tool) is
// met once, reported as keys out of date, and the file then opens for its rebuild; a read in
// key order never sees a record twice, never loops, and after the rebuild sees every record.
TEST_F(DamagedFileTest, SortKeyThatDoesNotMatchItsTextNeverLoopsOrSkips) {
  constexpr int kRecords = 3000;
  makeFile(kRecords);
  for (const char* edit : {"UPDATE records SET TITLE_SORT = x'FF' WHERE id = 1500",
                           "UPDATE records SET TITLE_SORT = x'00' WHERE id = 2900",
                           "UPDATE records SET TITLE_SORT = 'text' WHERE id = 10"}) {
    SCOPED_TRACE(edit);
    ASSERT_EQ(editFile(path(), edit), "");
    for (bool forward : {true, false}) {
      // Read only: reported each time, and the file is left as it is.
      const auto before = folderContents(dir.path());
      KeyedFile reader(itemDecl(), &buf, path());
      ASSERT_EQ(reader.open(kReadOnly), kOk);
      std::multiset<std::string> seen;
      EXPECT_EQ(readAll(reader, kByTitle, forward, seen), kKeysInvalid);
      EXPECT_LT(seen.size(), size_t{kRecords});
      for (const std::string& t : seen) {
        EXPECT_EQ(seen.count(t), 1u) << t;
      }
      reader.close();
      EXPECT_EQ(folderContents(dir.path()), before);

      // Shared: the same, and the keys are marked out of date for the next open.
      KeyedFile f(itemDecl(), &buf, path());
      ASSERT_EQ(f.open(), kOk);
      seen.clear();
      EXPECT_EQ(readAll(f, kByTitle, forward, seen), kKeysInvalid);
      for (const std::string& t : seen) {
        EXPECT_EQ(seen.count(t), 1u) << t;
      }
      f.close();
      EXPECT_EQ(f.open(), kKeysInvalid);
      ASSERT_EQ(f.open(kExclusive), kOk);
      ASSERT_EQ(f.buildKeys(), kOk);
      f.close();
      ASSERT_EQ(f.open(), kOk);
      seen.clear();
      EXPECT_EQ(readAll(f, kByTitle, forward, seen), kNoRecord);
      EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).size(), size_t{kRecords});
      EXPECT_EQ(seen.size(), size_t{kRecords});
      f.close();
      if (forward) {
        ASSERT_EQ(editFile(path(), edit), "");
      }
    }
  }
  EXPECT_EQ(integrityCheck(path()), "ok");
}

// A value its field cannot hold is a read error, never cut or converted, wherever the read
// comes from; the records around it read as before.
TEST_F(DamagedFileTest, ValueThatDoesNotFitItsFieldIsAReadError) {
  struct Case {
    const char* what;
    const char* sql;
  };
  const Case cases[] = {
      {"a number beyond 32 bits", "UPDATE records SET \"GROUP\" = 4294967296 WHERE id = 2"},
      {"a negative number beyond 32 bits",
       "UPDATE records SET \"GROUP\" = -2147483649 WHERE id = 2"},
      {"text in a LONG", "UPDATE records SET \"GROUP\" = 'seven' WHERE id = 2"},
      {"a real in a LONG", "UPDATE records SET \"GROUP\" = 1.5 WHERE id = 2"},
      {"bytes in a LONG", "UPDATE records SET \"GROUP\" = x'01' WHERE id = 2"},
      {"a STRING longer than its width",
       "UPDATE records SET CODE = x'41424344454647' WHERE id = 2"},
      {"a CSTRING longer than its room",
       "UPDATE records SET TITLE = x'414243444546474849505152535455565758' WHERE id = 2"},
      {"a NUL inside a CSTRING", "UPDATE records SET TITLE = x'410042' WHERE id = 2"},
      {"a number in a text field", "UPDATE records SET TAG = 12 WHERE id = 2"},
      {"a real in a text field", "UPDATE records SET TAG = 1.25 WHERE id = 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    makeFile(3);
    ASSERT_EQ(editFile(path(), c.sql), "");
    KeyedFile f(itemDecl(), &buf, path());
    ASSERT_EQ(f.open(), kOk);
    ASSERT_EQ(f.set(kFileOrder), kOk);
    ASSERT_EQ(f.next(), kOk);
    EXPECT_EQ(code(buf), "00000");
    EXPECT_FALSE(f.eof()) << "the record is there, though it cannot be read";
    EXPECT_EQ(f.next(), kDriverError);
    EXPECT_EQ(f.error().driverCode, SQLITE_MISMATCH);
    EXPECT_NE(f.error().driverText.find("record 2"), std::string::npos) << f.error().driverText;
    EXPECT_EQ(code(buf), "00000") << "the buffer keeps the last record read";
    EXPECT_EQ(f.next(), kDriverError) << "nothing is skipped";
    EXPECT_EQ(f.getByNumber(2), kDriverError);
    EXPECT_EQ(f.getByNumber(3), kOk);
    EXPECT_EQ(f.prev(), kDriverError);
    EXPECT_EQ(f.reget(f.position(kFileOrder)), kOk);
    EXPECT_EQ(code(buf), "00002");
  }
}

// Whatever the stock tool has added to or taken from the file, it is not the layout declared:
// 47, in every mode, and the file is left byte for byte as it was, with nothing beside it.
TEST_F(DamagedFileTest, FileWithOtherTablesColumnsOrCodeIsNotOurs) {
  struct Case {
    const char* what;
    const char* sql;
  };
  const Case cases[] = {
      {"dropped column", "ALTER TABLE records DROP COLUMN TITLE"},
      {"extra column", "ALTER TABLE records ADD COLUMN NOTE BLOB"},
      {"retyped column",
       "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = replace(sql, '\"GROUP\" "
       "INTEGER', '\"GROUP\" TEXT') WHERE name = 'records'"},
      {"column without its NOT NULL",
       "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = replace(sql, 'TAG\" BLOB NOT "
       "NULL', 'TAG\" BLOB') WHERE name = 'records'"},
      {"renamed column", "ALTER TABLE records RENAME COLUMN TAG TO LABEL"},
      {"extra column of meta", "ALTER TABLE meta ADD COLUMN note TEXT"},
      {"extra table", "CREATE TABLE notes(x)"},
      {"view", "CREATE VIEW everything AS SELECT * FROM records"},
      {"trigger",
       "CREATE TRIGGER stamp AFTER UPDATE ON records BEGIN UPDATE meta SET value = 'x' WHERE "
       "name = 'format'; END"},
      {"index of another name", "CREATE INDEX by_tag ON records(TAG)"},
      {"records table dropped", "DROP TABLE records"},
      {"another program's schema", "DROP TABLE records; DROP TABLE meta; CREATE TABLE t(x)"},
      {"WAL mode", "PRAGMA journal_mode = WAL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    makeFile(3);
    ASSERT_EQ(editFile(path(), c.sql), "");
    const auto before = folderContents(dir.path());
    for (int mode : {kShared, kExclusive, kReadOnly}) {
      KeyedFile f(itemDecl(), &buf, path());
      EXPECT_EQ(f.open(mode), kLayoutMismatch) << "mode " << mode << ": " << f.error().driverText;
      EXPECT_FALSE(f.isOpen());
    }
    EXPECT_EQ(folderContents(dir.path()), before);
  }
}

// An index of ours made otherwise than its key (edited by hand) is out of date: rebuilt.
TEST_F(DamagedFileTest, IndexMadeOtherwiseIsRebuilt) {
  makeFile(20);
  ASSERT_EQ(editFile(path(), "DROP INDEX key_BY_TITLE; CREATE INDEX key_BY_TITLE ON records(TAG)"),
            "");
  KeyedFile f(itemDecl(), &buf, path());
  EXPECT_EQ(f.open(), kKeysInvalid);
  ASSERT_EQ(f.open(kExclusive), kOk);
  ASSERT_EQ(f.buildKeys(), kOk);
  f.close();
  ASSERT_EQ(f.open(), kOk);
  std::multiset<std::string> seen;
  EXPECT_EQ(readAll(f, kByTitle, true, seen), kNoRecord);
  EXPECT_EQ(seen.size(), 20u);
}

// The upkeep the sqlite3 tool offers (statistics for its query planner, a vacuum, a reindex)
// leaves a file every station can work with, and one whose keys can be rebuilt.
TEST_F(DamagedFileTest, TheSqliteToolsUpkeepLeavesTheFileUsable) {
  makeFile(20);
  ASSERT_EQ(editFile(path(), "ANALYZE; PRAGMA optimize; VACUUM; REINDEX"), "");
  for (int mode : {kShared, kReadOnly, kExclusive}) {
    KeyedFile f(itemDecl(), &buf, path());
    ASSERT_EQ(f.open(mode), kOk) << "mode " << mode << ": " << f.error().driverText;
    if (mode == kExclusive) {
      EXPECT_EQ(f.buildKeys(), kOk);
    }
    std::multiset<std::string> seen;
    EXPECT_EQ(readAll(f, kByTitle, true, seen), kNoRecord);
    EXPECT_EQ(seen.size(), 20u);
  }
}

// Something other than a file in the file's place (a named pipe, which an open would wait on
// for ever) is refused at once, whether the file is opened or made anew.
TEST_F(DamagedFileTest, APipeInTheFilesPlaceIsRefusedAtOnce) {
  ASSERT_EQ(::mkfifo(path().c_str(), 0644), 0);
  KeyedFile f(itemDecl(), &buf, path());
  EXPECT_EQ(f.open(), kDriverError);
  EXPECT_EQ(f.create(), kDriverError);
  EXPECT_NE(f.error().driverText.find("not a regular file"), std::string::npos)
      << f.error().driverText;
}

// A name in double quotes that is no column is an error, never the text of the name.
TEST_F(DamagedFileTest, DoubleQuotedStringsAreOff) {
  makeFile(1);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path().c_str(), &db), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  // What the stock tool allows...
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT \"NOSUCH\" FROM records", -1, &stmt, nullptr),
            SQLITE_OK);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  // ...the driver's statements refuse: a read of a file whose column went missing after the
  // open fails rather than read the column's name as its value.
  KeyedFile f(itemDecl(), &buf, path());
  ASSERT_EQ(f.open(), kOk);
  ASSERT_EQ(editFile(path(), "ALTER TABLE records DROP COLUMN TITLE"), "");
  ASSERT_EQ(f.set(kFileOrder), kOk);
  EXPECT_EQ(f.next(), kDriverError);
  EXPECT_NE(f.error().driverText.find("TITLE"), std::string::npos) << f.error().driverText;
}

}  // namespace
}  // namespace storage::test
