// Reading in each key's order, positioning by key value and by position token.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

#include "runtime/locale/charset.h"
#include "runtime/locale/collation.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"
#include "test_files.h"

namespace storage::test {
namespace {

using runtime::cp;

// Seven items whose orders differ in every way the keys can: text by the collation (digits
// before Latin before Cyrillic, case ignored, Ё after Е), "10" before "2", numbers as numbers,
// equal keys by record number.
class CursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(file.create(), kOk);
    ASSERT_EQ(file.open(), kOk);
    const Item items[] = {
        item("2", 3, cp("Ёлкин"), "2"),    item("10", 3, cp("ежов"), "10"),
        item("3", -5, cp("Жуков"), "1"),   item("1", 20, "Zorro", "1"),
        item("25", 3, cp("Антонов"), "2"), item("a7", 20, cp("ежов"), " "),
        item("A6", 3, cp("Елкин"), "3"),
    };
    for (const Item& i : items) {
      buf = i;
      ASSERT_EQ(file.add(), kOk);
    }
  }

  // Codes read from the current position onward, in one direction, until code 33.
  std::string readAll(bool forward) {
    std::string out;
    int rc;
    while ((rc = forward ? file.next() : file.prev()) == kOk) {
      EXPECT_EQ(file.activeStatements(), 0);
      out += (out.empty() ? "" : " ") + code(buf);
    }
    EXPECT_EQ(rc, kNoRecord);
    return out;
  }

  static std::vector<std::string> split(const std::string& codes) {
    std::vector<std::string> out;
    for (size_t at = 0; at < codes.size();) {
      const size_t end = std::min(codes.find(' ', at), codes.size());
      out.push_back(codes.substr(at, end - at));
      at = end + 1;
    }
    return out;
  }

  std::string readFrom(int order, bool forward) {
    EXPECT_EQ(file.set(order), kOk);
    return readAll(forward);
  }

  TempDir dir;
  Item buf{};
  KeyedFile file{itemDecl(), &buf, dir.file("ITEM.db")};
};

TEST_F(CursorTest, EachOrderForwardAndBackward) {
  struct Case {
    int order;
    const char* codes;
  };
  const Case cases[] = {
      {kFileOrder, "2 10 3 1 25 a7 A6"},
      {kByCode, "1 10 2 25 3 A6 a7"},
      {kByPlace, "3 10 2 25 A6 a7 1"},
      {kByTitle, "1 25 10 a7 A6 2 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order);
    EXPECT_EQ(readFrom(c.order, true), c.codes);
    std::vector<std::string> backward = split(readFrom(c.order, false));
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, split(c.codes));
    EXPECT_EQ(file.prev(), kNoRecord) << "stays at the end";
  }
}

