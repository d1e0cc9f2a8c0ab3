#pragma once
// The control numbers of the key rebuild wait window (BUILDKEYS), named as the catalogue labels its
// controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::wait {

inline constexpr int STRING1 = 1;
inline constexpr int IMAGE1 = 2;
inline constexpr int LOC_WAITMESSAGE = 3;

}  // namespace phonedir::layout::wait
