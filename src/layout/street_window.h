#pragma once
// The control numbers of the street list (STREET), named as the catalogue labels its controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::street {

inline constexpr int BROWSE_1 = 1;
inline constexpr int STR_NAME = 2;
inline constexpr int SELECT_2 = 3;
inline constexpr int INSERT_3 = 4;
inline constexpr int CHANGE_3 = 5;
inline constexpr int DELETE_3 = 6;

}  // namespace phonedir::layout::street
