#include "storage/sqlite_sql.h"

#include <algorithm>

namespace storage::detail::sql {
namespace {

std::string column(const Schema& schema, int field) {
  const Field& f = schema.decl.fields[field];
  return quote(f.type == FieldType::kLong ? f.name : f.name + "_SORT");
}

}  // namespace

std::vector<int> sortedFields(const Schema& schema) {
  std::vector<int> out;
  for (size_t i = 0; i < schema.sorted.size(); ++i) {
    if (schema.sorted[i]) out.push_back(static_cast<int>(i));
  }
  return out;
}

std::string fieldColumns(const Schema& schema) {
  std::string s = "id, ver";
  for (const Field& f : schema.decl.fields) s += ", " + quote(f.name);
  return s;
}

std::string recordColumns(const Schema& schema) {
  std::string s = fieldColumns(schema);
  for (int f : sortedFields(schema)) s += ", " + quote(schema.decl.fields[f].name + "_SORT");
  return s;
}

std::vector<ColumnDef> recordsTableColumns(const Schema& schema) {
  std::vector<ColumnDef> out = {{"id", "INTEGER", false, true}, {"ver", "INTEGER", true, false}};
  for (const Field& f : schema.decl.fields)
    out.push_back({f.name, f.type == FieldType::kLong ? "INTEGER" : "BLOB", true, false});
  for (int f : sortedFields(schema))
    out.push_back({schema.decl.fields[f].name + "_SORT", "BLOB", true, false});
  return out;
}

std::vector<ColumnDef> metaTableColumns() {
  return {{"name", "TEXT", false, true}, {"value", "TEXT", true, false}};
}

std::string quote(const std::string& identifier) {
  return "\"" + identifier + "\"";
}

std::string indexName(const Schema& schema, int key) {
  return quote("key_" + schema.decl.keys[key].name);
}

std::vector<std::string> createTables(const Schema& schema) {
  std::string records =
      "CREATE TABLE records(id INTEGER PRIMARY KEY AUTOINCREMENT, ver INTEGER NOT NULL";
  const std::vector<ColumnDef> columns = recordsTableColumns(schema);
  for (size_t i = 2; i < columns.size(); ++i)
    records += ", " + quote(columns[i].name) + " " + columns[i].type + " NOT NULL";
  records += ")";
  return {"CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT NOT NULL)", records};
}

std::string createIndex(const Schema& schema, int key) {
  std::string s = "CREATE INDEX " + indexName(schema, key) + " ON records(";
  const std::vector<int>& fields = schema.keyFields[key];
  for (size_t i = 0; i < fields.size(); ++i) s += (i ? ", " : "") + column(schema, fields[i]);
  return s + ")";
}

std::string dropIndex(const Schema& schema, int key) {
  return "DROP INDEX IF EXISTS " + indexName(schema, key);
}

std::string filterCondition(const Schema& schema, const RecordFilter& filter) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (const ByteCondition& c : filter) {
    const Field& f = schema.decl.fields[static_cast<size_t>(c.field)];
    const std::string bytes = "CAST(" + quote(f.name) + " AS BLOB)";
    const char pad = f.type == FieldType::kCString ? '\0' : ' ';
    std::string list;
    bool padAllowed = false;
    for (const char b : c.bytes) {
      const auto u = static_cast<unsigned char>(b);
      list += list.empty() ? "x'" : ", x'";
      list += {kHex[u >> 4], kHex[u & 15], '\''};
      padAllowed = padAllowed || b == pad;
    }
    s += s.empty() ? "(" : " AND (";
    s += "substr(" + bytes + ", " + std::to_string(c.offset + 1) + ", 1) IN (" + list + ")";
    if (padAllowed) s += " OR length(" + bytes + ") <= " + std::to_string(c.offset);
    s += ")";
  }
  return s;
}

std::string scanSeek(const Schema& schema, int order, Direction dir, Seek seek, bool inclusive,
                     const std::string& filter) {
  const bool fwd = dir == Direction::kForward;
  // In record-number order no sort key is checked, so none is read: a whole-file scan decodes
  // only the fields.
  std::string s = "SELECT " + (order == kFileOrder ? fieldColumns(schema) : recordColumns(schema)) +
                  " FROM records";
  std::vector<std::string> cols;
  if (order != kFileOrder) {
    s += " INDEXED BY " + indexName(schema, order);
    for (int f : schema.keyFields[order]) cols.push_back(column(schema, f));
  }
  std::string list;
  std::string marks;
  for (size_t i = 0; i < cols.size(); ++i) {
    list += (i ? ", " : "") + cols[i];
    marks += i ? ", ?" : "?";
  }
  const bool filtered = order == kFileOrder && !filter.empty();
  switch (seek) {
    case Seek::kAll:
      if (filtered) s += " WHERE " + filter;
      break;
    case Seek::kTies:
      s += " WHERE ";
      for (const std::string& c : cols) s += c + " = ? AND ";
      s += std::string("id ") + (fwd ? ">" : "<") + (inclusive ? "= ?" : " ?");
      if (filtered) s += " AND " + filter;
      break;
    case Seek::kBeyond:
    case Seek::kFrom:
      s += " WHERE (" + list + ") " + (fwd ? ">" : "<") + (seek == Seek::kFrom ? "= (" : " (") +
           marks + ")";
      break;
  }
  s += " ORDER BY ";
  const char* way = fwd ? " ASC" : " DESC";
  for (const std::string& c : cols) s += c + way + ", ";
  s += std::string("id") + way + " LIMIT ?";
  return s;
}

