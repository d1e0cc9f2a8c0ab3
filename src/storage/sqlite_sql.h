#pragma once
// The SQL text of the SQLite store (internal), built once per declaration: the schema, the
// statements that read, write and seek in each key's order. The format itself is described in
// keyed_file.h.

#include <string>
#include <vector>

#include "storage/record_filter.h"
#include "storage/schema.h"
#include "storage/store.h"

namespace storage::detail::sql {

inline constexpr const char* kFormatVersion = "1";

std::string quote(const std::string& identifier);
std::string indexName(const Schema& schema, int key);

// The fields that carry a sort key, in declaration order.
std::vector<int> sortedFields(const Schema& schema);

// The columns every read selects, in this order: id, ver, each field, each sort key.
std::string recordColumns(const Schema& schema);
// The same without the sort keys: id, ver and the fields.
std::string fieldColumns(const Schema& schema);

// A table's columns as the file must have them (what PRAGMA table_xinfo reports).
struct ColumnDef {
  std::string name;
  std::string type;
  bool notNull = false;
  bool primaryKey = false;
};
std::vector<ColumnDef> recordsTableColumns(const Schema& schema);
std::vector<ColumnDef> metaTableColumns();

// CREATE statements for a new file: the metadata table and the records table (no indexes).
std::vector<std::string> createTables(const Schema& schema);
std::string createIndex(const Schema& schema, int key);
std::string dropIndex(const Schema& schema, int key);

// The seeks of a scan in an order and direction. A seek after a key value and record number
// runs in two stages, each an index range SQLite seeks to directly (a row-value comparison
// that ends with the row id would only seek by its first column):
//   kTies    the key equal to the value, record numbers after (before) the bound's;
//            binds the components, the record number, then the row limit
//   kBeyond  keys after (before) the value: (c1, .., cm) > (?, .., ?); binds the components
//            and the limit
//   kFrom    keys not before (not after) the value, for a seek by key value alone
//   kAll     from the first (last) record; binds the limit
// In file order only kTies (on the record number alone) and kAll apply.
enum class Seek { kAll, kTies, kBeyond, kFrom };
// `filter`, an SQL condition (filterCondition), limits a scan in file order to the records
// that meet it.
std::string scanSeek(const Schema& schema, int order, Direction dir, Seek seek, bool inclusive,
                     const std::string& filter = {});
// A filter as an SQL condition on the stored columns, empty for no filter. It reads the stored
// bytes as a read would put them into the buffer: a text column holding text is read as its
// bytes, and a text shorter than the field leaves the padding byte at the offsets after it.
std::string filterCondition(const Schema& schema, const RecordFilter& filter);
std::string selectByKey(const Schema& schema, int key);  // binds each component, equality
std::string selectById(const Schema& schema);

// INSERT binds the fields then the sort-key columns, in declaration order; UPDATE binds the
// same, then the record number, then (checked) the expected version. Both return the version.
// Writing a record: an insert inserts nothing (when `unique`), and an update changes nothing,
// when another record has the record's value of a key that admits no equal values.
bool hasUniqueKey(const Schema& schema);
std::string insertRecord(const Schema& schema, bool unique);
std::string updateRecord(const Schema& schema, bool checked);

// For the key rebuild: the record number and the sorted text fields, and their update.
std::string selectSortSources(const Schema& schema);
std::string updateSortKeys(const Schema& schema);

}  // namespace storage::detail::sql
