#pragma once
// Numeric control kind codes, the numbering the resize strategy keys its rules on, and the code
// of each kind of control a window model holds.

#include <cstdint>

#include "runtime/window_def.h"

namespace phonedir::layout::kind {

inline constexpr int32_t None = 0;  // no control under that number
inline constexpr int32_t VarString = 1;
inline constexpr int32_t String = 2;
inline constexpr int32_t Image = 3;
inline constexpr int32_t Region = 4;
inline constexpr int32_t Progress = 5;
inline constexpr int32_t Toolbar = 6;
inline constexpr int32_t Entry = 8;
inline constexpr int32_t Button = 9;
inline constexpr int32_t Prompt = 10;
inline constexpr int32_t CheckBox = 12;
inline constexpr int32_t GroupBox = 13;
inline constexpr int32_t List = 14;
inline constexpr int32_t ComboBox = 15;
inline constexpr int32_t SpinBox = 16;
inline constexpr int32_t Menu = 19;
inline constexpr int32_t MenuItem = 20;
inline constexpr int32_t RadioButton = 21;
inline constexpr int32_t DropCombo = 34;

int32_t code(runtime::ControlKind kind);

}  // namespace phonedir::layout::kind
