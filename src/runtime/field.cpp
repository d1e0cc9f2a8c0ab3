#include "runtime/field.h"

#include <algorithm>
#include <cstring>

namespace runtime {

size_t textRoom(FieldType type, size_t width) {
  switch (type) {
    case FieldType::kString:
      return width;
    case FieldType::kCString:
      return width == 0 ? 0 : width - 1;
    case FieldType::kLong:
      break;
  }
  return 0;
}

std::string_view fieldText(FieldType type, const char* field, size_t width) {
  switch (type) {
    case FieldType::kString:
      return {field, width};
    case FieldType::kCString: {
      const size_t room = textRoom(type, width);
      const void* nul = std::memchr(field, '\0', room);
      return {field, nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : room};
    }
    case FieldType::kLong:
      break;
  }
  return {};
}

bool putFieldText(FieldType type, char* field, size_t width, std::string_view text) {
  if (type == FieldType::kLong) return false;
  const size_t room = textRoom(type, width);
  const size_t n = std::min(text.size(), room);
  if (n > 0) std::memcpy(field, text.data(), n);
  std::memset(field + n, type == FieldType::kString ? ' ' : '\0', width - n);
  return n == text.size();
}

int32_t fieldLong(const char* field) {
  int32_t v = 0;
  std::memcpy(&v, field, sizeof v);
  return v;
}

void putFieldLong(char* field, int32_t value) {
  std::memcpy(field, &value, sizeof value);
}

void clearField(FieldType type, char* field, size_t width) {
  switch (type) {
    case FieldType::kString:
      std::memset(field, ' ', width);
      break;
    case FieldType::kCString:
      std::memset(field, '\0', width);
      break;
    case FieldType::kLong:
      putFieldLong(field, 0);
      break;
  }
}

std::string_view trimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string padRight(std::string_view text, size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

int compareTrimmed(std::string_view a, std::string_view b) {
  const int c = trimRight(a).compare(trimRight(b));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace runtime