std::string selectByKey(const Schema& schema, int key) {
  std::string s = "SELECT " + recordColumns(schema) + " FROM records INDEXED BY " +
                  indexName(schema, key) + " WHERE ";
  std::string order;
  const std::vector<int>& fields = schema.keyFields[key];
  for (size_t i = 0; i < fields.size(); ++i) {
    s += (i ? " AND " : "") + column(schema, fields[i]) + " = ?";
    order += column(schema, fields[i]) + ", ";
  }
  return s + " ORDER BY " + order + "id LIMIT 1";
}

std::string selectById(const Schema& schema) {
  return "SELECT " + recordColumns(schema) + " FROM records WHERE id = ?";
}

namespace {

// The parameter that carries a field's value in a record's statements: the fields in their
// order, then the sort keys of the sorted ones.
int recordParameter(const Schema& schema, int field) {
  if (schema.decl.fields[field].type == FieldType::kLong) return field + 1;
  const std::vector<int> sorted = sortedFields(schema);
  const auto at = std::find(sorted.begin(), sorted.end(), field);
  return static_cast<int>(schema.decl.fields.size() + (at - sorted.begin())) + 1;
}

int recordParameters(const Schema& schema) {
  return static_cast<int>(schema.decl.fields.size() + sortedFields(schema).size());
}

// True when another record than `self` (a parameter, or none) has the record's value of a key
// that admits no equal values. Tested in the writing statement itself, so that no station can
// write the same value between the test and the write.
std::string duplicateOfUniqueKey(const Schema& schema, const std::string& self) {
  std::string any;
  for (size_t k = 0; k < schema.decl.keys.size(); ++k) {
    if (!schema.decl.keys[k].unique) continue;
    std::string same;
    for (int f : schema.keyFields[k]) {
      same += (same.empty() ? "" : " AND ") + column(schema, f) + " = ?" +
              std::to_string(recordParameter(schema, f));
    }
    if (!self.empty()) same += " AND id <> " + self;
    any += (any.empty() ? "" : " OR ") + std::string("EXISTS (SELECT 1 FROM records WHERE ") +
           same + ")";
  }
  return any;
}

}  // namespace

bool hasUniqueKey(const Schema& schema) {
  return std::any_of(schema.decl.keys.begin(), schema.decl.keys.end(),
                     [](const Key& k) { return k.unique; });
}

std::string insertRecord(const Schema& schema, bool unique) {
  std::string cols = "ver";
  std::string vals = "1";
  int parameter = 0;
  for (const Field& f : schema.decl.fields) {
    cols += ", " + quote(f.name);
    vals += ", ?" + std::to_string(++parameter);
  }
  for (int f : sortedFields(schema)) {
    cols += ", " + quote(schema.decl.fields[f].name + "_SORT");
    vals += ", ?" + std::to_string(++parameter);
  }
  const std::string duplicate = unique ? duplicateOfUniqueKey(schema, "") : std::string();
  if (duplicate.empty()) return "INSERT INTO records(" + cols + ") VALUES(" + vals + ")";
  return "INSERT INTO records(" + cols + ") SELECT " + vals + " WHERE NOT (" + duplicate + ")";
}

std::string updateRecord(const Schema& schema, bool checked) {
  std::string s = "UPDATE records SET ver = ver + 1";
  int parameter = 0;
  for (const Field& f : schema.decl.fields)
    s += ", " + quote(f.name) + " = ?" + std::to_string(++parameter);
  for (int f : sortedFields(schema))
    s += ", " + quote(schema.decl.fields[f].name + "_SORT") + " = ?" + std::to_string(++parameter);
  const std::string id = "?" + std::to_string(recordParameters(schema) + 1);
  s += " WHERE id = " + id;
  if (checked) s += " AND ver = ?" + std::to_string(recordParameters(schema) + 2);
  const std::string duplicate = duplicateOfUniqueKey(schema, id);
  if (!duplicate.empty()) s += " AND NOT (" + duplicate + ")";
  return s + " RETURNING ver";
}

std::string selectSortSources(const Schema& schema) {
  std::string s = "SELECT id";
  for (int f : sortedFields(schema)) {
    const std::string& name = schema.decl.fields[f].name;
    s += ", " + quote(name) + ", " + quote(name + "_SORT");
  }
  return s + " FROM records WHERE id > ? ORDER BY id LIMIT ?";
}

std::string updateSortKeys(const Schema& schema) {
  std::string s = "UPDATE records SET ";
  bool first = true;
  for (int f : sortedFields(schema)) {
    s += (first ? "" : ", ") + quote(schema.decl.fields[f].name + "_SORT") + " = ?";
    first = false;
  }
  return s + " WHERE id = ?";
}

}  // namespace storage::detail::sql