TEST_F(CursorTest, SetByKeyValue) {
  struct Case {
    int key;
    Item value;
    const char* forward;   // first records read forward
    const char* backward;  // first record read backward
  };
  const Case cases[] = {
      {kByTitle, item("", 0, cp("ЕЖОВ"), ""), "10 a7 A6", "a7"},  // equal keys on both sides
      {kByTitle, item("", 0, cp("Ел"), ""), "A6 2 3", "a7"},      // between values
      {kByTitle, item("", 0, cp("Я"), ""), "", "3"},              // beyond the last
      {kByTitle, item("", 0, "", ""), "1 25 10", ""},             // before the first
      {kByPlace, item("", 3, "", ""), "10 2 25", "3"},            // blank tag: start of group 3
      {kByPlace, item("", 3, "", "2"), "2 25 A6", "25"},
      {kByPlace, item("", 4, "", ""), "a7 1", "A6"},
      {kByCode, item("100", 0, "", ""), "2 25 3", "10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.forward) + " / " + c.backward);
    buf = c.value;
    ASSERT_EQ(file.setByKey(c.key), kOk);
    std::string got;
    for (int n = 0; n < 3 && file.next() == kOk; ++n) got += (got.empty() ? "" : " ") + code(buf);
    EXPECT_EQ(got, c.forward);
    buf = c.value;
    ASSERT_EQ(file.setByKey(c.key), kOk);
    EXPECT_EQ(file.prev() == kOk ? code(buf) : "", c.backward);
  }
}

TEST_F(CursorTest, EofLooksAheadWithoutMoving) {
  ASSERT_EQ(file.set(kByCode), kOk);
  int read = 0;
  while (!file.eof()) {
    ASSERT_EQ(file.next(), kOk);
    ++read;
  }
  EXPECT_EQ(read, 7);
  EXPECT_EQ(code(buf), "a7");
  EXPECT_EQ(file.next(), kNoRecord);
  EXPECT_TRUE(file.eof());
  ASSERT_EQ(file.prev(), kOk);
  EXPECT_EQ(code(buf), "A6");
}

TEST_F(CursorTest, GetByKeyAndByNumber) {
  buf = item("", 0, cp("ЕЖОВ"), "");
  ASSERT_EQ(file.get(kByTitle), kOk);
  EXPECT_EQ(code(buf), "10") << "the lowest record number among equal keys";
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(code(buf), "a7") << "reading goes on in the key's order";
  buf = item("", 3, "", "2");
  ASSERT_EQ(file.get(kByPlace), kOk);
  EXPECT_EQ(code(buf), "2");
  buf = item("", 3, "", "7");
  EXPECT_EQ(file.get(kByPlace), kNoRecord);

  ASSERT_EQ(file.getByNumber(3), kOk);
  EXPECT_EQ(code(buf), "3");
  EXPECT_EQ(file.getByNumber(0), kNoRecord);
  EXPECT_EQ(file.put(), kNoRecord) << "no current record after number 0";
  EXPECT_EQ(file.getByNumber(99), kNoRecord);
}

// A filter lets SQLite pass over the records in record-number order that cannot matter; it
// reads the bytes as a read puts them into the buffer, whatever another tool stored.
TEST_F(CursorTest, FilteredReadsInRecordNumberOrder) {
  constexpr int kCode = 0, kGroup = 1, kTitle = 2;
  auto filtered = [&](const RecordFilter& f, bool forward = true) {
    EXPECT_EQ(file.setFiltered(f), kOk);
    return readAll(forward);
  };
  EXPECT_EQ(filtered({{kCode, 1, "57"}}), "25 a7");
  EXPECT_EQ(filtered({{kCode, 1, "57"}}, false), "a7 25");
  EXPECT_EQ(filtered({{kCode, 0, "aA"}, {kCode, 1, "6"}}), "A6") << "every condition holds";
  EXPECT_EQ(filtered({{kCode, 1, " "}}), "2 3 1") << "the blank that pads a STRING";
  EXPECT_EQ(filtered({{kTitle, 5, std::string(1, '\0')}}), "2 10 3 1 a7 A6")
      << "the NUL that pads a CSTRING";
  EXPECT_EQ(filtered({}), "2 10 3 1 25 a7 A6") << "no condition";
  ASSERT_EQ(file.getByNumber(5), kOk);
  EXPECT_EQ(file.recordNumber(), 5);

  // Stored shorter than its width, or as text, by another tool.
  file.close();
  ASSERT_EQ(editFile(dir.file("ITEM.db"),
                     "UPDATE records SET CODE = x'39' WHERE id = 4;"
                     "UPDATE records SET CODE = CAST('27' AS TEXT) WHERE id = 1"),
            "");
  ASSERT_EQ(file.open(), kOk);
  EXPECT_EQ(filtered({{kCode, 1, " "}}), "3 9");
  EXPECT_EQ(filtered({{kCode, 1, "7"}}), "27 a7");

  // Any other positioning ends the filter.
  ASSERT_EQ(file.setFiltered({{kCode, 1, "7"}}), kOk);
  ASSERT_EQ(file.next(), kOk);
  ASSERT_EQ(file.set(kFileOrder), kOk);
  EXPECT_EQ(readAll(true), "27 10 3 9 25 a7 A6");
  ASSERT_EQ(file.setFiltered({{kCode, 1, "7"}}), kOk);
  ASSERT_EQ(file.getByNumber(2), kOk);
  EXPECT_EQ(readAll(true), "3 9 25 a7 A6");

  // A condition on no text field, beyond the field or with no bytes is refused.
  EXPECT_EQ(file.setFiltered({{kGroup, 0, "3"}}), kDriverError);
  EXPECT_EQ(file.setFiltered({{kCode, 6, "3"}}), kDriverError);
  EXPECT_EQ(file.setFiltered({{9, 0, "3"}}), kDriverError);
  EXPECT_EQ(file.setFiltered({{kCode, 0, ""}}), kDriverError);
}

TEST_F(CursorTest, PositionsReadBackAndReanchor) {
  for (int order : {kFileOrder, kByCode, kByPlace, kByTitle}) {
    SCOPED_TRACE(order);
    const std::vector<std::string> all = split(readFrom(order, true));
    ASSERT_EQ(file.set(order), kOk);
    for (int n = 0; n < 4; ++n) ASSERT_EQ(file.next(), kOk);
    const std::string middle = code(buf);
    const std::string token = file.position(order);
    ASSERT_FALSE(token.empty());
    EXPECT_LE(token.size(), 512u);
    EXPECT_TRUE(std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 127; }));
    ASSERT_EQ(file.next(), kOk);
    EXPECT_NE(file.position(order), token);

    // Kept in a blank-padded field, the token still works.
    const std::string padded = token + std::string(512 - token.size(), ' ');
    buf = Item{};
    ASSERT_EQ(file.reget(padded), kOk);
    EXPECT_EQ(code(buf), middle);
    EXPECT_EQ(file.position(order), token) << "equal tokens for the same record";
    ASSERT_EQ(file.reset(padded), kOk);
    ASSERT_EQ(file.next(), kOk);
    EXPECT_EQ(code(buf), middle);
    ASSERT_EQ(file.reset(token), kOk);
    ASSERT_EQ(file.prev(), kOk);
    EXPECT_EQ(code(buf), middle);

    // Another station deletes the record: the token re-anchors where it was.
    Item other{};
    KeyedFile station(itemDecl(), &other, file.name());
    ASSERT_EQ(station.open(), kOk);
    ASSERT_EQ(station.reget(token), kOk);
    const Item deleted = other;
    ASSERT_EQ(station.erase(), kOk);
    ASSERT_EQ(all[3], middle);
    EXPECT_EQ(file.reget(token), kNoRecord);
    ASSERT_EQ(file.reset(token), kOk);
    EXPECT_EQ(split(readAll(true)), std::vector<std::string>(all.begin() + 4, all.end()));
    ASSERT_EQ(file.reset(token), kOk);
    ASSERT_EQ(file.prev(), kOk);
    EXPECT_EQ(code(buf), all[2]);
    other = deleted;
    ASSERT_EQ(station.add(), kOk);  // back, under a new record number
  }
  EXPECT_EQ(file.reget("K9.1"), kDriverError);
  EXPECT_EQ(file.reset("nonsense"), kDriverError);
  EXPECT_EQ(file.reget("K0.1.n5"), kDriverError) << "a number where the key has text";
}

