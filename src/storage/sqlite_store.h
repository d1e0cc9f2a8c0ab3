#pragma once
// The SQLite store (internal): one connection to one data file, with the statements it has
// prepared. The format it keeps is described in keyed_file.h.

#include <sqlite3.h>

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "storage/schema.h"
#include "storage/sqlite_sql.h"
#include "storage/sqlite_support.h"
#include "storage/store.h"

namespace storage::detail {

class SqliteStore final : public Store {
 public:
  explicit SqliteStore(const Schema& schema);
  ~SqliteStore() override { close(); }

  Error open(const std::string& path, Access access) override;
  void close() override;
  Error create(const std::string& path) override;
  Error remove(const std::string& path) override;
  Error scan(int order, Direction dir, const Bound& from, size_t limit, Batch& out) override;
  void setFilter(const RecordFilter& filter) override;
  Error readById(int64_t id, int order, Row& out) override;
  Error readByKey(int key, const KeyValue& value, Row& out) override;
  Error insert(const void* image, bool maintainKeys, int64_t& id) override;
  Error update(int64_t id, const void* image, const int64_t* expected, int64_t& version) override;
  Error erase(int64_t id) override;
  Error count(int64_t& n) override;
  Error buildKeys(const std::function<bool()>& stop) override;
  void markKeysOutOfDate() override;
  Error beginRead() override;
  Error endRead() override;
  uint64_t contentStamp() override;
  Error begin(int timeoutMs) override;
  Error commit() override;
  Error rollback() override;
  bool inTransaction() const override { return db_ && !sqlite3_get_autocommit(db_); }
  void setBusyLimit(int ms) override;
  void setDurable(bool durable) override { durable_ = durable; }
  int activeStatements() const override;

 private:
  Error fail(int rc) { return sqliteError(db_, rc); }
  Error seek(int order, Direction dir, sql::Seek kind, bool inclusive, const KeyValue& value,
             size_t limit, Batch& out);
  Error indexNames(std::map<std::string, std::string>& names);
  Error connect(const std::string& path, int flags, int busyMs);
  void disconnect();
  Error run(const std::string& sql, std::string* firstValue = nullptr);
  Error runCached(Slot& slot);
  Error pragma(const std::string& set, const std::string& query, const std::string& expect);
  Error synchronous();  // the synchronous setting durable_ asks for
  Error checkMeta(bool exclusive);
  Error startsEmpty(bool& empty);
  Error checkObjects();
  Error checkColumns(const std::string& table, const std::vector<sql::ColumnDef>& expected);
  Error makeTables();
  Error markKeysInvalid();
  Error remakeSortKeys();
  // Whether record `id` is there, and its version.
  Error versionOf(int64_t id, bool& found, int64_t& version);
  Error prepared(Slot& slot, sqlite3_stmt*& stmt);
  void forget(Slot& slot);
  Slot& scanSlot(int order, Direction dir, sql::Seek kind, bool inclusive);
  void bindPart(sqlite3_stmt* stmt, int index, const KeyPart& part);
  void bindRecord(sqlite3_stmt* stmt, const void* image);
  Error readRow(sqlite3_stmt* stmt, int order, char* image, KeyValue& key);
  Error readOne(sqlite3_stmt* stmt, int order, Row& out);
  Error replaceContents(const std::string& path, bool& notDatabase);
  Error createFresh(const std::string& path);

  static int onBusy(void* store, int attempt);

  const Schema& schema_;
  sqlite3* db_ = nullptr;
  int waitMs_ = kDefaultBusyMs;  // the wait now in force
  std::chrono::steady_clock::time_point busySince_;
  bool keysDroppedInTx_ = false;
  bool readOnly_ = false;
  std::vector<int> sortColumn_;  // per field, the result column of its sort key; -1 if none
  int busyMs_ = kDefaultBusyMs;
  bool durable_ = true;
  std::vector<Slot> scanSlots_;
  // The scans in record-number order under a filter, and the filter's SQL condition.
  std::vector<Slot> filteredSlots_;
  std::string filter_;
  std::vector<Slot> keySlots_;
  // An append, which comes before its keys are built, is not held to the unique keys: the
  // test would read the whole file for every record.
  Slot byId_, insert_, append_, update_, updateChecked_, erase_, count_, beginRead_, endRead_,
      touch_;
  uint64_t connection_ = 0;  // this connection's serial number, unique in the process
  // Every record was written by this exclusive connection, so their sort keys are the
  // driver's own and a key build need not check them.
  bool ownRecordsOnly_ = false;
  std::vector<std::string> sortKeys_;  // kept alive while bound statically
};

}  // namespace storage::detail
