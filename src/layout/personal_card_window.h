#pragma once
// The control numbers of the personal card (PERS_UPD), named as the catalogue labels its controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::personal_card {

inline constexpr int PER_PHONE_PROMPT = 1;
inline constexpr int PER_PHONE = 2;
inline constexpr int PER_KOD_PROMPT = 3;
inline constexpr int PER_KOD = 4;
inline constexpr int PER_NAME_PROMPT = 5;
inline constexpr int PER_NAME = 6;
inline constexpr int PER_PRIM_PROMPT = 7;
inline constexpr int PER_PRIM = 8;
inline constexpr int OK = 9;
inline constexpr int CANCEL = 10;
inline constexpr int GROUP1 = 11;

}  // namespace phonedir::layout::personal_card