// A record another station deleted cannot be read again by its token, and nothing read
// before may stand in for it: rewriting or deleting "it" touches no other record.
TEST_F(CursorTest, ARecordDeletedElsewhereIsNotStoodInForByTheLastRead) {
  std::vector<std::string> all = split(readFrom(kByCode, true));
  ASSERT_EQ(file.set(kByCode), kOk);
  ASSERT_EQ(file.next(), kOk);
  ASSERT_EQ(file.next(), kOk);
  const std::string gone = file.position(kByCode);
  ASSERT_EQ(file.set(kByCode), kOk);
  ASSERT_EQ(file.next(), kOk);
  const Item first = buf;

  Item other{};
  KeyedFile station(itemDecl(), &other, file.name());
  ASSERT_EQ(station.open(), kOk);
  ASSERT_EQ(station.reget(gone), kOk);
  ASSERT_EQ(station.erase(), kOk);

  ASSERT_EQ(file.watch(), kOk);
  EXPECT_EQ(file.reget(gone), kNoRecord);
  buf = item(code(first), 99, "Overwritten", "9");
  EXPECT_EQ(file.put(), kNoRecord);
  EXPECT_EQ(file.erase(), kNoRecord);
  EXPECT_EQ(file.reget(file.position(kByCode)), kNoRecord) << "a token of no record";
  EXPECT_EQ(file.erase(), kNoRecord);

  all.erase(all.begin() + 1);
  EXPECT_EQ(split(readFrom(kByCode, true)), all) << "only the deleted record is missing";
  ASSERT_EQ(file.set(kByCode), kOk);
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(std::memcmp(&buf, &first, sizeof buf), 0) << "the first record is as it was";
}

