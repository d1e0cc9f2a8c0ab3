#include "browse/key_distribution.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "runtime/locale/collation.h"

namespace phonedir {
namespace {

std::vector<std::string> stringStops(const std::string& low, const std::string& high, int size,
                                     int type) {
  StringStops stops;
  stops.SETUPSTRINGSTOPS(low, high, size, type);
  std::vector<std::string> out;
  for (int k = 0; k < 100; ++k) out.push_back(stops.NEXTSTRINGSTOP());
  return out;
}

TEST(KeyDistribution, NumericStopsInterpolateBetweenTheLimits) {
  RealStops stops;
  stops.SETUPREALSTOPS(1, 100);
  for (int k = 1; k <= 100; ++k) EXPECT_EQ(static_cast<int32_t>(stops.NEXTREALSTOP()), k);
  stops.SETUPREALSTOPS(5, 5);
  for (int k = 1; k <= 100; ++k) EXPECT_EQ(stops.NEXTREALSTOP(), 5);
  stops.SETUPREALSTOPS(-7, 3);
  EXPECT_EQ(stops.NEXTREALSTOP(), -7);
  for (int k = 2; k < 100; ++k) stops.NEXTREALSTOP();
  EXPECT_EQ(stops.NEXTREALSTOP(), 3);
}

TEST(KeyDistribution, TelephoneStopsCountInTheBaseOfTheirDigits) {
  StringStops stops;
  stops.SETUPSTRINGSTOPS("20001 ", "39999 ", 6, LISTTYPE_DIGITS);
  EXPECT_EQ(stops.SORTCHARACTERS, "0123456789");
  EXPECT_EQ(stops.STRINGROOTLEN, 0);
  EXPECT_EQ(stops.LOWVALUE, 4126);
  EXPECT_EQ(stops.HIGHVALUE, 6654);
  EXPECT_EQ(stops.STEPVALUE, 2528 / 99);
  const auto all = stringStops("20001 ", "39999 ", 6, LISTTYPE_DIGITS);
  EXPECT_EQ(all.front(), "2000");
  EXPECT_EQ(all.back(), "3999");
  EXPECT_EQ(all[1], "2023");  // 4126 + 25 = 3*1331 + 1*121 + 3*11 + 4 in base 11
}

TEST(KeyDistribution, SharedLeadingDigitsBecomeTheRoot) {
  const auto all = stringStops("1000  ", "1999  ", 6, LISTTYPE_DIGITS);
  EXPECT_EQ(all.front(), "1000 ");
  EXPECT_EQ(all.back(), "1999 ");
  for (const auto& stop : all) EXPECT_EQ(stop[0], '1');
}

TEST(KeyDistribution, EqualLimitsAndEmptyAlphabets) {
  for (const auto& stop : stringStops("23456 ", "23456 ", 6, LISTTYPE_DIGITS)) {
    EXPECT_EQ(stop, "23456     ");
  }
  // No alphabet: every stop between the first and the last is the root alone.
  const auto none = stringStops("12", "19", 2, 0);
  EXPECT_EQ(none.front(), "12   ");
  EXPECT_EQ(none[50], "1    ");
  EXPECT_EQ(none.back(), "19   ");
}

TEST(KeyDistribution, TextStopsNeverDescend) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> number(0, 999999);
  for (int round = 0; round < 200; ++round) {
    // The first and last key values in the key's own (text) order.
    std::string low = std::to_string(number(random)), high = std::to_string(number(random));
    low.resize(6, ' ');
    high.resize(6, ' ');
    if (runtime::compareText(low, high) > 0) std::swap(low, high);
    const auto all = stringStops(low, high, 6, LISTTYPE_DIGITS);
    for (size_t k = 1; k < all.size(); ++k) {
      EXPECT_LE(runtime::compareText(all[k - 1], all[k]), 0)
          << low << ".." << high << " stop " << k + 1;
    }
  }
}

TEST(KeyDistribution, LetterAlphabetsFollowTheCasePairs) {
  StringStops stops;
  stops.SETUPSTRINGSTOPS("ab", "cd", 2, LISTTYPE_LETTERS);
  EXPECT_EQ(stops.SORTCHARACTERCOUNT, 26 + 32);  // Latin and Russian capitals; Ё has no pair
  EXPECT_EQ(stops.LOWSTRING, "AB  ");
  stops.SETUPSTRINGSTOPS("ab", "cd", 2, LISTTYPE_LETTERS | LISTTYPE_BOTHCASES);
  EXPECT_EQ(stops.SORTCHARACTERCOUNT, 2 * (26 + 32));
  EXPECT_EQ(stops.LOWSTRING, "ab  ");
  stops.SETUPSTRINGSTOPS("", "", 1, LISTTYPE_PUNCTUATION);
  EXPECT_EQ(stops.SORTCHARACTERCOUNT, 30);
}

}  // namespace
}  // namespace phonedir
