#pragma once
// The driver's resolved view of a declaration (internal): key components as field indexes,
// which fields carry a sort key, and the key value of a record in any order. A key value is
// what the indexes order by: numbers as they are, texts by their collation sort keys, the
// record number last, so that every order is total.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/declaration.h"

namespace storage::detail {

struct KeyPart {
  bool text = false;
  int64_t number = 0;  // a LONG component
  std::string bytes;   // a text component's sort key

  bool operator==(const KeyPart&) const = default;
};

struct KeyValue {
  std::vector<KeyPart> parts;  // empty in file order
  int64_t id = 0;              // record number; ends every key

  bool operator==(const KeyValue&) const = default;
};

struct Schema {
  FileDecl decl;
  std::vector<std::vector<int>> keyFields;  // per key, its components' field indexes
  std::vector<bool> sorted;                 // per field: a text field some key orders by
  std::string problem;                      // why the declaration cannot be used; empty if it can
};

Schema makeSchema(const FileDecl& decl);

// The key value of a record image in an order (kFileOrder gives the record number alone).
KeyValue keyOf(const Schema& schema, int order, const void* image, int64_t id);
// The same into `out`, whose storage it reuses.
void keyInto(const Schema& schema, int order, const void* image, int64_t id, KeyValue& out);

// Position tokens: printable ASCII, at most 512 bytes, carrying the order, the record number and
// the key value. Trailing blanks and NULs are ignored when a token is read back, as callers
// keep tokens in blank-padded fixed-width fields.
inline constexpr size_t kMaxTokenSize = 512;
void encodeToken(int order, const KeyValue& value, std::string& into);  // reusing its storage
struct Token {
  int order = kFileOrder;
  KeyValue value;
};
std::optional<Token> decodeToken(const Schema& schema, std::string_view token);

}  // namespace storage::detail