// The widest values a key can hold: the smallest number and text of the highest byte in every
// place. Their positions still fit and still lead back to the record.
TEST_F(CursorTest, PositionsOfExtremeKeysReadBack) {
  buf = item(std::string(6, '\xff'), INT32_MIN, std::string(17, '\xff'), std::string(4, '\xff'));
  ASSERT_EQ(file.add(), kOk);
  const int64_t number = file.recordNumber();
  for (int order : {kFileOrder, kByCode, kByPlace, kByTitle}) {
    SCOPED_TRACE(order);
    ASSERT_EQ(file.getByNumber(number), kOk);
    const std::string token = file.position(order);
    ASSERT_FALSE(token.empty());
    EXPECT_LE(token.size(), 512u);
    buf = Item{};
    ASSERT_EQ(file.reget(token), kOk);
    const int32_t group = buf.GROUP;  // out of the packed record before it is compared
    EXPECT_EQ(group, INT32_MIN);
    EXPECT_EQ(file.recordNumber(), number);
  }
}

// A record's token is made from the key the file holds for it while the buffer still holds
// the record as read; in another order than it was read in, or once the caller has changed the
// buffer, it is made from the buffer.
TEST_F(CursorTest, TokenIsOfTheOrderAskedAndOfWhatTheBufferHolds) {
  ASSERT_EQ(file.set(kByTitle), kOk);
  ASSERT_EQ(file.next(), kOk);
  ASSERT_EQ(file.next(), kOk);
  const std::string read = code(buf);
  const std::string byTitle = file.position(kByTitle);
  const std::string byCode = file.position(kByCode);
  ASSERT_NE(byTitle.substr(0, 2), byCode.substr(0, 2));

  ASSERT_EQ(file.reget(byCode), kOk);
  EXPECT_EQ(file.position(kByCode), byCode);
  EXPECT_EQ(file.position(kByTitle), byTitle);
  ASSERT_EQ(file.set(kByCode), kOk);
  EXPECT_EQ(file.position(kByTitle), byTitle) << "the order changed after the read";
  EXPECT_EQ(file.position(kByCode), byCode);

  ASSERT_EQ(file.reget(byTitle), kOk);
  ASSERT_EQ(code(buf), read);
  buf = item(read, buf.GROUP, "Zorro", tag(buf));
  const std::string changed = file.position(kByTitle);
  EXPECT_NE(changed, byTitle);
  // The same values in a buffer of no record give the same key (after "K2.<number>").
  Item other = buf;
  KeyedFile station(itemDecl(), &other, file.name());
  ASSERT_EQ(station.open(), kOk);
  ASSERT_EQ(station.getByNumber(0), kNoRecord);
  other = buf;
  auto key = [](const std::string& t) { return t.substr(t.find('.', t.find('.') + 1)); };
  EXPECT_EQ(key(station.position(kByTitle)), key(changed));
}

TEST_F(CursorTest, TokenOfTheBufferWithoutCurrentRecordPositionsByValue) {
  ASSERT_EQ(file.getByNumber(0), kNoRecord);
  buf = item("", 0, cp("Ел"), "");
  const std::string token = file.position(kByTitle);
  ASSERT_EQ(file.reset(token), kOk);
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(code(buf), "A6");
}

TEST_F(CursorTest, NoStatementStaysActiveBetweenCalls) {
  Item other{};
  KeyedFile writer(itemDecl(), &other, file.name());
  ASSERT_EQ(writer.open(), kOk);
  writer.setBusyLimit(0);  // fail at once if a lock of the reader were held
  ASSERT_EQ(file.set(kByTitle), kOk);
  ASSERT_EQ(file.next(), kOk);
  const std::string token = file.position(kByTitle);
  const std::function<int()> calls[] = {
      [&] { return file.next(); },
      [&] { return file.eof() ? 1 : 0; },
      [&] { return file.prev(); },
      [&] { return file.reget(token); },
      [&] { return file.reset(token); },
      [&] { return file.get(kByTitle); },
      [&] { return static_cast<int>(file.records()); },
      [&] { return file.setByKey(kByPlace); },
      [&] { return file.next(); },
  };
  for (const auto& call : calls) {
    call();
    EXPECT_EQ(file.activeStatements(), 0);
    other = item("w", 1, "written", "1");
    EXPECT_EQ(writer.add(), kOk) << "a writer never waits for a reader between its calls";
  }
}

