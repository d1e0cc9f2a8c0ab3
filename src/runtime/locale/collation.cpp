#include "runtime/locale/collation.h"

#include <array>
#include <string>

#include "runtime/locale/charset.h"

namespace runtime {
namespace {

// The characters in collation order, one group per string; characters in one string of a
// group that hold an upper- and lower-case pair are written "Aa" and share one weight.
struct Table {
  std::array<unsigned char, 256> weight{};

  Table() {
    unsigned char next = 1;
    std::array<bool, 256> done{};
    auto single = [&](unsigned char b) {
      if (done[b]) return;
      done[b] = true;
      weight[b] = next++;
    };
    auto pair = [&](unsigned char a, unsigned char b) {
      done[a] = done[b] = true;
      weight[a] = weight[b] = next++;
    };
    for (int b = 1; b < 0x20; ++b) single(static_cast<unsigned char>(b));
    single(' ');
    single(0xA0);  // no-break space
    for (int b = 0x21; b < 0x7F; ++b) {
      const bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
      if (!alnum) single(static_cast<unsigned char>(b));
    }
    single(0x7F);
    // CP1251 symbols: everything in 0x80..0xBF that is not a letter.
    for (int b = 0x80; b < 0xC0; ++b) {
      const char32_t c = cp1251ToUnicode(static_cast<unsigned char>(b));
      const bool letter = c >= 0x0400 && c < 0x0500;
      if (!letter) single(static_cast<unsigned char>(b));
    }
    for (int d = '0'; d <= '9'; ++d) single(static_cast<unsigned char>(d));
    for (int l = 0; l < 26; ++l)
      pair(static_cast<unsigned char>('A' + l), static_cast<unsigned char>('a' + l));
    // А..Е, then Ё, then Ж..Я.
    for (int l = 0; l < 32; ++l) {
      pair(static_cast<unsigned char>(0xC0 + l), static_cast<unsigned char>(0xE0 + l));
      if (l == 5) pair(0xA8, 0xB8);
    }
    // Other Cyrillic letters, each with its own case partner.
    for (int b = 0x80; b < 0xC0; ++b) {
      if (done[b]) continue;
      const char32_t c = cp1251ToUnicode(static_cast<unsigned char>(b));
      const char32_t partner = c < 0x0410 ? c + 0x50 : c - 0x50;  // Ђ..Џ <-> ђ..џ
      int pb = unicodeToCp1251(c == 0x0490 ? 0x0491 : c == 0x0491 ? 0x0490 : partner);
      if (pb >= 0 && !done[pb]) {
        pair(static_cast<unsigned char>(b), static_cast<unsigned char>(pb));
      } else {
        single(static_cast<unsigned char>(b));
      }
    }
  }
};

const Table& table() {
  static const Table t;
  return t;
}

size_t trimmedLength(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return n;
}

}  // namespace

unsigned char collationWeight(unsigned char byte) {
  return table().weight[byte];
}

std::string sortKey(std::string_view text) {
  const auto& w = table().weight;
  const size_t n = trimmedLength(text);
  std::string key(n, '\0');
  for (size_t i = 0; i < n; ++i) key[i] = static_cast<char>(w[static_cast<unsigned char>(text[i])]);
  return key;
}

bool isSortKeyOf(std::string_view key, std::string_view text) {
  const auto& w = table().weight;
  const size_t n = trimmedLength(text);
  if (key.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (static_cast<char>(w[static_cast<unsigned char>(text[i])]) != key[i]) return false;
  }
  return true;
}

int compareText(std::string_view a, std::string_view b) {
  const auto& w = table().weight;
  const size_t na = trimmedLength(a);
  const size_t nb = trimmedLength(b);
  const size_t n = na < nb ? na : nb;
  for (size_t i = 0; i < n; ++i) {
    const int d = w[static_cast<unsigned char>(a[i])] - w[static_cast<unsigned char>(b[i])];
    if (d != 0) return d;
  }
  return na < nb ? -1 : na > nb ? 1 : 0;
}

}  // namespace runtime
