#pragma once
// Which key presses reach a procedure as AlertKey: the keys a control has alerted, and on a
// list also every typed character and Backspace, which its incremental locator needs. Both
// backends decide by it, so a key behaves alike in the program and in the scenario runner.

#include "runtime/window.h"

namespace runtime {

// The key code the press reaches the procedure with (key::*), or key::None when it does not
// reach it. `code` is the key's own code, `ch` its character (CP1251) when it types one: an
// unalerted Space on a list arrives as the typed character ' '.
int alertedKey(const ControlProps& control, int code, int ch);

}  // namespace runtime