TEST_F(CursorTest, StaleReadAheadNeverOverwritesAnotherStationsChange) {
  ASSERT_EQ(file.set(kFileOrder), kOk);
  ASSERT_EQ(file.next(), kOk);  // fetched the next few records too
  Item other{};
  KeyedFile station(itemDecl(), &other, file.name());
  ASSERT_EQ(station.open(), kOk);
  ASSERT_EQ(station.getByNumber(2), kOk);
  setText(itemDecl().fields[2], &other, "changed");
  ASSERT_EQ(station.put(), kOk);

  ASSERT_EQ(file.watch(), kOk);
  ASSERT_EQ(file.next(), kOk);
  ASSERT_EQ(code(buf), "10");
  setText(itemDecl().fields[2], &buf, "mine");
  EXPECT_EQ(file.put(), kRecordChanged);
  ASSERT_EQ(file.getByNumber(2), kOk);
  EXPECT_EQ(title(buf), "changed");
}

// A list locates a record and fills its page from it inside one hold, or scrolls on from its
// last row in the next: the reset to the record just read serves it and the rows fetched after
// it without reading them again, for as long as nothing is written to the file. A change by
// another station or behind the driver's back in between is seen.
TEST_F(CursorTest, ResetToTheRecordJustReadKeepsItsRowsWhileTheFileIsUnchanged) {
  const std::vector<std::string> all = split(readFrom(kByTitle, true));
  Item other{};
  KeyedFile station(itemDecl(), &other, file.name());
  ASSERT_EQ(station.open(), kOk);
  for (const bool forward : {true, false}) {
    SCOPED_TRACE(forward);
    file.holdReads();
    ASSERT_EQ(file.set(kByTitle), kOk);
    file.setFetchHint(5);
    ASSERT_EQ(file.next(), kOk);
    ASSERT_EQ(file.next(), kOk);
    const std::string token = file.position(kByTitle);
    buf = Item{};  // the buffer need not hold the record for the token to name it
    ASSERT_EQ(file.reset(token), kOk);
    EXPECT_FALSE(file.eof());
    if (forward) {
      EXPECT_EQ(split(readAll(true)), std::vector<std::string>(all.begin() + 1, all.end()));
    } else {
      EXPECT_EQ(split(readAll(false)), std::vector<std::string>({all[1], all[0]}));
    }
    file.releaseReads();
  }

  // The token of the record `reads` records into the title order, read in a hold of its own
  // whose first fetch took `hint` records.
  auto readInAHold = [&](size_t hint, int reads) {
    file.holdReads();
    EXPECT_EQ(file.set(kByTitle), kOk);
    file.setFetchHint(hint);
    for (int i = 0; i < reads; ++i) EXPECT_EQ(file.next(), kOk);
    std::string token = file.position(kByTitle);
    file.releaseReads();
    return token;
  };

  // Positioned in the next hold with nothing written in between; the rows kept run out and
  // the next fetch goes on from the last of them.
  std::string token = readInAHold(2, 2);
  file.holdReads();
  ASSERT_EQ(file.reset(token), kOk);
  EXPECT_EQ(split(readAll(true)), std::vector<std::string>(all.begin() + 1, all.end()));
  file.releaseReads();

  // A change in between, with the stock tool or by another station, is seen.
  ASSERT_EQ(all[1], "25");  // the fifth added
  struct Change {
    const char* what;
    std::function<void()> make;
    std::string second;
  };
  const Change changes[] = {
      {"the stock tool's edit of the second record",
       [&] { ASSERT_EQ(editFile(file.name(), "UPDATE records SET CODE = 'zz' WHERE id = 5"), ""); },
       "zz"},
      {"another station's delete of the second record",
       [&] {
         ASSERT_EQ(station.set(kByTitle), kOk);
         ASSERT_EQ(station.next(), kOk);
         ASSERT_EQ(station.next(), kOk);
         ASSERT_EQ(station.erase(), kOk);
       },
       all[2]},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    token = readInAHold(5, 1);
    c.make();
    file.holdReads();
    ASSERT_EQ(file.reset(token), kOk);
    ASSERT_EQ(file.next(), kOk);
    EXPECT_EQ(code(buf), all[0]);
    ASSERT_EQ(file.next(), kOk);
    EXPECT_EQ(code(buf), c.second) << "the second record came from the earlier hold's fetch";
    file.releaseReads();
  }

  // Without a hold every reset reads again.
  ASSERT_EQ(file.set(kByTitle), kOk);
  ASSERT_EQ(file.next(), kOk);
  const std::string first = file.position(kByTitle);
  ASSERT_EQ(station.reget(first), kOk);
  setText(itemDecl().fields[2], &other, cp("Яков"));
  ASSERT_EQ(station.put(), kOk);
  ASSERT_EQ(file.reset(first), kOk);
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(code(buf), all[2]) << "the first record moved to the end, the second was deleted";
}

