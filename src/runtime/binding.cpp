#include "runtime/binding.h"

#include <charconv>
#include <cstring>

namespace runtime {

std::string readBinding(const Binding& binding) {
  if (binding.data == nullptr) return {};
  const char* bytes = static_cast<const char*>(binding.data);
  switch (binding.type) {
    case VarType::String:
      return std::string(bytes, binding.size);
    case VarType::CString:
      return std::string(bytes, strnlen(bytes, binding.size));
    case VarType::Long: {
      int32_t v = 0;
      std::memcpy(&v, binding.data, sizeof v);
      return std::to_string(v);
    }
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
    case VarType::String: {
      const size_t n = std::min(text.size(), size);
      std::memcpy(bytes, text.data(), n);
      std::memset(bytes + n, ' ', size - n);
      return true;
    }
    case VarType::CString: {
      if (size == 0) return false;
      const size_t n = std::min(text.size(), size - 1);
      std::memcpy(bytes, text.data(), n);
      std::memset(bytes + n, 0, size - n);
      return true;
    }
    case VarType::Long: {
      while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      int32_t v = 0;
      if (!text.empty()) {
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec != std::errc() || ptr != text.data() + text.size()) return false;
      }
      std::memcpy(binding.data, &v, sizeof v);
      return true;
    }
    case VarType::None:
      break;
  }
  return false;
}

}  // namespace runtime
