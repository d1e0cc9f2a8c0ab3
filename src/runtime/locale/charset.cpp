#include "runtime/locale/charset.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace runtime {
namespace {

// The one byte without a character; shown as the control character of its number.
constexpr char32_t kUnassigned = 0x98;

// Code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char32_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns nullopt on malformed input.
std::optional<char32_t> decodeUtf8(std::string_view s, size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  int extra = 0;
  char32_t c = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    c = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (i + extra >= s.size()) return std::nullopt;
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  i += extra + 1;
  return c;
}

}  // namespace

char32_t cp1251ToUnicode(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHigh[byte - 0x80];
}

int unicodeToCp1251(char32_t code) {
  if (code < 0x80) return static_cast<int>(code);
  if (code >= 0x0410 && code <= 0x044F) return static_cast<int>(0xC0 + (code - 0x0410));
  for (size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == code && code != 0) return static_cast<int>(0x80 + i);
  }
  return -1;
}

std::string toUtf8(std::string_view cp1251) {
  std::string utf8;
  toUtf8(cp1251, utf8);
  return utf8;
}

void toUtf8(std::string_view cp1251, std::string& into) {
  // Every list row and entry shown passes through here: each byte's encoding is looked up
  // once and written four bytes at a time, of which the next character's overwrite the rest.
  // An encoding takes three bytes at most; the fourth holds its length.
  static const std::array<std::array<char, 4>, 256> kEncoded = [] {
    std::array<std::array<char, 4>, 256> table{};
    for (int b = 0; b < 256; ++b) {
      const char32_t c = cp1251ToUnicode(static_cast<unsigned char>(b));
      std::string one;
      appendUtf8(one, c == 0 && b != 0 ? static_cast<char32_t>(b) : c);
      auto& entry = table[static_cast<size_t>(b)];
      std::copy(one.begin(), one.end(), entry.begin());
      entry[3] = static_cast<char>(one.size());
    }
    return table;
  }();
  into.resize(cp1251.size() * 3 + 1);  // three bytes at most a character, and the fourth
  char* at = into.data();
  for (char ch : cp1251) {
    const auto& e = kEncoded[static_cast<unsigned char>(ch)];
    std::memcpy(at, e.data(), e.size());
    at += e[3];
  }
  into.resize(static_cast<size_t>(at - into.data()));
}

std::optional<std::string> fromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto c = decodeUtf8(utf8, i);
    if (!c) return std::nullopt;
    const int b = *c == kUnassigned ? static_cast<int>(kUnassigned) : unicodeToCp1251(*c);
    if (b < 0) return std::nullopt;
    out += static_cast<char>(b);
  }
  return out;
}

std::string cp(std::string_view utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto c = decodeUtf8(utf8, i);
    if (!c) {
      out += '?';
      ++i;
      continue;
    }
    const int b = unicodeToCp1251(*c);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

}  // namespace runtime
