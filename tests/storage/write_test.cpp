// Writing: round trips of the record bytes, watch and conflicts, bulk append and key rebuild,
// streams and transactions.

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"
#include "test_files.h"

namespace storage::test {
namespace {

using runtime::cp;

class WriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(file.create(), kOk);
    ASSERT_EQ(file.open(), kOk);
    ASSERT_EQ(station.open(), kOk);
  }

  void TearDown() override {
    file.close();
    station.close();
    EXPECT_EQ(integrityCheck(dir.file("ITEM.db")), "ok");
  }

  void add(const Item& i) {
    buf = i;
    ASSERT_EQ(file.add(), kOk);
  }

  TempDir dir;
  Item buf{};
  Item other{};
  KeyedFile file{itemDecl(), &buf, dir.file("ITEM.db")};
  KeyedFile station{itemDecl(), &other, dir.file("ITEM.db")};  // a second station
};

TEST_F(WriteTest, RecordsComeBackByteForByte) {
  Item records[3] = {
      item("12345", 7, cp("Жуков И.И."), "10"),
      item("", -2147483647 - 1, std::string(17, 'x'), ""),
      item("", 2147483647, "", ""),
  };
  std::memcpy(records[0].CODE, "12345\0", 6);  // the older form of a five-digit number
  std::memcpy(records[1].TAG, "a\0b ", 4);
  std::memcpy(records[2].CODE, "\xFF\x01\x7F  ", 6);
  for (const Item& r : records) add(r);
  ASSERT_EQ(file.set(kFileOrder), kOk);
  for (const Item& r : records) {
    ASSERT_EQ(file.next(), kOk);
    EXPECT_EQ(std::memcmp(&buf, &r, sizeof buf), 0);
  }
  // A CSTRING keeps 17 characters of 18; the bytes after its NUL do not matter and read as 0.
  buf = item("1", 1, "", "1");
  std::memset(buf.TITLE, 'y', sizeof buf.TITLE);
  ASSERT_EQ(file.add(), kOk);
  ASSERT_EQ(file.getByNumber(4), kOk);
  EXPECT_EQ(std::string(buf.TITLE, 18), std::string(17, 'y') + '\0');
}

TEST_F(WriteTest, WatchedRewriteOfAChangedRecordIsRefused) {
  add(item("1", 1, "first", "1"));
  add(item("2", 1, "second", "1"));
  buf = item("1", 0, "", "");
  ASSERT_EQ(file.watch(), kOk);
  ASSERT_EQ(file.get(kByCode), kOk);
  const std::string token = file.position(kFileOrder);

  other = item("1", 0, "", "");
  ASSERT_EQ(station.get(kByCode), kOk);
  setText(itemDecl().fields[2], &other, "theirs");
  ASSERT_EQ(station.put(), kOk);

  setText(itemDecl().fields[2], &buf, "mine");
  EXPECT_EQ(file.put(), kRecordChanged);
  EXPECT_EQ(lastError().code, kRecordChanged);
  ASSERT_EQ(station.reget(token), kOk);
  EXPECT_EQ(title(other), "theirs") << "nothing of the refused rewrite was written";

  // Read again under watch, the rewrite goes through, and so does a second one.
  ASSERT_EQ(file.watch(), kOk);
  ASSERT_EQ(file.reget(token), kOk);
  EXPECT_EQ(title(buf), "theirs");
  setText(itemDecl().fields[2], &buf, "mine");
  EXPECT_EQ(file.put(), kOk);
  setText(itemDecl().fields[2], &buf, "mine again");
  EXPECT_EQ(file.put(), kOk);

  // Deleted by the other station meanwhile: refused as well.
  ASSERT_EQ(file.watch(), kOk);
  ASSERT_EQ(file.reget(token), kOk);
  ASSERT_EQ(station.reget(token), kOk);
  ASSERT_EQ(station.erase(), kOk);
  EXPECT_EQ(file.put(), kRecordChanged);

  // Without watch the last writer wins; a record that is gone gives 33.
  other = item("2", 0, "", "");
  ASSERT_EQ(station.get(kByCode), kOk);
  buf = item("2", 0, "", "");
  ASSERT_EQ(file.get(kByCode), kOk);
  setText(itemDecl().fields[2], &other, "theirs");
  ASSERT_EQ(station.put(), kOk);
  setText(itemDecl().fields[2], &buf, "mine");
  EXPECT_EQ(file.put(), kOk);
  ASSERT_EQ(station.erase(), kOk);
  EXPECT_EQ(file.put(), kNoRecord);
}

