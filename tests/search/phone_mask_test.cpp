// The phone mask alone: what CHECKNUM makes of a typed mask, and which numbers its segments
// accept; the text equality the tests share with the keys' order; the per-record tests and the
// choice of scan.

#include "search/phone_mask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../data/data_fixture_files.h"
#include "runtime/locale/charset.h"
#include "search/record_tests.h"

namespace phonedir::search {
namespace {

// "b..e:text" per segment, trailing blanks of the text dropped.
std::vector<std::string> segments(const PhoneMask& m) {
  std::vector<std::string> out;
  for (int i = 0; i < m.N; ++i) {
    std::string s = m.S[i];
    while (!s.empty() && s.back() == ' ') s.pop_back();
    out.push_back(std::to_string(m.B[i]) + ".." + std::to_string(m.E[i]) + ":" + s);
  }
  return out;
}

PhoneMask parse(const std::string& typed, bool questionMarkBefore = false) {
  PhoneMask m;
  m.questionMark = questionMarkBefore;
  CHECKNUM(typed, m);
  return m;
}

TEST(CheckNum, SegmentsOfTheMasks) {
  struct Case {
    const char* typed;
    int N;
    std::vector<std::string> segments;
  };
  const Case cases[] = {
      {"3**", 1, {"1..1:3"}},
      {"3??89", 2, {"1..1:3", "4..6:89"}},
      {"12345", 1, {"1..6:12345"}},
      {"??1", 1, {"3..6:1"}},
      {"3?????", 1, {"1..1:3"}},
      {"??????", 0, {}},
      {"*", 0, {}},
      {"*5", 0, {}},
      {"", 0, {}},
      {"3", 1, {"1..6:3"}},
      {"3 5", 1, {"1..6:35"}},  // the blank is dropped, its position still counts
      {"?", 1, {"2..6:"}},      // a number of one character
      {"1?2?3?", 3, {"1..1:1", "3..3:2", "5..5:3"}},
      {"12345?", 1, {"1..5:12345"}},  // "?" in the sixth place ends the mask
      {"3*5", 1, {"1..1:3"}},         // "*" ends the mask
      {"??*", 0, {}},
      {"3??", 2, {"1..1:3", "4..6:"}},  // three characters, the first a 3
  };
  for (const Case& c : cases) {
    const PhoneMask m = parse(c.typed);
    EXPECT_EQ(m.N, c.N) << c.typed;
    EXPECT_EQ(segments(m), c.segments) << c.typed;
  }
}

TEST(CheckNum, TheQuestionMarkFlagOutlivesTheSearch) {
  EXPECT_EQ(parse("*5", true).N, -1);
  EXPECT_EQ(parse("", true).N, -1);
  EXPECT_FALSE(parse("", true).condition());
  PhoneMask m;
  CHECKNUM("3?????", m);
  EXPECT_TRUE(m.questionMark);
  CHECKNUM("      ", m);
  EXPECT_EQ(m.N, -1) << "a blank mask after one that ended in ?";
  CHECKNUM("3", m);
  EXPECT_EQ(m.N, 1) << "a typed mask sets the flag afresh";
}

TEST(CheckNum, NumbersTheMasksAccept) {
  struct Case {
    const char* typed;
    const char* number;  // six characters, blank-padded
    bool match;
  };
  const Case cases[] = {
      {"3**", "345678", true},    {"3**", "3     ", true},    {"3**", "435   ", false},
      {"3??89", "31289 ", true},  {"3??89", "312890", false}, {"3??89", "41289 ", false},
      {"12345", "12345 ", true},  {"12345", "123456", false}, {"12345", "1234  ", false},
      {"??1", "001   ", true},    {"??1", "0011  ", false},   {"??1", "01    ", false},
      {"3", "3     ", true},      {"3", "30    ", false},     {"3?????", "399999", true},
      {"3 5", "35    ", true},    {"3 5", "3 5   ", false},   {"12345?", "123456", true},
      {"12345?", "12345 ", true}, {"1?2?3?", "102030", true}, {"1?2?3?", "112244", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(segmentsMatch(parse(c.typed), c.number), c.match) << c.typed << " " << c.number;
  }
}

TEST(SameText, CaseAndTrailingBlanksAsTheKeysOrderThem) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"Ив", "ив", true}, {"Ив", "Ив  ", true}, {"Ив", "Ива", false},
      {"е", "ё", false},  {"ё", "Ё", true},     {"5а", "5А", true},
      {" 5", "5", false}, {"", "   ", true},    {"ab", "AB", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sameText(runtime::cp(c.a), runtime::cp(c.b)), c.same) << c.a << " / " << c.b;
  }
}

