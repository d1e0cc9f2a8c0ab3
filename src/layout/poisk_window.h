#pragma once
// The control numbers of the search window (POISK), named as the catalogue labels its controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::poisk {

inline constexpr int BUTTON1 = 1;
inline constexpr int BUTTON2 = 2;
inline constexpr int BUTTON3 = 3;
inline constexpr int BUTTON4 = 4;
inline constexpr int REGION1 = 5;
inline constexpr int GROUP1 = 6;
inline constexpr int PROMPT1 = 7;
inline constexpr int LOC_PHONE = 8;
inline constexpr int PROMPT6 = 9;
inline constexpr int LOC_STREETNAME = 10;
inline constexpr int BUTTON5 = 11;
inline constexpr int LOC_HOME_PROMPT = 12;
inline constexpr int LOC_HOME = 13;
inline constexpr int LOC_KVART_PROMPT = 14;
inline constexpr int LOC_KVART = 15;
inline constexpr int BUTTON6 = 16;
inline constexpr int PROMPT3 = 17;
inline constexpr int LOC_FIO = 18;
inline constexpr int PROMPT7 = 19;
inline constexpr int PROMPT2 = 20;
inline constexpr int GROUP2 = 21;
inline constexpr int LIST = 22;
inline constexpr int LOC_NUM = 23;

}  // namespace phonedir::layout::poisk
