#include "search/phone_mask.h"

#include <algorithm>

#include "runtime/locale/collation.h"

namespace phonedir::search {
namespace {

std::string_view trimRight(std::string_view s) {
  const size_t end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

}  // namespace

bool isBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

bool sameText(std::string_view a, std::string_view b) {
  const size_t n = std::max(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
    const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
    if (x != y && runtime::collationWeight(x) != runtime::collationWeight(y)) return false;
  }
  return true;
}

void CHECKNUM(std::string_view LOC_PHONE, PhoneMask& mask) {
  std::string typed(LOC_PHONE.substr(0, kMaskSize));
  typed.resize(kMaskSize, ' ');
  if (isBlank(typed) || typed[0] == '*') {
    mask.N = 0;
  } else {
    for (int i = 0; i < kMaskSize; ++i) {
      mask.B[i] = 0;
      mask.E[i] = 0;
      mask.S[i].clear();
    }
    mask.N = 1;
    mask.B[0] = 1;
    mask.E[0] = 1;
    mask.questionMark = true;
    for (int p = 1; p <= kMaskSize; ++p) {
      const char c = typed[p - 1];
      if (c == '*') break;
      if (c == '?') {
        if (p >= kMaskSize) break;
        if (!mask.questionMark) ++mask.N;
        mask.questionMark = true;
        mask.B[mask.N - 1] = p + 1;
        mask.E[mask.N - 1] = p + 1;
      } else {
        mask.questionMark = false;
        std::string& s = mask.S[mask.N - 1];
        s = std::string(trimRight(s)) + c;
        mask.E[mask.N - 1] = p;
      }
    }
  }
  if (mask.questionMark) --mask.N;
}

bool segmentsMatch(const PhoneMask& mask, std::string_view PHONE) {
  bool match = true;
  for (int i = 0; i < mask.N && i < kMaskSize; ++i) {
    const int b = mask.B[i];
    const int e = std::min(mask.E[i], kMaskSize);
    if (b < 1 || b > e) continue;
    const std::string_view part = static_cast<size_t>(b) <= PHONE.size()
                                      ? PHONE.substr(b - 1, e - b + 1)
                                      : std::string_view();
    if (!sameText(part, mask.S[i])) match = false;
  }
  return match;
}

}  // namespace phonedir::search
