#pragma once
// The control numbers of the street card (STREET_UPD), named as the catalogue labels its controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::street_card {

inline constexpr int GROUP1 = 1;
inline constexpr int STR_NUM_PROMPT = 2;
inline constexpr int STR_NUM = 3;
inline constexpr int STR_NAME_PROMPT = 4;
inline constexpr int STR_NAME = 5;
inline constexpr int OK = 6;
inline constexpr int CANCEL = 7;

}  // namespace phonedir::layout::street_card
