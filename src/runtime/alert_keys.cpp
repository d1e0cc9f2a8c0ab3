#include "runtime/alert_keys.h"

#include <algorithm>

#include "runtime/event.h"

namespace runtime {

int alertedKey(const ControlProps& c, int code, int ch) {
  const auto& keys = c.alertKeys;
  if (std::find(keys.begin(), keys.end(), code) != keys.end()) return code;
  if (c.kind != ControlKind::List) return key::None;
  if (code == key::Backspace) return key::Backspace;
  const auto byte = static_cast<unsigned char>(ch);
  const bool types = byte >= 0x20 && byte != 0x7f;
  return types ? key::Character : key::None;
}

}  // namespace runtime
