// The scans over a demo town, checked against a plain computation that shares no code with
// them: every subscriber is tested against the conditions as the window describes them to the
// user, and the sets must agree for generated criteria of every kind. Also what the scans
// read: the key bounds, the order of the whole-file scan, and the stop when the program closes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "demo_town.h"
#include "runtime/locale/charset.h"
#include "runtime/locale/collation.h"
#include "search/scans.h"
#include "storage/keyed_file.h"

namespace phonedir::search {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kSubscribers = 4000;

class ScanTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("phonedir-scan-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    std::ostringstream out, err;
    ASSERT_EQ(datatool::demo(dir_.string(), kSubscribers, out, err), 0) << err.str();
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  void SetUp() override {
    ASSERT_EQ(phone_.open(), storage::kOk);
    phone_.set(storage::kFileOrder);
    while (phone_.next() == storage::kOk) all_.push_back(PHO_);
    ASSERT_EQ(static_cast<int64_t>(all_.size()), kSubscribers);
  }

  struct Run {
    ScanOutcome outcome;
    std::vector<PHO_RECORD> written;  // in the order APPENDPOISK saw them
  };

  Run run(const std::string& typed, const Conditions& given,
          WholeFile wholeFile = WholeFile::ByRecordNumber, std::function<bool()> stopping = {}) {
    Conditions c = given;
    c.PHONE = typed;
    c.PHONE.resize(kMaskSize, ' ');
    PhoneMask mask;
    CHECKNUM(c.PHONE, mask);
    Run r;
    const ScanHooks hooks{{},
                          [&] {
                            r.written.push_back(PHO_);
                            return true;
                          },
                          std::move(stopping)};
    r.outcome = runScan(chooseScan(c, mask), phone_, PHO_, c, mask, hooks, wholeFile);
    return r;
  }

  static fs::path dir_;
  PHO_RECORD PHO_{};
  storage::KeyedFile phone_{PHONE_FILE(), &PHO_, (dir_ / "PHONE.db").string()};
  std::vector<PHO_RECORD> all_;
};

fs::path ScanTest::dir_;

// --- the plain computation ---

// CP1251 letters to capitals: Latin a-z, Russian а-я and ё.
std::string capitals(std::string s) {
  for (char& ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') ch = static_cast<char>(c - 32);
    if (c >= 0xE0) ch = static_cast<char>(c - 32);
    if (c == 0xB8) ch = static_cast<char>(0xA8);
  }
  return s;
}

std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// A mask without blanks inside: each typed character stands for the number's character in
// its place, "?" for any, "*" for any rest; after the typed text the number must end, unless
// the mask reached the sixth place.
bool plainMaskMatches(const std::string& typed, const std::string& number) {
  const std::string mask = trimmed(typed);
  for (size_t p = 0; p < 6; ++p) {
    const char n = p < number.size() ? number[p] : ' ';
    if (p >= mask.size()) {
      if (n != ' ') return false;
      continue;
    }
    if (mask[p] == '*') return true;
    if (mask[p] == '?') continue;
    if (capitals(std::string(1, mask[p])) != capitals(std::string(1, n))) return false;
  }
  return true;
}

// No constraint at all: blank, or only "?" up to a "*" or through the sixth place.
bool plainMaskIsNone(const std::string& typed) {
  const std::string mask = trimmed(typed);
  if (mask.empty() || mask[0] == '*') return true;
  size_t q = 0;
  while (q < mask.size() && mask[q] == '?') ++q;
  return q == 6 || (q < mask.size() && mask[q] == '*');
}

struct Criteria {
  std::string mask;
  int32_t street = 0;
  std::string home, kvart, letters;
};

bool plainMatches(const Criteria& k, const PHO_RECORD& r) {
  const std::string fio(r.FIO, strnlen(r.FIO, sizeof r.FIO));
  if (k.street != 0 && r.STREET != k.street) return false;
  if (!trimmed(k.home).empty() &&
      capitals(trimmed(std::string(r.HOME, 4))) != capitals(trimmed(k.home)))
    return false;
  if (!trimmed(k.kvart).empty() &&
      capitals(trimmed(std::string(r.KVART, 4))) != capitals(trimmed(k.kvart)))
    return false;
  if (!trimmed(k.letters).empty() &&
      capitals(fio.substr(0, k.letters.size())) != capitals(k.letters))
    return false;
  if (!plainMaskIsNone(k.mask) && !plainMaskMatches(k.mask, std::string(r.PHONE, 6))) return false;
  return true;
}

bool plainHasCondition(const Criteria& k) {
  return k.street != 0 || !trimmed(k.letters).empty() || !plainMaskIsNone(k.mask);
}

using Key = std::tuple<std::string, int32_t, std::string, std::string, std::string>;
Key keyOf(const PHO_RECORD& r) {
  const int32_t street = r.STREET;
  return {std::string(r.PHONE, 6), street, std::string(r.FIO, strnlen(r.FIO, sizeof r.FIO)),
          std::string(r.HOME, 4), std::string(r.KVART, 4)};
}
std::vector<Key> sorted(const std::vector<PHO_RECORD>& records) {
  std::vector<Key> keys;
  for (const PHO_RECORD& r : records) keys.push_back(keyOf(r));
  std::sort(keys.begin(), keys.end());
  return keys;
}

// Criteria drawn around a subscriber of the town, so that most of them find something.
Criteria draw(std::mt19937& rng, const std::vector<PHO_RECORD>& all) {
  auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };
  const PHO_RECORD& r = all[rng() % all.size()];
  Criteria k;
  if (chance(35)) k.street = r.STREET;
  if (chance(30)) k.home = trimmed(std::string(r.HOME, 4));
  if (chance(20)) k.kvart = trimmed(std::string(r.KVART, 4));
  if (chance(40)) {
    const std::string fio(r.FIO, strnlen(r.FIO, sizeof r.FIO));
    k.letters = fio.substr(0, 1 + rng() % 4);
    if (chance(30)) k.letters = capitals(k.letters);
    if (chance(10)) k.letters = runtime::cp("Щщъ");  // begins no surname
  }
  if (chance(60)) {
    std::string number = trimmed(std::string(r.PHONE, 6));
    switch (rng() % 5) {
      case 0:  // a fixed beginning and a star
        number = number.substr(0, 1 + rng() % 3) + "*";
        break;
      case 1:  // some places any
        for (char& ch : number)
          if (chance(30)) ch = '?';
        break;
      case 2:  // from the start on any: the whole file
        number[0] = '?';
        if (number.size() > 2 && chance(50)) number[1] = '?';
        break;
      case 3:  // the number itself
        break;
      default:  // the last digit only
        number = std::string(number.size() - 1, '?') + number.back();
        break;
    }
    k.mask = number.substr(0, 6);
  }
  return k;
}

