#include "runtime/binding.h"

#include <charconv>
#include <cstring>

#include "runtime/field.h"

namespace runtime {

std::string readBinding(const Binding& binding) {
  if (binding.data == nullptr) return {};
  const char* bytes = static_cast<const char*>(binding.data);
  switch (binding.type) {
    case VarType::String:
      return std::string(fieldText(FieldType::kString, bytes, binding.size));
    case VarType::CString:
      return std::string(fieldText(FieldType::kCString, bytes, binding.size));
    case VarType::Long:
      return std::to_string(fieldLong(bytes));
    case VarType::None:
      break;
  }
  return {};
}

bool writeBinding(const Binding& binding, std::string_view text) {
  if (binding.data == nullptr) return false;
  char* bytes = static_cast<char*>(binding.data);
  const size_t size = static_cast<size_t>(binding.size);
  switch (binding.type) {
    case VarType::String:
      putFieldText(FieldType::kString, bytes, size, text);
      return true;
    case VarType::CString:
      if (size == 0) return false;
      putFieldText(FieldType::kCString, bytes, size, text);
      return true;
    case VarType::Long: {
      while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
      text = trimRight(text);
      int32_t v = 0;
      if (!text.empty()) {
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec != std::errc() || ptr != text.data() + text.size()) return false;
      }
      putFieldLong(bytes, v);
      return true;
    }
    case VarType::None:
      break;
  }
  return false;
}

}  // namespace runtime