// A key that admits no equal values refuses a second record of its value, from this station
// or another, on an add and on a rewrite; the record's own value and an append do not count.
TEST(UniqueKeyTest, ASecondRecordOfAUniqueValueIsRefused) {
  FileDecl decl = groupDecl();
  decl.keys[kGroupNum].unique = true;   // a number
  decl.keys[kGroupName].unique = true;  // a text, compared by its sort key
  TempDir dir;
  Group buf{};
  Group other{};
  KeyedFile file{decl, &buf, dir.file("GROUP.db")};
  KeyedFile station{decl, &other, dir.file("GROUP.db")};
  ASSERT_EQ(file.create(), kOk);
  ASSERT_EQ(file.open(), kOk);
  ASSERT_EQ(station.open(), kOk);
  const auto set = [&decl](Group& g, int32_t num, const std::string& name) {
    g = Group{};
    g.NUM = num;
    setText(decl.fields[kGroupName], &g, name);
  };
  set(buf, 1, "first");
  ASSERT_EQ(file.add(), kOk);
  set(other, 1, "second");
  EXPECT_EQ(station.add(), kDuplicateKey) << "the number is taken";
  EXPECT_EQ(lastError().code, kDuplicateKey);
  set(other, 2, "first");
  EXPECT_EQ(station.add(), kDuplicateKey) << "the name is taken";
  set(other, 2, "second");
  ASSERT_EQ(station.add(), kOk);
  EXPECT_EQ(file.records(), 2);

  // A rewrite to another record's value is refused and writes nothing; to its own, it goes.
  ASSERT_EQ(file.watch(), kOk);
  set(buf, 1, "");
  ASSERT_EQ(file.get(kGroupNum), kOk);
  buf.NUM = 2;
  EXPECT_EQ(file.put(), kDuplicateKey);
  buf.NUM = 1;
  setText(decl.fields[kGroupName], &buf, "first, renamed");
  EXPECT_EQ(file.put(), kOk) << "still watched: the refused rewrite changed nothing";
  set(other, 2, "");
  ASSERT_EQ(station.get(kGroupNum), kOk);
  EXPECT_EQ(std::string(other.NAME), "second");
  // Changed elsewhere is still told apart from a taken value.
  ASSERT_EQ(station.watch(), kOk);
  ASSERT_EQ(station.get(kGroupNum), kOk);
  set(buf, 2, "");
  ASSERT_EQ(file.get(kGroupNum), kOk);
  setText(decl.fields[kGroupName], &buf, "theirs");
  ASSERT_EQ(file.put(), kOk);
  other.NUM = 1;
  EXPECT_EQ(station.put(), kRecordChanged);

  // Appends come before the keys are built and are not held to them.
  ASSERT_EQ(file.stream(), kOk);
  set(buf, 1, "again");
  EXPECT_EQ(file.append(), kOk);
  ASSERT_EQ(file.flush(), kOk);
  file.close();
  station.close();
  EXPECT_EQ(integrityCheck(dir.file("GROUP.db")), "ok");
}

// The conversion of old five-digit numbers rewrites keys while it scans: the scan goes on from
// where each record was, and a record met again is rewritten to the same value.
TEST_F(WriteTest, ScanThatRewritesItsKeyGoesOnInOrder) {
  const char* numbers[] = {"31234", "30001", "52101", "29999", "39999", "4"};
  for (const char* n : numbers) {
    Item i = item(n, 1, "x", "1");
    if (std::strlen(n) == 5) i.CODE[5] = '\0';
    add(i);
  }
  ASSERT_EQ(file.stream(), kOk);
  buf = item("3", 0, "", "");
  ASSERT_EQ(file.setByKey(kByCode), kOk);
  int rewritten = 0;
  while (!file.eof()) {
    ASSERT_EQ(file.next(), kOk);
    if (buf.CODE[0] != '3') break;
    buf.CODE[5] = ' ';
    ASSERT_EQ(file.put(), kOk);
    ++rewritten;
  }
  ASSERT_EQ(file.flush(), kOk);
  EXPECT_EQ(rewritten, 3);
  ASSERT_EQ(file.set(kByCode), kOk);
  std::string all;
  while (file.next() == kOk) all += std::string(buf.CODE, 6) + "|";
  EXPECT_EQ(all, std::string("29999") + '\0' + "|30001 |31234 |39999 |4     |52101" + '\0' + "|");
}

TEST_F(WriteTest, EraseAndAddKeepTheReadGoing) {
  for (const char* c : {"1", "2", "3", "4"}) add(item(c, 1, c, "1"));
  ASSERT_EQ(file.set(kByCode), kOk);
  ASSERT_EQ(file.next(), kOk);
  ASSERT_EQ(file.next(), kOk);
  ASSERT_EQ(file.erase(), kOk);
  EXPECT_EQ(file.erase(), kNoRecord) << "no current record after a delete";
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(code(buf), "3");
  ASSERT_EQ(file.prev(), kOk);
  EXPECT_EQ(code(buf), "1");
  EXPECT_EQ(file.records(), 3);
}

