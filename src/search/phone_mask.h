#pragma once
// The phone mask of the search window. CHECKNUM turns the six typed characters into fixed
// segments, each a run of positions and the text the number must hold there; "?" stands for
// any one character, "*" ends the mask and accepts anything after it, and a mask that ends
// without either asks for a number of exactly the typed length. Pure functions, no files.

#include <cstdint>
#include <string>
#include <string_view>

namespace phonedir::search {

inline constexpr int kMaskSize = 6;  // characters of LOC:PHONE and of a phone number

struct PhoneMask {
  int32_t N = 0;             // N#: the segments; 0 or less is no phone condition
  int B[kMaskSize] = {};     // B[i - 1]: first position (1-based) of segment i
  int E[kMaskSize] = {};     // E[i - 1]: last position of segment i
  std::string S[kMaskSize];  // the text positions B..E must hold, trailing blanks ignored
  // Set while the previous mask character was "?". It is the window's and outlives a search,
  // so a blank mask after one that ended in "?" leaves N at -1.
  bool questionMark = false;

  bool condition() const { return N > 0; }
};

// Parses the typed mask (read as six characters, blanks after the typed text) into `mask`,
// keeping its question-mark flag from the previous parse.
void CHECKNUM(std::string_view LOC_PHONE, PhoneMask& mask);

// The segment test: every segment's positions of the number hold its text.
bool segmentsMatch(const PhoneMask& mask, std::string_view PHONE);

// Equality as the keys order text: letter case and trailing blanks ignored, so that a test
// never stops a scan that the key order has not yet left.
bool sameText(std::string_view a, std::string_view b);

// Only blanks, or nothing.
bool isBlank(std::string_view text);

}  // namespace phonedir::search
