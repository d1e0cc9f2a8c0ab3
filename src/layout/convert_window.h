#pragma once
// The control numbers of the number conversion progress (CONVERT), named as the catalogue labels
// its controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::convert {

inline constexpr int GROUP1 = 1;
inline constexpr int PROMPT1 = 2;
inline constexpr int NUM = 3;

}  // namespace phonedir::layout::convert
