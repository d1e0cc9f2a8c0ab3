#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "runtime/locale/charset.h"
#include "runtime/locale/collation.h"
#include "runtime/locale/locale_env.h"

namespace runtime {
namespace {

// The system's iconv is an independent reference for the code page.
std::string iconvToUtf8(unsigned char byte) {
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* pin = in;
  char* pout = out;
  size_t nin = 1, nout = sizeof out;
  const size_t r = iconv(cd, &pin, &nin, &pout, &nout);
  iconv_close(cd);
  return r == static_cast<size_t>(-1) ? std::string() : std::string(out, pout);
}

TEST(Charset, EveryByteWithACharacterRoundTrips) {
  int mapped = 0;
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    if (cp1251ToUnicode(static_cast<unsigned char>(b)) == 0 && b != 0) {
      EXPECT_EQ(b, 0x98);
      EXPECT_EQ(iconvToUtf8(static_cast<unsigned char>(b)), "");
      // Shown as a control character that comes back as the same byte.
      EXPECT_EQ(toUtf8(byte), "\xC2\x98");
      EXPECT_EQ(fromUtf8(toUtf8(byte)), byte);
      continue;
    }
    ++mapped;
    const std::string utf8 = toUtf8(byte);
    EXPECT_EQ(utf8, iconvToUtf8(static_cast<unsigned char>(b))) << "byte " << b;
    const auto back = fromUtf8(utf8);
    ASSERT_TRUE(back.has_value()) << "byte " << b;
    EXPECT_EQ(*back, byte);
  }
  EXPECT_EQ(mapped, 255);

  // Every byte in one text, converted into a string that held other text, is every byte's
  // conversion in turn.
  std::string all, each;
  for (int b = 255; b >= 0; --b) {
    all += static_cast<char>(b);
    each += toUtf8(std::string(1, static_cast<char>(b)));
  }
  std::string into = "прежний текст";
  toUtf8(all, into);
  EXPECT_EQ(into, each);
  toUtf8("", into);
  EXPECT_EQ(into, "");
}

TEST(Charset, RefusesWhatItCannotHold) {
  EXPECT_FALSE(fromUtf8("日本").has_value());
  EXPECT_FALSE(fromUtf8("\xC3").has_value());          // truncated sequence
  EXPECT_FALSE(fromUtf8("\xC0\xAF").has_value());      // overlong
  EXPECT_FALSE(fromUtf8("\xED\xA0\x80").has_value());  // surrogate
  EXPECT_EQ(fromUtf8("Ёлкин №5"), std::string("\xA8\xEB\xEA\xE8\xED \xB9"
                                              "5"));
  EXPECT_EQ(cp("Щ日"), std::string("\xD9?"));
}

TEST(LocaleEnv, CasePairsFollowTheCaseString) {
  const std::string spec = toUtf8(localeValue("CASE"));
  EXPECT_EQ(spec,
            "ABCDEFGHIJKLMNOPQRSTUVWXYZАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЬЫЪЭЮЯ,"
            "abcdefghijklmnopqrstuvwxyzабвгдежзийклмнопрстуфхцчшщьыъэюя");
  const std::string bytes = localeValue("CASE");
  ASSERT_EQ(bytes.size(), 117u);
  for (size_t i = 0; i < 58; ++i) {
    EXPECT_EQ(upperChar(bytes[59 + i]), bytes[i]);
    EXPECT_EQ(lowerChar(bytes[i]), bytes[59 + i]);
  }
  EXPECT_EQ(toUtf8(upper(cp("Ёлкин ёж"))), "ЁЛКИН ёЖ");
  EXPECT_EQ(toUtf8(lower(cp("ЁЛКИН"))), "Ёлкин");
  EXPECT_EQ(upper("1,-"), "1,-");
}

TEST(LocaleEnv, SettingCaseReplacesThePairs) {
  const std::string saved = localeValue("CASE");
  setLocaleValue("CASE", "AB,ab");
  EXPECT_EQ(upperChar('a'), 'A');
  EXPECT_EQ(upperChar('c'), 'c');
  setLocaleValue("CASE", saved);
  EXPECT_EQ(upperChar('c'), 'C');
}

TEST(LocaleEnv, MonthsAndButtons) {
  EXPECT_EQ(toUtf8(monthName(1)), "Январь");
  EXPECT_EQ(toUtf8(monthName(12)), "Декабрь");
  EXPECT_EQ(toUtf8(monthShortName(5)), "Май");
  EXPECT_EQ(monthName(13), "");
  EXPECT_EQ(toUtf8(buttonCaption(ButtonKind::Ok)), "&ОК");
  EXPECT_EQ(toUtf8(buttonCaption(ButtonKind::Retry)), "По&вторить");
  EXPECT_EQ(toUtf8(buttonCaption(ButtonKind::Help)), "&Справка");
}

TEST(Collation, RussianOrderCaseAndTrailingBlanks) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case cases[] = {
      {"Егоров", "Ёлкин", -1},  {"Ёлкин", "Жуков", -1},
      {"Ежов", "Ёж", -1},       {"иванов", "ИВАНОВ  ", 0},
      {"Zorro", "Абрамов", -1}, {"10", "2", -1},
      {"Иван", "Иванов", -1},   {"Ъ", "Ы", -1},
      {"Ы", "Ь", -1},           {"Я", "Ґ", -1},
      {"", "   ", 0},           {"a b", "ab", -1},
  };
  for (const auto& c : cases) {
    const std::string a = cp(c.a), b = cp(c.b);
    const int cmp = compareText(a, b);
    EXPECT_EQ((cmp > 0) - (cmp < 0), c.sign) << c.a << " vs " << c.b;
    const int keyCmp = sortKey(a).compare(sortKey(b));
    EXPECT_EQ((keyCmp > 0) - (keyCmp < 0), c.sign) << "sort keys of " << c.a << " vs " << c.b;
    // The check a read makes of a stored key agrees with making the key.
    EXPECT_TRUE(isSortKeyOf(sortKey(a), a)) << c.a;
    EXPECT_EQ(isSortKeyOf(sortKey(b), a), c.sign == 0) << c.a << " with the key of " << c.b;
    EXPECT_FALSE(isSortKeyOf(sortKey(a) + ' ', a)) << "a key with a blank left on it";
  }
}

TEST(Collation, WeightsAreATotalOrderOverCasePairs) {
  // Two bytes share a weight only when they are a case pair; everything else is distinct.
  for (int a = 1; a < 256; ++a) {
    for (int b = a + 1; b < 256; ++b) {
      if (collationWeight(static_cast<unsigned char>(a)) !=
          collationWeight(static_cast<unsigned char>(b)))
        continue;
      const char32_t ua = cp1251ToUnicode(static_cast<unsigned char>(a));
      const char32_t ub = cp1251ToUnicode(static_cast<unsigned char>(b));
      const bool asciiPair = ua + 32 == ub;
      const bool cyrPair = ua + 0x20 == ub || ua + 0x50 == ub || ua + 1 == ub;
      EXPECT_TRUE(asciiPair || cyrPair) << a << " and " << b << " share a weight";
    }
  }
}

}  // namespace
}  // namespace runtime