TEST_F(WriteTest, AppendWithoutKeysThenRebuild) {
  for (const char* c : {"5", "1"}) add(item(c, 1, c, "1"));
  ASSERT_EQ(station.set(kByCode), kOk);
  ASSERT_EQ(station.next(), kOk);

  ASSERT_EQ(file.stream(), kOk);
  for (int i = 9; i >= 2; --i) {
    buf = item(std::to_string(i * 11), 1, "app", "1");
    ASSERT_EQ(file.append(), kOk);
  }
  ASSERT_EQ(file.flush(), kOk);
  EXPECT_EQ(file.records(), 10);
  EXPECT_EQ(file.set(kByCode), kOk);
  EXPECT_EQ(file.next(), kKeysInvalid) << "keyed reads wait for the rebuild";
  EXPECT_EQ(station.set(kByCode), kOk);
  EXPECT_EQ(station.next(), kKeysInvalid) << "so do other stations'";
  ASSERT_EQ(file.set(kFileOrder), kOk);
  EXPECT_EQ(file.next(), kOk) << "reading in file order needs no key";
  file.close();
  station.close();

  EXPECT_EQ(file.open(), kKeysInvalid);
  ASSERT_EQ(file.open(kExclusive), kOk);
  EXPECT_EQ(station.open(), kAccessDenied);
  // A rebuild told to stop (the program is closing) ends without a trace: the keys stay out of
  // date for the next start to rebuild.
  int asked = 0;
  EXPECT_NE(file.buildKeys([&asked] { return ++asked > 0; }), kOk);
  EXPECT_GT(asked, 0);
  file.close();
  EXPECT_EQ(file.open(), kKeysInvalid);
  ASSERT_EQ(file.open(kExclusive), kOk);
  ASSERT_EQ(file.buildKeys([] { return false; }), kOk);
  file.close();
  ASSERT_EQ(file.open(), kOk);
  ASSERT_EQ(station.open(), kOk);
  ASSERT_EQ(station.set(kByCode), kOk);
  std::string all;
  while (station.next() == kOk) all += code(other) + " ";
  EXPECT_EQ(all, "1 22 33 44 5 55 66 77 88 99 ");
}

TEST_F(WriteTest, AppendsOfARolledBackStreamLeaveTheKeysValid) {
  add(item("1", 1, "a", "1"));
  ASSERT_EQ(file.begin(1), kOk);
  buf = item("2", 1, "b", "1");
  ASSERT_EQ(file.append(), kOk);
  ASSERT_EQ(file.rollback(), kOk);
  file.close();
  ASSERT_EQ(file.open(), kOk);
  EXPECT_EQ(file.records(), 1);
}

TEST_F(WriteTest, TransactionsAreAllOrNothing) {
  EXPECT_EQ(file.rollback(), kOk) << "nothing to roll back is no error";
  EXPECT_EQ(file.commit(), kOk);
  ASSERT_EQ(file.begin(5), kOk);
  EXPECT_EQ(file.begin(5), kDriverError);
  add(item("1", 1, "a", "1"));
  add(item("2", 1, "b", "1"));
  EXPECT_EQ(station.records(), 0) << "others do not see what is not committed";
  station.setBusyLimit(0);
  other = item("9", 1, "z", "1");
  EXPECT_EQ(station.add(), kAccessDenied);
  EXPECT_EQ(station.begin(0), kAccessDenied) << "a second transaction cannot begin";
  ASSERT_EQ(file.rollback(), kOk);
  EXPECT_EQ(file.records(), 0);

  ASSERT_EQ(file.begin(5), kOk);
  add(item("1", 1, "a", "1"));
  ASSERT_EQ(file.commit(), kOk);
  EXPECT_EQ(station.records(), 1);

  // Closing rolls an open transaction back, and commits an open stream.
  ASSERT_EQ(file.begin(5), kOk);
  add(item("2", 1, "b", "1"));
  file.close();
  EXPECT_EQ(station.records(), 1);
  ASSERT_EQ(file.open(), kOk);
  ASSERT_EQ(file.stream(), kOk);
  EXPECT_EQ(file.stream(), kOk);
  add(item("3", 1, "c", "1"));
  EXPECT_EQ(station.records(), 1);
  file.close();
  EXPECT_EQ(station.records(), 2);
}

// A deleted record's number is never given to a new record, not even when the file has been
// emptied and reopened: a position token kept by another station never names another record.
TEST_F(WriteTest, RecordNumbersAreNeverReused) {
  auto number = [this] { return file.position(kFileOrder); };
  for (const char* c : {"a", "b", "c"}) add(item(c, 1, c, "1"));
  EXPECT_EQ(number(), "F.3");
  ASSERT_EQ(file.erase(), kOk);
  add(item("d", 1, "d", "1"));
  EXPECT_EQ(number(), "F.4");
  ASSERT_EQ(file.set(kFileOrder), kOk);
  while (file.next() == kOk) ASSERT_EQ(file.erase(), kOk);
  ASSERT_EQ(file.records(), 0);
  file.close();
  ASSERT_EQ(file.open(), kOk);
  add(item("e", 1, "e", "1"));
  EXPECT_EQ(number(), "F.5");
  ASSERT_EQ(station.getByNumber(3), kNoRecord);
}

}  // namespace
}  // namespace storage::test
