#include "storage/declaration.h"

#include <algorithm>
#include <set>

namespace storage {
namespace {

bool isIdentifier(std::string_view s) {
  if (s.empty() || s.size() > 60) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!alpha(s[0])) return false;
  return std::all_of(s.begin(), s.end(), [&](char c) { return alpha(c) || digit(c); });
}

// Column names are compared without case by SQLite, so the names are too.
std::string folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

char typeLetter(FieldType t) {
  switch (t) {
    case FieldType::kString:
      return 'S';
    case FieldType::kCString:
      return 'C';
    case FieldType::kLong:
      return 'L';
  }
  return '?';
}

}  // namespace

int FileDecl::fieldIndex(std::string_view fieldName) const {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == fieldName) return static_cast<int>(i);
  }
  return -1;
}

int FileDecl::keyIndex(std::string_view keyName) const {
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].name == keyName) return static_cast<int>(i);
  }
  return -1;
}

std::string checkDeclaration(const FileDecl& decl) {
  if (decl.name.empty()) return "the file has no name";
  if (decl.recordSize == 0) return "the record size is 0";
  if (decl.fields.empty()) return "the file has no fields";
  // Column names besides the fields': the row id, the version and the sort-key columns.
  std::set<std::string> names = {"ID", "VER"};
  std::vector<std::pair<size_t, size_t>> spans;
  for (const Field& f : decl.fields) {
    if (!isIdentifier(f.name)) return "field name '" + f.name + "' is not an identifier";
    if (!names.insert(folded(f.name)).second) return "field name '" + f.name + "' repeats";
    if (f.type == FieldType::kLong && f.width != 4)
      return "LONG field '" + f.name + "' is not 4 bytes";
    if (f.width == 0) return "field '" + f.name + "' has no width";
    if (f.offset > decl.recordSize || f.width > decl.recordSize - f.offset) {
      return "field '" + f.name + "' lies outside the record";
    }
    spans.emplace_back(f.offset, f.offset + f.width);
  }
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].first < spans[i - 1].second) return "fields overlap";
  }
  for (const Field& f : decl.fields) {
    if (!names.insert(folded(f.name + "_SORT")).second) {
      return "field name '" + f.name + "_SORT' is taken by the sort key of '" + f.name + "'";
    }
  }
  std::set<std::string> keyNames;
  for (const Key& k : decl.keys) {
    if (!isIdentifier(k.name)) return "key name '" + k.name + "' is not an identifier";
    if (!keyNames.insert(folded(k.name)).second) return "key name '" + k.name + "' repeats";
    if (k.components.empty()) return "key '" + k.name + "' has no components";
    for (const std::string& c : k.components) {
      if (decl.fieldIndex(c) < 0) return "key '" + k.name + "' names unknown field '" + c + "'";
    }
  }
  return {};
}

std::string layoutSignature(const FileDecl& decl) {
  std::string s = "record " + std::to_string(decl.recordSize) + ";";
  for (const Field& f : decl.fields) {
    s += " " + f.name + " " + typeLetter(f.type) + std::to_string(f.width) + "@" +
         std::to_string(f.offset) + ";";
  }
  for (const Key& k : decl.keys) {
    s += " key " + k.name + "(";
    for (size_t i = 0; i < k.components.size(); ++i) {
      s += (i ? "," : "") + k.components[i];
    }
    s += ");";
  }
  return s;
}

}  // namespace storage
