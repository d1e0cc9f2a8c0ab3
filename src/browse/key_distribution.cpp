#include "browse/key_distribution.h"

#include "runtime/locale/locale_env.h"

namespace phonedir {
namespace {

constexpr int32_t kStops = 100;
constexpr size_t kStopWidth = 4;  // characters interpolated after the root
const std::string NUMERICCHARACTERS = "0123456789";

bool isLetter(char c) {
  return runtime::upperChar(c) != c || runtime::lowerChar(c) != c;
}
bool isUpper(char c) {
  return runtime::lowerChar(c) != c;
}

}  // namespace

const std::string OVERRIDECHARACTERS = "`!\"\xA3$%^&*()'-=_+][#;~@:/.,?\\| ";

void RealStops::SETUPREALSTOPS(double INPUTLOWLIMIT, double INPUTHIGHLIMIT) {
  LOWLIMIT = INPUTLOWLIMIT;
  HIGHLIMIT = INPUTHIGHLIMIT;
  STEPVALUE = (HIGHLIMIT - LOWLIMIT) / (kStops - 1);
  CURRENTSTEP = 0;
}

double RealStops::NEXTREALSTOP() {
  ++CURRENTSTEP;
  if (CURRENTSTEP <= 1) return LOWLIMIT;
  if (CURRENTSTEP >= kStops) return HIGHLIMIT;
  return LOWLIMIT + STEPVALUE * (CURRENTSTEP - 1);
}

void StringStops::ADDSORTCHARACTER(char c) {
  SORTCHARACTERS += c;
  ++SORTCHARACTERCOUNT;
}

int32_t StringStops::valueOf(const std::string& four) const {
  const int32_t base = SORTCHARACTERCOUNT + 1;
  size_t last = four.find_last_not_of(' ');
  int32_t value = 0;
  for (size_t i = 0; i < kStopWidth; ++i) {
    int32_t digit = 0;
    if (last != std::string::npos && i <= last) {
      const size_t at = SORTCHARACTERS.find(four[i]);
      digit = at == std::string::npos ? 0 : static_cast<int32_t>(at) + 1;
    }
    value = value * base + digit;
  }
  return value;
}

void StringStops::SETUPSTRINGSTOPS(std::string_view PROCESSLOWLIMIT,
                                   std::string_view PROCESSHIGHLIMIT, int32_t INPUTSTRINGSIZE,
                                   int32_t LISTTYPE) {
  SORTCHARACTERS.clear();
  SORTCHARACTERCOUNT = 0;
  for (int b = 1; b <= 255; ++b) {
    const char c = static_cast<char>(b);
    if (NUMERICCHARACTERS.find(c) != std::string::npos) {
      if (LISTTYPE & LISTTYPE_DIGITS) ADDSORTCHARACTER(c);
    } else if (OVERRIDECHARACTERS.find(c) != std::string::npos) {
      if (LISTTYPE & LISTTYPE_PUNCTUATION) ADDSORTCHARACTER(c);
    } else if (isLetter(c) && (LISTTYPE & LISTTYPE_LETTERS) &&
               (isUpper(c) || (LISTTYPE & LISTTYPE_BOTHCASES))) {
      ADDSORTCHARACTER(c);
    }
  }

  const size_t size = INPUTSTRINGSIZE > 0 ? static_cast<size_t>(INPUTSTRINGSIZE) : 0;
  auto limit = [size](std::string_view s) {
    std::string out(s.substr(0, std::min(size, s.size())));
    out.resize(size, ' ');
    return out;
  };
  const std::string low = limit(PROCESSLOWLIMIT);
  const std::string high = limit(PROCESSHIGHLIMIT);

  size_t r = 0;
  while (r < size && low[r] == high[r]) ++r;
  STRINGROOT = low.substr(0, r);
  STRINGROOTLEN = static_cast<int32_t>(r);

  const bool upperCase = (LISTTYPE & LISTTYPE_LETTERS) && !(LISTTYPE & LISTTYPE_BOTHCASES);
  auto four = [&](const std::string& s) {
    std::string out = r < s.size() ? s.substr(r, kStopWidth) : std::string();
    out.resize(kStopWidth, ' ');
    return upperCase ? runtime::upper(out) : out;
  };
  LOWSTRING = four(low);
  HIGHSTRING = four(high);
  LOWVALUE = valueOf(LOWSTRING);
  HIGHVALUE = valueOf(HIGHSTRING);
  STEPVALUE = (HIGHVALUE - LOWVALUE) / (kStops - 1);
  CURRENTSTEP = 0;
}

std::string StringStops::NEXTSTRINGSTOP() {
  ++CURRENTSTEP;
  std::string s;
  if (CURRENTSTEP <= 1) {
    s = LOWSTRING;
  } else if (CURRENTSTEP >= kStops) {
    s = HIGHSTRING;
  } else {
    const int32_t base = SORTCHARACTERCOUNT + 1;
    int32_t v = LOWVALUE + STEPVALUE * (CURRENTSTEP - 1);
    s.assign(kStopWidth, ' ');
    for (size_t i = kStopWidth; i-- > 0;) {
      const int32_t d = ((v % base) + base) % base;
      v = (v - d) / base;
      // Digit 0 stands for no character: a blank keeps the stops ascending.
      s[i] = d == 0 ? ' ' : SORTCHARACTERS[static_cast<size_t>(d) - 1];
    }
  }
  return STRINGROOT + s;
}

}  // namespace phonedir