TEST_F(ScanTest, AgreesWithAPlainComputationOverGeneratedCriteria) {
  std::mt19937 rng(20261207);
  int searched = 0, nonEmpty = 0;
  std::vector<int> scans(5, 0);
  for (int i = 0; i < 80; ++i) {
    const Criteria k = draw(rng, all_);
    Conditions c;
    c.STREET = k.street;
    c.HOME = k.home;
    c.HOME.resize(4, ' ');
    c.KVART = k.kvart;
    c.KVART.resize(4, ' ');
    c.FIO = k.letters;
    const Run r = run(k.mask, c);
    std::vector<PHO_RECORD> expected;
    for (const PHO_RECORD& p : all_)
      if (plainMatches(k, p)) expected.push_back(p);
    const std::string what = "mask '" + k.mask + "' street " + std::to_string(k.street) +
                             " house '" + k.home + "' flat '" + k.kvart + "' letters '" +
                             runtime::toUtf8(k.letters) + "'";
    PhoneMask mask;
    std::string typed = k.mask;
    typed.resize(6, ' ');
    CHECKNUM(typed, mask);
    const Scan scan = chooseScan(c, mask);
    ++scans[static_cast<int>(scan)];
    EXPECT_EQ(scan != Scan::None, plainHasCondition(k)) << what;
    if (scan == Scan::None) continue;
    ++searched;
    if (!expected.empty()) ++nonEmpty;
    EXPECT_EQ(r.outcome.readError, 0) << what;
    EXPECT_EQ(sorted(r.written), sorted(expected)) << what;
  }
  EXPECT_GE(searched, 50);
  EXPECT_GE(nonEmpty, 30);
  for (int s = 1; s < 5; ++s) EXPECT_GE(scans[s], 5) << "scan kind " << s;
}