Conditions conditions(int32_t street, const char* home, const char* kvart, const char* fio,
                      const char* phone = "") {
  Conditions c;
  c.PHONE = phone;
  c.PHONE.resize(kMaskSize, ' ');
  c.STREET = street;
  c.HOME = runtime::cp(home);
  c.HOME.resize(4, ' ');
  c.KVART = runtime::cp(kvart);
  c.KVART.resize(4, ' ');
  c.FIO = runtime::cp(fio);
  return c;
}

std::string verdict(const Verdict& v) {
  return v.BREAK ? "break" : v.CHECK ? "write" : "skip";
}

TEST(RecordTests, StreetSurnameAndPhoneScans) {
  const PHO_RECORD r = test::phoneRecord("345678", 7, "Иванов И.И.", runtime::cp("12а"), "5");
  const PhoneMask none;
  const PhoneMask three = parse("3**");
  const PhoneMask four = parse("4**");
  struct Case {
    const char* test;
    Conditions c;
    const PhoneMask* mask;
    const char* expected;
  };
  const Case cases[] = {
      {"street", conditions(7, "", "", ""), &none, "write"},
      {"street", conditions(8, "", "", ""), &none, "break"},
      {"street", conditions(7, "12А", "", ""), &none, "write"},
      {"street", conditions(7, "12", "5", ""), &none, "break"},  // another house: flat untested
      {"street", conditions(7, "", "6", ""), &none, "skip"},
      {"street", conditions(7, "12а", "5", "иВ"), &none, "write"},
      {"street", conditions(7, "", "", "Пет"), &none, "skip"},
      {"street", conditions(7, "", "", ""), &four, "skip"},
      {"street", conditions(7, "", "", "Ив"), &three, "write"},
      {"surname", conditions(0, "", "", "Ива"), &none, "write"},
      {"surname", conditions(0, "", "", "Ивб"), &none, "break"},
      {"surname", conditions(0, "13", "", "Ив"), &none, "skip"},
      {"surname", conditions(0, "", "4", "Ив"), &none, "skip"},
      {"surname", conditions(0, "", "", "Ив"), &four, "skip"},
      {"surname", conditions(0, "", "", "Иванов И.И.  "), &none, "write"},
      {"phone", conditions(0, "", "", ""), &three, "write"},
      {"phone", conditions(0, "", "", ""), &four, "skip"},
      {"phone", conditions(0, "12а", "5", ""), &three, "write"},
      {"phone", conditions(0, "", "9", ""), &three, "skip"},
  };
  for (const Case& k : cases) {
    const std::string t = k.test;
    const Verdict v = t == "street"    ? CHECKSTREET(r, k.c, *k.mask)
                      : t == "surname" ? CHECKFIO(r, k.c, *k.mask)
                                       : CHECKPHONE(r, k.c, *k.mask);
    EXPECT_EQ(verdict(v), k.expected)
        << t << " street " << k.c.STREET << " house '" << runtime::toUtf8(k.c.HOME) << "' flat '"
        << k.c.KVART << "' letters '" << runtime::toUtf8(k.c.FIO) << "'";
  }
}

TEST(RecordTests, TheFirstConditionThatAppliesChoosesTheScan) {
  struct Case {
    Conditions c;
    const char* mask;
    Scan scan;
  };
  const Case cases[] = {
      {conditions(0, "", "", ""), "", Scan::None},
      {conditions(0, "12", "", ""), "", Scan::None},
      {conditions(0, "", "5", ""), "", Scan::None},
      {conditions(0, "12", "5", ""), "*5", Scan::None},
      {conditions(0, "", "", ""), "??????", Scan::None},
      {conditions(0, "", "", "  "), "", Scan::None},
      {conditions(3, "", "", "Ив"), "3**", Scan::Street},
      {conditions(0, "", "", "Ив"), "3**", Scan::Surname},
      {conditions(0, "", "", ""), "3**", Scan::PhoneBeginning},
      {conditions(0, "", "", ""), "3 5", Scan::PhoneBeginning},
      {conditions(0, "", "", ""), "??1", Scan::PhoneWhole},
      {conditions(0, "1", "", ""), "?", Scan::PhoneWhole},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(chooseScan(k.c, parse(k.mask)), k.scan) << k.mask;
  }
}

}  // namespace
}  // namespace phonedir::search
