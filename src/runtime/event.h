#pragma once
// Window events: the codes a procedure's event loop sees, the key codes it reads, and the
// event record that carries a user's input from the backend to the owning thread.

#include <optional>
#include <string>

namespace runtime {

namespace ev {
inline constexpr int Accepted = 1;
inline constexpr int NewSelection = 2;
inline constexpr int ScrollUp = 3;
inline constexpr int ScrollDown = 4;
inline constexpr int PageUp = 5;
inline constexpr int PageDown = 6;
inline constexpr int ScrollTop = 7;
inline constexpr int ScrollBottom = 8;
inline constexpr int Locate = 9;
inline constexpr int AlertKey = 15;
inline constexpr int ScrollDrag = 20;
inline constexpr int Rejected = 26;
inline constexpr int Selected = 257;
inline constexpr int CloseWindow = 513;
inline constexpr int CloseDown = 514;
inline constexpr int OpenWindow = 515;
inline constexpr int GainFocus = 518;
inline constexpr int Timer = 523;
inline constexpr int Completed = 549;
inline constexpr int Moved = 560;
inline constexpr int Sized = 561;

// Backend notices that change the model without reaching the procedure.
inline constexpr int ListGeometry = -1;  // value: rows the list shows
}  // namespace ev

// Key and mouse codes as keyCode() reports them. A typed character is Character with the
// character itself in keyChar(): its byte value would otherwise collide with the codes of
// Insert ('-') and Delete ('.').
namespace key {
inline constexpr int None = 0;
inline constexpr int MouseLeft = 1;
inline constexpr int MouseRight = 2;
inline constexpr int MouseLeft2 = 5;  // double click
inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int F1 = 112;
inline constexpr int CtrlEnter = 525;
inline constexpr int CtrlApostrophe = 734;
inline constexpr int Character = 1000;  // a typed character; keyChar() holds it (CP1251)
}  // namespace key

// One event for one window. Fields past `field` are the payload of user input; the runtime
// applies it to the window model on the owning thread when the event is taken.
struct Event {
  int code = 0;
  int field = 0;                    // control number; 0 for window events
  std::optional<std::string> text;  // Accepted entry: the text the user left in it (UTF-8)
  int value = 0;    // NewSelection: row (1-based); ScrollDrag: thumb 0..100; AlertKey: key code
  int keyChar = 0;  // AlertKey: the character of the key, when it has one
  int x = 0, y = 0, width = 0, height = 0;  // Moved / Sized: dialog units
  // The key or mouse code (key::*) of the user input that caused this event, -1 for events
  // that the runtime or a procedure posts. Taking an event whose key is not -1 makes it the
  // thread's keyCode(), with keyChar: a left click or an arrow key after a right click
  // replaces the right click's code, so the next new selection shows no popup.
  int key = -1;
};

}  // namespace runtime