TEST_F(ScanTest, WholeFileByRecordNumberWritesWhatTheKeyOrderScanWrites) {
  for (const char* typed : {"??1", "?2*", "?????7", "?", "??3?5"}) {
    const Run byNumber = run(typed, {});
    const Run byKey = run(typed, {}, WholeFile::ByKey);
    EXPECT_EQ(byNumber.outcome.read, kSubscribers) << typed;
    EXPECT_EQ(byKey.outcome.read, kSubscribers) << typed;
    ASSERT_EQ(byNumber.written.size(), byKey.written.size()) << typed;
    for (size_t i = 0; i < byKey.written.size(); ++i)
      EXPECT_EQ(keyOf(byNumber.written[i]), keyOf(byKey.written[i])) << typed << " at " << i;
  }
}

TEST_F(ScanTest, KeyBoundedScansReadOnlyTheirRange) {
  // The street of the first subscriber, one of its houses.
  const PHO_RECORD& someone = all_[17];
  Conditions street;
  street.STREET = someone.STREET;
  street.HOME = std::string(someone.HOME, 4);
  const Run house = run("", street);
  ASSERT_FALSE(house.written.empty());
  EXPECT_LE(house.outcome.read, static_cast<int64_t>(house.written.size()) + 1)
      << "stops at the first subscriber of the next house";

  Conditions flat = street;
  flat.HOME = "    ";
  flat.KVART = std::string(someone.KVART, 4);
  const Run anyHouse = run("", flat);
  const int64_t onStreet = std::count_if(
      all_.begin(), all_.end(), [&](const PHO_RECORD& r) { return r.STREET == someone.STREET; });
  EXPECT_GE(anyHouse.outcome.read, onStreet - 1) << "every house of the street is read";
  for (const PHO_RECORD& r : anyHouse.written)
    EXPECT_EQ(trimmed(std::string(r.KVART, 4)), trimmed(flat.KVART)) << "only that flat";

  Conditions nobody;
  nobody.FIO = runtime::cp("Щщъ");
  const Run none = run("", nobody);
  EXPECT_LE(none.outcome.read, 1);
  EXPECT_TRUE(none.written.empty());

  const Run blankInside = run("3 5", {});
  EXPECT_TRUE(blankInside.written.empty()) << "a blank inside the mask finds nothing";
  EXPECT_LE(blankInside.outcome.read, 1);

  const Run beginning = run("35*", {});
  const int64_t begin35 = std::count_if(all_.begin(), all_.end(), [](const PHO_RECORD& r) {
    return r.PHONE[0] == '3' && r.PHONE[1] == '5';
  });
  EXPECT_EQ(beginning.outcome.read, begin35) << "reads the numbers that begin with 35 only";
  EXPECT_EQ(static_cast<int64_t>(beginning.written.size()), begin35);
}

