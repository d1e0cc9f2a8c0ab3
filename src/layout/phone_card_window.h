#pragma once
// The control numbers of the phone card (UPDATEPHONE), named as the catalogue labels its controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::phone_card {

inline constexpr int GROUP1 = 1;
inline constexpr int BUTTON3 = 2;
inline constexpr int STR_NAME_PROMPT = 3;
inline constexpr int STR_NAME = 4;
inline constexpr int PHO_PHONE_PROMPT = 5;
inline constexpr int PHO_PHONE = 6;
inline constexpr int PHO_FIO_PROMPT = 7;
inline constexpr int PHO_FIO = 8;
inline constexpr int PHO_HOME_PROMPT = 9;
inline constexpr int PHO_HOME = 10;
inline constexpr int PHO_KVART_PROMPT = 11;
inline constexpr int PHO_KVART = 12;
inline constexpr int OK = 13;
inline constexpr int CANCEL = 14;

}  // namespace phonedir::layout::phone_card