// Many records with many equal keys: every order and every positioning by value agrees with a
// plain sort, across read-ahead fetches of every size.
TEST(CursorScale, OrdersAgreeWithASortOfTheRecords) {
  TempDir dir;
  Item buf{};
  KeyedFile file(itemDecl(), &buf, dir.file("ITEM.db"));
  ASSERT_EQ(file.create(), kOk);
  ASSERT_EQ(file.open(), kOk);
  std::mt19937 rng(7);
  const std::vector<std::string> titles = {cp("Иванов"), cp("иванова"), cp("Ёжиков"), cp("Ежов"),
                                           "Adams",      cp("Яковлев"), "",           cp("Ежов ")};
  std::vector<Item> items;
  ASSERT_EQ(file.stream(), kOk);
  for (int i = 0; i < 2500; ++i) {
    buf = item(std::to_string(rng() % 300), static_cast<int32_t>(rng() % 7) - 3,
               titles[rng() % titles.size()], std::to_string(rng() % 12));
    ASSERT_EQ(file.add(), kOk);
    items.push_back(buf);
  }
  ASSERT_EQ(file.flush(), kOk);
  // Record numbers are 1..n in the order added.
  auto less = [&](int order) {
    return [order](const std::pair<int, Item>& a, const std::pair<int, Item>& b) {
      int c = 0;
      if (order == kByCode)
        c = runtime::compareText(std::string(a.second.CODE, 6), std::string(b.second.CODE, 6));
      if (order == kByTitle) c = runtime::compareText(title(a.second), title(b.second));
      if (order == kByPlace) {
        c = a.second.GROUP < b.second.GROUP ? -1 : a.second.GROUP > b.second.GROUP;
        if (c == 0)
          c = runtime::compareText(std::string(a.second.TAG, 4), std::string(b.second.TAG, 4));
      }
      return c != 0 ? c < 0 : a.first < b.first;
    };
  };
  std::vector<std::pair<int, Item>> numbered;
  for (size_t i = 0; i < items.size(); ++i)
    numbered.emplace_back(static_cast<int>(i) + 1, items[i]);
  for (int order : {kByCode, kByPlace, kByTitle}) {
    SCOPED_TRACE(order);
    auto sorted = numbered;
    std::sort(sorted.begin(), sorted.end(), less(order));
    ASSERT_EQ(file.set(order), kOk);
    size_t n = 0;
    while (file.next() == kOk) {
      ASSERT_LT(n, sorted.size());
      ASSERT_EQ(std::memcmp(&buf, &sorted[n].second, sizeof buf), 0) << "at " << n;
      ++n;
    }
    EXPECT_EQ(n, sorted.size());
    ASSERT_EQ(file.set(order), kOk);
    n = sorted.size();
    while (file.prev() == kOk) {
      ASSERT_GT(n, 0u);
      --n;
      ASSERT_EQ(std::memcmp(&buf, &sorted[n].second, sizeof buf), 0) << "at " << n;
    }
    EXPECT_EQ(n, 0u);
    // Positioning by value lands on the first record not below it.
    for (int probe = 0; probe < 40; ++probe) {
      const Item& value = items[rng() % items.size()];
      buf = value;
      ASSERT_EQ(file.setByKey(order), kOk);
      ASSERT_EQ(file.next(), kOk);
      const auto first =
          std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(0, value), less(order));
      EXPECT_EQ(std::memcmp(&buf, &first->second, sizeof buf), 0);
    }
  }
  file.close();
  EXPECT_EQ(integrityCheck(dir.file("ITEM.db")), "ok");
}

}  // namespace
}  // namespace storage::test