TEST_F(ScanTest, AClosingProgramEndsTheScanAndWritesNothingMore) {
  for (WholeFile how : {WholeFile::ByRecordNumber, WholeFile::ByKey}) {
    int asked = 0;
    const Run r = run("??1", {}, how, [&] { return ++asked > 2; });
    EXPECT_TRUE(r.outcome.stopped);
    EXPECT_LT(r.outcome.read, kSubscribers);
    // Read in record-number order, the subscribers SQLite passed over before the last one read
    // count as read too, so the count may run a few past the question.
    EXPECT_LE(r.outcome.read, 2 * 1024 + 64);
    if (how == WholeFile::ByRecordNumber) {
      EXPECT_TRUE(r.written.empty());
    }
  }
}

// The whole-file scan lets SQLite pass over the numbers the mask cannot match. A town whose
// numbers are drawn from digits, blanks, letters of both cases and the mask's own "?" and
// "*", with numbers stored shorter than six bytes or as text by another tool and with deleted
// subscribers, must give for every mask exactly what the key-order scan (which reads every
// subscriber) gives, in the same order, and count every subscriber as read.
class PrefilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("phonedir-prefilter-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "PHONE.db").string();
    storage::KeyedFile file(PHONE_FILE(), &PHO_, path_);
    file.setDurable(false);
    ASSERT_EQ(file.create(), storage::kOk);
    ASSERT_EQ(file.open(), storage::kOk);
    ASSERT_EQ(file.stream(), storage::kOk);
    const std::string alphabet = runtime::cp("1237 aAбБ?*");
    std::mt19937 rng(20261208);
    const std::vector<std::string> chosen = {"123457", "12345 ", "1234 7", "a23457", "A23457",
                                             "      ", "7     ", "?????7", "**3*57"};
    for (int i = 0; i < 600; ++i) {
      std::string number;
      if (i < static_cast<int>(chosen.size())) {
        number = chosen[i];
      } else {
        const size_t length = rng() % 7;
        for (size_t p = 0; p < length; ++p) number += alphabet[rng() % alphabet.size()];
      }
      number.resize(6, ' ');
      PHO_ = {};
      std::memcpy(PHO_.PHONE, number.data(), 6);
      PHO_.STREET = static_cast<int32_t>(1 + rng() % 5);
      std::memcpy(PHO_.FIO, "ABC", 3);
      std::memset(PHO_.HOME, ' ', 4);
      std::memset(PHO_.KVART, ' ', 4);
      ASSERT_EQ(file.add(), storage::kOk);
    }
    ASSERT_EQ(file.flush(), storage::kOk);
    // Every tenth subscriber deleted, so that record numbers have gaps.
    ASSERT_EQ(file.set(storage::kFileOrder), storage::kOk);
    int n = 0;
    while (file.next() == storage::kOk) {
      if (++n % 10 == 0) {
        ASSERT_EQ(file.erase(), storage::kOk);
      }
    }
    records_ = file.records();
    ASSERT_EQ(file.close(), storage::kOk);
    // Another tool stores two numbers shorter than six bytes and one as text; their sort keys
    // are made right, so that the key-order scan reads them too.
    edit(1, "x'3137'", runtime::sortKey("17"));
    edit(2, "x'37'", runtime::sortKey("7"));
    edit(3, "CAST(x'3120333437' AS TEXT)", runtime::sortKey("1 347"));
  }
  void TearDown() override { fs::remove_all(dir_); }

  void edit(int id, const std::string& phone, const std::string& sortKey) {
    std::string hex;
    for (const char ch : sortKey) {
      char b[3];
      std::snprintf(b, sizeof b, "%02X", static_cast<unsigned char>(ch));
      hex += b;
    }
    const std::string command = std::string(SQLITE3_PROGRAM) + " '" + path_ +
                                "' \"UPDATE records SET PHONE = " + phone + ", PHONE_SORT = x'" +
                                hex + "' WHERE id = " + std::to_string(id) + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  struct Run {
    ScanOutcome outcome;
    std::vector<Key> written;
  };
  Run run(const std::string& typed, WholeFile how) {
    PHO_RECORD pho{};
    storage::KeyedFile phone(PHONE_FILE(), &pho, path_);
    Run r;
    EXPECT_EQ(phone.open(), storage::kOk);
    Conditions c;
    c.PHONE = typed;
    c.PHONE.resize(kMaskSize, ' ');
    c.HOME = c.KVART = "    ";
    PhoneMask mask;
    CHECKNUM(c.PHONE, mask);
    const ScanHooks hooks{{},
                          [&] {
                            r.written.push_back(keyOf(pho));
                            return true;
                          },
                          {}};
    r.outcome = runScan(chooseScan(c, mask), phone, pho, c, mask, hooks, how);
    return r;
  }

  fs::path dir_;
  std::string path_;
  PHO_RECORD PHO_{};
  int64_t records_ = 0;
};

