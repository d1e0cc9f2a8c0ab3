#include "runtime/picture.h"

#include <gtest/gtest.h>

#include "runtime/clock.h"
#include "runtime/locale/charset.h"

namespace runtime {
namespace {

TEST(Picture, FormatsStoredValues) {
  struct Case {
    const char* picture;
    std::string stored;
    const char* shown;
  };
  const Case cases[] = {
      {"P<#-##-##P", "123456", "12-34-56"},
      {"P<#-##-##P", "23456 ", " 2-34-56"},  // five digits stored left-aligned
      {"P<#-##-##P", "012345", " 1-23-45"},
      {"P<#-##-##P", std::string("23456\0", 6), " 2-34-56"},
      {"P<#-##-##P", "1234567", "23-45-67"},  // more digits than places: the last ones
      {"P##-##-##PB", "23456 ", "02-34-56"},
      {"P##-##-##PB", "      ", ""},
      {"P##-##-##PB", "", ""},
      {"s4", "12  ", "12"},
      {"s17", "Иванов", "Иванов"},
      {"n_8", "1234", "1234"},
      {"T4", "4508300", "12:31:23"},
      {"T4", "0", "00:00:00"},
  };
  // A list formats every cell into the string of the cell shown before it, whatever that held.
  std::string cell = "a value longer than any of the cases";
  for (const auto& c : cases) {
    EXPECT_EQ(toUtf8(Picture(c.picture).format(cp(c.stored))), c.shown)
        << c.picture << " of '" << c.stored << "'";
    Picture(c.picture).format(cp(c.stored), cell);
    EXPECT_EQ(toUtf8(cell), c.shown) << c.picture << " of '" << c.stored << "' into a cell";
  }
}

TEST(Picture, DeformatsWhatFitsAndRejectsTheRest) {
  struct Case {
    const char* picture;
    const char* typed;
    std::optional<std::string> stored;
  };
  const Case cases[] = {
      {"P<#-##-##P", "12-34-56", "123456"},
      {"P<#-##-##P", " 2-34-56", "23456"},
      {"P<#-##-##P", "23456", "23456"},
      {"P<#-##-##P", "", ""},
      {"P<#-##-##P", "12a456", std::nullopt},
      {"P<#-##-##P", "1234567", std::nullopt},
      {"P##-##-##PB", "02-34-56", "23456"},
      {"s4", "12", "12"},
      {"s4", "12345", std::nullopt},
      {"s17", "Иванов И.И.", "Иванов И.И."},
      {"n_8", "12345678", "12345678"},
      {"n_8", " 42 ", "42"},
      {"n_8", "123456789", std::nullopt},
      {"n_8", "12b", std::nullopt},
      {"n_8", "-5", "-5"},
      {"n_8", "", "0"},
      {"D6.", "31.02.2026", std::nullopt},
      {"T4", "25:00", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto got = Picture(c.picture).deformat(cp(c.typed));
    const auto want = c.stored ? std::optional<std::string>(cp(*c.stored)) : std::nullopt;
    EXPECT_EQ(got, want) << c.picture << " of '" << c.typed << "'";
  }
}

TEST(Picture, DatesRoundTripThroughDayNumbers) {
  const Picture d6("D6.");
  const int day = dayNumber({2026, 12, 7});
  EXPECT_EQ(day % 7, 1);  // a Monday
  EXPECT_EQ(dayNumber({2026, 12, 6}) % 7, 0);
  EXPECT_EQ(d6.format(std::to_string(day)), "07.12.2026");
  EXPECT_EQ(d6.deformat("07.12.2026"), std::to_string(day));
  for (int n : {1, 365, 36524, 73048, 80000}) {
    const CivilDate c = civilDate(n);
    EXPECT_EQ(dayNumber(c), n);
  }
  EXPECT_EQ(d6.format("0"), "");
}

TEST(Picture, WidthIsWhatItShows) {
  EXPECT_EQ(Picture("s19").width(), 19);
  EXPECT_EQ(Picture("S6").width(), 6);
  EXPECT_EQ(Picture("P<#-##-##P").width(), 8);
  EXPECT_EQ(Picture("P##-##-##PB").width(), 8);
}

}  // namespace
}  // namespace runtime
