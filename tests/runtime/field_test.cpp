// The field rules are one: a bound variable, a record buffer read by the driver and a
// comparison of field texts all read a field the same way.

#include "runtime/field.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "runtime/binding.h"
#include "runtime/clock.h"
#include "storage/record_fields.h"

namespace runtime {
namespace {

TEST(Field, BindingAndDriverReadACStringAlike) {
  struct Case {
    const char* what;
    std::string bytes;  // the field's 6 bytes
    std::string text;   // what every reader gets
  };
  const Case cases[] = {
      {"text and NUL", std::string("abc\0\0\0", 6), "abc"},
      {"full room", std::string("abcde\0", 6), "abcde"},
      {"no NUL at all (damaged)", "abcdef", "abcde"},
      {"bytes after the NUL", std::string("a\0xyzw", 6), "a"},
  };
  const storage::Field field{"F", FieldType::kCString, 0, 6};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char buffer[6];
    std::memcpy(buffer, c.bytes.data(), 6);
    EXPECT_EQ(readBinding(bindCString(buffer)), c.text);
    EXPECT_EQ(storage::storedText(field, buffer), c.text);
    EXPECT_EQ(fieldText(FieldType::kCString, buffer, 6), c.text);
  }
}

TEST(Field, PutPadsCutsAndSaysSo) {
  char s[4];
  EXPECT_TRUE(putFieldText(FieldType::kString, s, 4, "ab"));
  EXPECT_EQ(std::string(s, 4), "ab  ");
  EXPECT_FALSE(putFieldText(FieldType::kString, s, 4, "abcde"));
  EXPECT_EQ(std::string(s, 4), "abcd");
  char c[4];
  EXPECT_FALSE(putFieldText(FieldType::kCString, c, 4, "abcd"));
  EXPECT_EQ(std::string(c, 4), std::string("abc\0", 4));
  EXPECT_TRUE(writeBinding(bindCString(c), "xy"));
  EXPECT_EQ(std::string(c, 4), std::string("xy\0\0", 4));
  EXPECT_EQ(textRoom(FieldType::kCString, 18), 17u);
  EXPECT_EQ(textRoom(FieldType::kString, 6), 6u);
  EXPECT_EQ(textRoom(FieldType::kLong, 4), 0u);
}

TEST(Field, TrimPadAndCompareIgnoreTrailingBlanks) {
  EXPECT_EQ(trimRight("ab  "), "ab");
  EXPECT_EQ(trimRight("  "), "");
  EXPECT_EQ(trimRight(" a"), " a");
  EXPECT_EQ(padRight("ab", 4), "ab  ");
  EXPECT_EQ(padRight("abcdef", 4), "abcd");
  EXPECT_EQ(compareTrimmed("ab", "ab   "), 0);
  EXPECT_LT(compareTrimmed("ab", "abc"), 0);
  EXPECT_GT(compareTrimmed("b ", "ab"), 0);
}

TEST(Field, DayNumbersAreTheCalendarsDays) {
  using namespace std::chrono;
  const sys_days dayZero{year{1800} / December / 28};
  for (int n = -1000; n < 200000; n += 37) {
    const year_month_day ymd{dayZero + days{n}};
    const CivilDate c = civilDate(n);
    ASSERT_EQ(c.year, static_cast<int>(ymd.year())) << n;
    ASSERT_EQ(c.month, static_cast<int>(static_cast<unsigned>(ymd.month()))) << n;
    ASSERT_EQ(c.day, static_cast<int>(static_cast<unsigned>(ymd.day()))) << n;
    ASSERT_EQ(dayNumber(c), n);
  }
  EXPECT_EQ(dayNumber({2024, 2, 30}), dayNumber({2024, 3, 1})) << "a day past the month's end";
}

}  // namespace
}  // namespace runtime