TEST_F(PrefilterTest, NoMatchingSubscriberIsPassedOver) {
  std::vector<std::string> masks = {"?????7", "?2345",  "?2345*", "??3",    "?7",  "? 3", "?????",
                                    "?*",     "??????", "?a",     "?A",     "?Б",  "?б",  "??3?5",
                                    "?2 4",   "?1234",  "??",     "???  7", "?**", "?"};
  for (std::string& m : masks) m = runtime::cp(m);
  const std::string alphabet = runtime::cp("?*127 aAбБ");
  std::mt19937 rng(7);
  for (int i = 0; i < 300; ++i) {
    std::string m = "?";
    const size_t length = rng() % 6;
    for (size_t p = 0; p < length; ++p) m += alphabet[rng() % alphabet.size()];
    masks.push_back(m);
  }
  int filtered = 0, found = 0;
  for (const std::string& m : masks) {
    const std::string what = "mask '" + runtime::toUtf8(m) + "'";
    PhoneMask mask;
    std::string typed = m;
    typed.resize(kMaskSize, ' ');
    CHECKNUM(typed, mask);
    if (chooseScan({}, mask) != Scan::PhoneWhole) continue;
    if (!maskPrefilter(mask).empty()) ++filtered;
    const Run byNumber = run(m, WholeFile::ByRecordNumber);
    const Run byKey = run(m, WholeFile::ByKey);
    EXPECT_EQ(byNumber.outcome.readError, 0) << what;
    EXPECT_EQ(byNumber.written, byKey.written) << what;
    EXPECT_EQ(byNumber.outcome.read, records_) << what;
    if (!byKey.written.empty()) ++found;
  }
  EXPECT_GE(filtered, 100) << "masks that SQLite filtered for";
  EXPECT_GE(found, 50) << "masks that found someone";
}

TEST(MaskPrefilter, OnlyWhatEveryMatchingNumberHolds) {
  auto filterOf = [](const std::string& typed) {
    PhoneMask mask;
    CHECKNUM(typed, mask);
    return maskPrefilter(mask);
  };
  const storage::RecordFilter last = filterOf("?????7");
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].offset, 5u);
  EXPECT_EQ(last[0].bytes, "7");
  // Letters stand for both cases; blanks and "?" ask for nothing that SQLite tests.
  const storage::RecordFilter letter = filterOf(runtime::cp("?б 3  "));
  ASSERT_EQ(letter.size(), 2u);
  EXPECT_EQ(letter[0].offset, 1u);
  EXPECT_NE(letter[0].bytes.find(runtime::cp("Б")), std::string::npos);
  EXPECT_NE(letter[0].bytes.find(runtime::cp("б")), std::string::npos);
  EXPECT_EQ(letter[1].offset, 2u) << "the blank inside the mask is dropped by the parse";
  EXPECT_TRUE(filterOf("??????").empty());
  EXPECT_TRUE(filterOf("?*    ").empty());
  EXPECT_TRUE(filterOf("?     ").empty()) << "five blanks: a one-character number";
}

}  // namespace
}  // namespace phonedir::search
