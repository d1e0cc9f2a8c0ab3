#pragma once
// A control's bound variable: where an entry, a variable string or a progress bar reads its
// value and where an accepted entry writes it. The variable is the system's own (a record
// buffer field or a procedure's local) and is only touched on the thread that owns the window.

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

enum class VarType {
  None,
  String,   // fixed width, padded with spaces
  CString,  // NUL-terminated within its size
  Long,     // signed 32-bit
};

struct Binding {
  void* data = nullptr;
  VarType type = VarType::None;
  int size = 0;  // bytes
};

template <size_t N>
Binding bindString(char (&field)[N]) {
  return {field, VarType::String, static_cast<int>(N)};
}
template <size_t N>
Binding bindCString(char (&field)[N]) {
  return {field, VarType::CString, static_cast<int>(N)};
}
inline Binding bindLong(int32_t& value) {
  return {&value, VarType::Long, 4};
}

// The variable as text: a STRING's bytes, a CSTRING up to its NUL, a number in decimal.
std::string readBinding(const Binding& binding);

// Stores text into the variable: padded with spaces, NUL-terminated, or parsed as a number.
// Text longer than the variable is cut. Returns false (and stores nothing) when a number
// variable gets text that is not a number.
bool writeBinding(const Binding& binding, std::string_view text);

}  // namespace runtime
