#include "storage/record_fields.h"

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
  return runtime::fieldText(field.type, at(field, record), field.width);
}

int32_t longValue(const Field& field, const void* record) {
  return field.type == FieldType::kLong ? runtime::fieldLong(at(field, record)) : 0;
}

bool setText(const Field& field, void* record, std::string_view text) {
  return runtime::putFieldText(field.type, at(field, record), field.width, text);
}

void setLong(const Field& field, void* record, int32_t value) {
  if (field.type == FieldType::kLong) runtime::putFieldLong(at(field, record), value);
}

void clearField(const Field& field, void* record) {
  runtime::clearField(field.type, at(field, record), field.width);
}

void clearRecord(const FileDecl& decl, void* record) {
  for (const Field& f : decl.fields) clearField(f, record);
}

}  // namespace storage
