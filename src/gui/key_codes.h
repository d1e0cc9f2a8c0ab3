#pragma once
// Keys as the procedures know them: the runtime's code for a Qt key press or mouse button,
// and whether a control asked to be told of a key (its alerted keys). A key a control alerts
// reaches its procedure as an alerted-key event instead of doing what it does by default.

#include <QKeyEvent>
#include <vector>

#include "runtime/event.h"

namespace gui {

// The key code of a key that has one of its own (Insert, the arrows, Ctrl+Enter, ...); 0 for
// others, typed characters included.
int keyCodeOf(const QKeyEvent& event);

// True when the key press types printable text (no Ctrl, Alt or Meta held).
bool typesText(const QKeyEvent& event);

bool alerts(const std::vector<int>& alertKeys, int code);

// An event caused by the user's key or mouse button `key` (runtime::key).
runtime::Event inputEvent(int code, int key, int value = 0, int keyChar = 0);
// The alerted-key event for `key`, with the character it stands for when it has one.
runtime::Event alertEvent(int key, int keyChar = 0);
// The alerted-key event of a typed character (a CP1251 byte): its own code, never the byte's
// value as a code ('-' would be Insert and '.' Delete).
runtime::Event characterEvent(int byte);

}  // namespace gui
