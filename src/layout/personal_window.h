#pragma once
// The control numbers of the personal directory (PERSONAL), named as the catalogue labels its
// controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::personal {

inline constexpr int BUTTON1 = 1;
inline constexpr int BUTTON2 = 2;
inline constexpr int BUTTON7 = 3;
inline constexpr int REGION1 = 4;
inline constexpr int GROUP1 = 5;
inline constexpr int PROMPT1 = 6;
inline constexpr int GROUP2 = 7;
inline constexpr int LIST_2 = 8;
inline constexpr int INSERT_2 = 9;
inline constexpr int CHANGE_2 = 10;
inline constexpr int DELETE_2 = 11;

}  // namespace phonedir::layout::personal
