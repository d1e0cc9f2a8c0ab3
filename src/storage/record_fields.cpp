#include "storage/record_fields.h"

#include <cstring>

namespace storage {
namespace {

char* at(const Field& field, void* record) {
  return static_cast<char*>(record) + field.offset;
}

const char* at(const Field& field, const void* record) {
  return static_cast<const char*>(record) + field.offset;
}

}  // namespace

std::string_view storedText(const Field& field, const void* record) {
  const char* p = at(field, record);
  switch (field.type) {
    case FieldType::kString:
      return {p, field.width};
    case FieldType::kCString: {
      const size_t room = field.width - 1;
      const void* nul = std::memchr(p, '\0', room);
      return {p, nul ? static_cast<size_t>(static_cast<const char*>(nul) - p) : room};
    }
    case FieldType::kLong:
      break;
  }
  return {};
}

int32_t longValue(const Field& field, const void* record) {
  int32_t v = 0;
  if (field.type == FieldType::kLong) std::memcpy(&v, at(field, record), sizeof v);
  return v;
}

void setText(const Field& field, void* record, std::string_view text) {
  char* p = at(field, record);
  switch (field.type) {
    case FieldType::kString: {
      const size_t n = text.size() < field.width ? text.size() : field.width;
      if (n > 0) std::memcpy(p, text.data(), n);
      std::memset(p + n, ' ', field.width - n);
      break;
    }
    case FieldType::kCString: {
      const size_t n = text.size() < field.width - 1 ? text.size() : field.width - 1;
      if (n > 0) std::memcpy(p, text.data(), n);
      std::memset(p + n, '\0', field.width - n);
      break;
    }
    case FieldType::kLong:
      break;
  }
}

void setLong(const Field& field, void* record, int32_t value) {
  if (field.type == FieldType::kLong) std::memcpy(at(field, record), &value, sizeof value);
}

void clearField(const Field& field, void* record) {
  switch (field.type) {
    case FieldType::kString:
      std::memset(at(field, record), ' ', field.width);
      break;
    case FieldType::kCString:
      std::memset(at(field, record), '\0', field.width);
      break;
    case FieldType::kLong:
      setLong(field, record, 0);
      break;
  }
}

void clearRecord(const FileDecl& decl, void* record) {
  for (const Field& f : decl.fields) clearField(f, record);
}

}  // namespace storage
