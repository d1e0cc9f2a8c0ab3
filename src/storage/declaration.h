#pragma once
// What a data file holds: the fixed byte layout of its record buffer, field by field, and its
// keys. The driver is generic over these declarations; a file made for one layout refuses to
// open under another.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/field.h"

namespace storage {

// STRING(n), CSTRING(n) and LONG, with their rules in runtime/field.h.
using FieldType = runtime::FieldType;

// An order of reading: a key's index in its declaration, or kFileOrder, the order in which
// records were added (their record numbers).
inline constexpr int kFileOrder = -1;

struct Field {
  std::string name;  // an identifier; also the name of the field's column
  FieldType type = FieldType::kString;
  size_t offset = 0;  // byte position in the record buffer
  size_t width = 0;   // bytes in the record buffer (4 for kLong)
};

struct Key {
  std::string name;                     // an identifier, unique in the file
  std::vector<std::string> components;  // field names, most significant first, all ascending
  bool unique = false;  // a record whose value another record has is refused (kDuplicateKey)
};

struct FileDecl {
  std::string name;  // the file's name, e.g. "PHONE"; stored as NAME.db unless a path is given
  size_t recordSize = 0;
  std::vector<Field> fields;
  std::vector<Key> keys;

  int fieldIndex(std::string_view fieldName) const;  // -1 when there is no such field
  int keyIndex(std::string_view keyName) const;      // -1 when there is no such key
};

// Empty when the declaration can be used, else what is wrong with it: names that are not
// identifiers or repeat, fields outside the record or overlapping, keys over unknown fields.
std::string checkDeclaration(const FileDecl& decl);

// The layout as kept in a file's metadata: field types, offsets, widths and keys. The file's
// name is not part of it, so a file may be copied under another name of the same layout.
std::string layoutSignature(const FileDecl& decl);

}  // namespace storage
