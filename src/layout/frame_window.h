#pragma once
// The control numbers of the application frame (START), named as the catalogue labels its controls
// ("?BUTTON1" is BUTTON1, "?PHO:PHONE" is PHO_PHONE). Procedures address controls only by these.

namespace phonedir::layout::frame {

inline constexpr int TBARBRWTOP = 2005;
inline constexpr int TBARBRWPAGEUP = 2007;
inline constexpr int TBARBRWUP = 2009;
inline constexpr int TBARBRWLOCATE = 2010;
inline constexpr int TBARBRWDOWN = 2008;
inline constexpr int TBARBRWPAGEDOWN = 2006;
inline constexpr int TBARBRWBOTTOM = 2004;
inline constexpr int TBARBRWSELECT = 2003;
inline constexpr int TBARBRWINSERT = 2000;
inline constexpr int TBARBRWCHANGE = 2001;
inline constexpr int TBARBRWDELETE = 2002;
inline constexpr int PERSONAL = -1;
inline constexpr int GJROD = -2;
inline constexpr int POISK = -3;

// Every number the frame relays to the active window: its buttons, then 2011 and 2012, which
// no button carries (a form's history key and help).
inline constexpr int kToolbarHistory = 2011;
inline constexpr int kToolbarHelp = 2012;
inline constexpr int kToolbarFirst = TBARBRWINSERT;
inline constexpr int kToolbarLast = kToolbarHelp;

}  // namespace phonedir::layout::frame

// The frame toolbar's numbers by what they do for the window the frame relays them to.
namespace phonedir::layout::toolbar {

inline constexpr int Insert = frame::TBARBRWINSERT;
inline constexpr int Change = frame::TBARBRWCHANGE;
inline constexpr int Delete = frame::TBARBRWDELETE;
inline constexpr int Select = frame::TBARBRWSELECT;
inline constexpr int Bottom = frame::TBARBRWBOTTOM;
inline constexpr int Top = frame::TBARBRWTOP;
inline constexpr int PageDown = frame::TBARBRWPAGEDOWN;
inline constexpr int PageUp = frame::TBARBRWPAGEUP;
inline constexpr int Down = frame::TBARBRWDOWN;
inline constexpr int Up = frame::TBARBRWUP;
inline constexpr int Locate = frame::TBARBRWLOCATE;
inline constexpr int History = frame::kToolbarHistory;
inline constexpr int Help = frame::kToolbarHelp;
inline constexpr int First = frame::kToolbarFirst;
inline constexpr int Last = frame::kToolbarLast;

}  // namespace phonedir::layout::toolbar
