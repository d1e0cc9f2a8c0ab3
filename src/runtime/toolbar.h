#pragma once
// Inside the runtime: the frame's toolbar, shared by every thread. Any thread may enable,
// disable or retitle its buttons by number; the changes a thread makes reach the backend as one
// copy when it next waits (event(), a message box, a popup) or ends. Copies are taken and sent
// one at a time, so the backend always ends with the toolbar as it was last changed.

#include <functional>
#include <span>
#include <vector>

#include "runtime/snapshot.h"
#include "runtime/window.h"

namespace runtime::detail {

// The frame's toolbar buttons, taken out of its window when it opens; sent at once.
void setToolbar(std::vector<Control> buttons);
void clearToolbar();
// Changes the buttons of those numbers the toolbar has; `change` tells whether it changed
// anything of a button.
void changeToolbar(std::span<const int> numbers, const std::function<bool(Control&)>& change);
// Sends the toolbar when the calling thread changed it since it last did.
void flushToolbar();
std::vector<ControlSnapshot> toolbarSnapshot();

}  // namespace runtime::detail
