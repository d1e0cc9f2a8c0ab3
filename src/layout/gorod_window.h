#pragma once
// The control numbers of the city directory (GOROD), named as the catalogue labels its controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::gorod {

inline constexpr int BUTTON1 = 1;
inline constexpr int BUTTON2 = 2;
inline constexpr int BUTTON3 = 3;
inline constexpr int BUTTON4 = 4;
inline constexpr int REGION1 = 5;
inline constexpr int GROUP4 = 6;
inline constexpr int LIST = 7;
inline constexpr int GROUP1 = 8;
inline constexpr int PHO_PHONE = 9;
inline constexpr int PROMPT1 = 10;
inline constexpr int GROUP2 = 11;
inline constexpr int PHO_FIO = 12;
inline constexpr int PROMPT2 = 13;
inline constexpr int GROUP3 = 14;
inline constexpr int PHO_HOME_PROMPT = 15;
inline constexpr int BUTTON8 = 16;
inline constexpr int LOC_HOME = 17;
inline constexpr int PHO_KVART_PROMPT = 18;
inline constexpr int LOC_KVART = 19;
inline constexpr int BUTTON9 = 20;
inline constexpr int INSERT = 21;
inline constexpr int CHANGE = 22;
inline constexpr int DELETE = 23;

}  // namespace phonedir::layout::gorod
