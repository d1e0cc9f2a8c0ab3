#include "storage/schema.h"

#include <charconv>

#include "runtime/locale/collation.h"
#include "storage/record_fields.h"

namespace storage::detail {
namespace {

const char kHex[] = "0123456789abcdef";
constexpr size_t kDigits = 20;  // the longest a 64-bit number is written, with its sign

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool parseInt(std::string_view s, int64_t& out) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

}  // namespace

Schema makeSchema(const FileDecl& decl) {
  Schema s;
  s.decl = decl;
  s.problem = checkDeclaration(decl);
  s.sorted.assign(decl.fields.size(), false);
  if (!s.problem.empty()) return s;
  for (const Key& k : decl.keys) {
    std::vector<int> fields;
    for (const std::string& c : k.components) {
      const int f = decl.fieldIndex(c);
      fields.push_back(f);
      if (decl.fields[f].type != FieldType::kLong) s.sorted[f] = true;
    }
    s.keyFields.push_back(std::move(fields));
  }
  return s;
}

void keyInto(const Schema& schema, int order, const void* image, int64_t id, KeyValue& out) {
  out.id = id;
  if (order == kFileOrder) {
    out.parts.clear();
    return;
  }
  const auto& fields = schema.keyFields[order];
  out.parts.resize(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    const Field& field = schema.decl.fields[fields[i]];
    KeyPart& part = out.parts[i];
    if (field.type == FieldType::kLong) {
      part.text = false;
      part.bytes.clear();
      part.number = longValue(field, image);
    } else {
      part.text = true;
      part.number = 0;
      part.bytes = runtime::sortKey(storedText(field, image));
    }
  }
}

KeyValue keyOf(const Schema& schema, int order, const void* image, int64_t id) {
  KeyValue v;
  keyInto(schema, order, image, id, v);
  return v;
}

// Layout: "F.<id>" in file order, "K<key>.<id>" then ".n<number>" or ".t<hex sort key>" per
// component.
void encodeToken(int order, const KeyValue& value, std::string& t) {
  // Made for every record a list reads: sized once for the longest it can be, written in
  // place, cut to length.
  size_t size = 2 + 2 * kDigits;
  for (const KeyPart& p : value.parts) size += p.text ? 2 + 2 * p.bytes.size() : 2 + kDigits;
  t.resize(size);
  char* out = t.data();
  char* const end = out + size;
  if (order == kFileOrder) {
    *out++ = 'F';
  } else {
    *out++ = 'K';
    out = std::to_chars(out, end, order).ptr;
  }
  *out++ = '.';
  out = std::to_chars(out, end, value.id).ptr;
  for (const KeyPart& p : value.parts) {
    *out++ = '.';
    if (p.text) {
      *out++ = 't';
      for (unsigned char c : p.bytes) {
        *out++ = kHex[c >> 4];
        *out++ = kHex[c & 15];
      }
    } else {
      *out++ = 'n';
      out = std::to_chars(out, end, p.number).ptr;
    }
  }
  t.resize(static_cast<size_t>(out - t.data()));
}

std::optional<Token> decodeToken(const Schema& schema, std::string_view token) {
  while (!token.empty() && (token.back() == ' ' || token.back() == '\0')) token.remove_suffix(1);
  // Read back for every record a list goes on from: the pieces between the dots are taken one
  // at a time, without a list of them.
  size_t at = 0;
  bool last = false;
  auto next = [&]() -> std::optional<std::string_view> {
    if (last) return std::nullopt;
    const size_t dot = token.find('.', at);
    const std::string_view piece =
        token.substr(at, dot == std::string_view::npos ? std::string_view::npos : dot - at);
    if (dot == std::string_view::npos) {
      last = true;
    } else {
      at = dot + 1;
    }
    return piece;
  };
  const auto head = next();
  const auto number = next();
  if (!head || !number || head->empty()) return std::nullopt;
  Token t;
  if (*head == "F") {
    t.order = kFileOrder;
  } else {
    int64_t k = 0;
    if ((*head)[0] != 'K' || !parseInt(head->substr(1), k) || k < 0 ||
        k >= static_cast<int64_t>(schema.keyFields.size())) {
      return std::nullopt;
    }
    t.order = static_cast<int>(k);
  }
  if (!parseInt(*number, t.value.id)) return std::nullopt;
  const size_t parts = t.order == kFileOrder ? 0 : schema.keyFields[t.order].size();
  t.value.parts.reserve(parts);
  for (size_t i = 0; i < parts; ++i) {
    const auto piece = next();
    if (!piece) return std::nullopt;
    const Field& field = schema.decl.fields[schema.keyFields[t.order][i]];
    KeyPart part;
    part.text = field.type != FieldType::kLong;
    if (piece->empty() || (*piece)[0] != (part.text ? 't' : 'n')) return std::nullopt;
    const std::string_view body = piece->substr(1);
    if (part.text) {
      if (body.size() % 2 != 0) return std::nullopt;
      part.bytes.reserve(body.size() / 2);
      for (size_t j = 0; j < body.size(); j += 2) {
        const int hi = hexDigit(body[j]);
        const int lo = hexDigit(body[j + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        part.bytes += static_cast<char>(hi * 16 + lo);
      }
    } else if (!parseInt(body, part.number)) {
      return std::nullopt;
    }
    t.value.parts.push_back(std::move(part));
  }
  if (next()) return std::nullopt;  // more components than the key has
  return t;
}

}  // namespace storage::detail
