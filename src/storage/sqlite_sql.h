#pragma once
// The SQL text of the SQLite store (internal), built once per declaration: the schema, the
// statements that read, write and seek in each key's order. The format itself is described in
// keyed_file.h.

#include <string>
#include <vector>

#include "storage/schema.h"
#include "storage/store.h"

namespace storage::detail::sql {

inline constexpr const char* kFormatVersion = "1";

std::string quote(const std::string& identifier);
std::string indexName(const Schema& schema, int key);

// CREATE statements for a new file: the metadata table and the records table (no indexes).
std::vector<std::string> createTables(const Schema& schema);
std::string createIndex(const Schema& schema, int key);
std::string dropIndex(const Schema& schema, int key);

// SELECT of one key stage. Binds, in order: the equal components 1..stage (numbers or sort
// keys), then the component compared by range (the record number at the last stage), then
// the row limit. Stage -1 has no condition: it reads from the first or last record.
//   stage s < m:  c1..cs equal, c(s+1) strictly after (before) the bound
//   stage m:      c1..cm equal, record number after (before) the bound, or equal when inclusive
std::string scanStage(const Schema& schema, int order, Direction dir, int stage, bool inclusive);
std::string selectByKey(const Schema& schema, int key);  // binds each component, equality
std::string selectById(const Schema& schema);

// INSERT binds the fields then the sort-key columns, in declaration order; UPDATE binds the
// same, then the record number, then (checked) the expected version. Both return the version.
std::string insertRecord(const Schema& schema);
std::string updateRecord(const Schema& schema, bool checked);

// For the key rebuild: the record number and the sorted text fields, and their update.
std::string selectSortSources(const Schema& schema);
std::string updateSortKeys(const Schema& schema);

}  // namespace storage::detail::sql
