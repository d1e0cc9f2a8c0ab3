#pragma once
// The window model: a window opened from its definition, its controls by number with their
// properties and bound variables. A model belongs to the thread that opened it and is read
// and changed only there; the backend sees snapshots of it (snapshot.h). Texts are CP1251.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/binding.h"
#include "runtime/list_format.h"
#include "runtime/window_def.h"

namespace runtime {

using ThreadId = int;
using WindowId = int;

// What a control shows and how: the part of a control that its snapshot carries as it is
// (texts are CP1251 in the model and UTF-8 in a snapshot).
struct ControlProps {
  int number = 0;
  ControlKind kind = ControlKind::Button;
  std::string label;
  std::string text;
  std::string tip;
  Rect rect;
  int parent = 0;  // number of the enclosing control; 0 none
  bool inToolbar = false;
  bool hidden = false;
  bool disabled = false;
  bool skip = false;
  bool centred = false;
  bool isDefault = false;  // the button Enter presses while the focus is on no button or entry
  std::string statusText;
  std::string icon;
  std::string shortcut;
  std::string picture;
  std::vector<int> alertKeys;

  // Lists.
  std::vector<ListColumn> columns;
  int selected = 0;  // 1-based; 0 none
  int thumb = 0;     // 0..100
  bool scrollbar = true;
  int rowsShown = 0;  // rows the list has room for

  // Progress bars.
  int rangeLow = 0;
  int rangeHigh = 100;

  bool operator==(const ControlProps&) const = default;
};

struct Control : ControlProps {
  Binding binding;
  // When the control was last handed out for change (Window::find): a snapshot need look
  // again only at controls handed out since it was taken, and at bound values.
  uint64_t stamp = 0;
  // Lists: the page of rows shown, one text per column as stored (formatted by the column's
  // picture when shown).
  std::vector<std::vector<std::string>> rows;
  // Lists, when the procedure keeps them: one identity per row, a new one whenever the row's
  // texts change. A snapshot then knows a row it has shown by its identity alone, and formats
  // only the rows new to it; without them it compares the rows' texts.
  std::vector<uint64_t> rowIds;
};

class Window {
 public:
  Window(const WindowDef& def, WindowId id, ThreadId thread);

  // A control to change: stamped as possibly changed from now on.
  Control* find(int number);
  Control* find(std::string_view label);
  // A control to look at: not stamped.
  const Control* find(int number) const;
  const Control* find(std::string_view label) const;
  // Applies `change`, which tells whether it changed anything, to a control; only a change
  // stamps it. False when the window has no such control.
  bool change(int number, bool (*change)(Control&));

  WindowId id = 0;
  ThreadId thread = 0;
  std::string proc;
  std::string caption;
  int x = -1, y = -1;  // dialog units; -1 until placed
  int width = 0, height = 0;
  int minWidth = 0, minHeight = 0;
  int escapeButton = 0;  // the button Esc presses (a form's Cancel); 0: Esc asks to close
  int timer = 0;
  int focus = 0;
  // How many times the procedure moved the focus: a backend moves its own only when this
  // changed, so that a display made before the user's latest move does not undo it.
  int focusMoves = 0;
  // Enter in an entry, once the entry took its text, presses the default button as well (the
  // conditions of a search and its "search" button).
  bool entriesPressDefault = false;
  std::vector<std::string> statusTexts;
  std::vector<Control> controls;  // definition order; changed only through find(), change()
  WindowDef def;                  // a copy: the window never depends on where its definition lives

  // Set when the procedure was handed a close request; the next event() ends its loop unless
  // the procedure refused the close meanwhile.
  bool closePending = false;

 private:
  int indexOf(int number) const;

  uint64_t stamps_ = 0;
  // Where each number's control stands in `controls`, made again when their count changes.
  mutable std::vector<int> positions_;
  mutable size_t indexed_ = static_cast<size_t>(-1);
};

// Rows a list of the given height shows when the backend has not measured it: one row per
// 10 dialog units below a 10-unit header.
int defaultRowsShown(int height);

}  // namespace runtime
