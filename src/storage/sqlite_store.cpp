#include "storage/sqlite_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <thread>

namespace storage::detail {

namespace {

// A database in WAL mode says so in bytes 18 and 19 of its header. It is told apart before
// SQLite opens it: a connection to it would make its shared-memory file and write its log
// back into it.
Error refuseWalFile(const std::string& path) {
  unsigned char header[100] = {};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errnoError(errno, path);
  const ssize_t n = ::read(fd, header, sizeof header);
  ::close(fd);
  if (n < static_cast<ssize_t>(sizeof header)) return {};
  if (std::memcmp(header, "SQLite format 3", 16) != 0) return {};
  if (header[18] == 2 || header[19] == 2)
    return makeError(kLayoutMismatch, 0, path + ": a database in WAL mode");
  return {};
}

std::string columnText(sqlite3_stmt* stmt, int col) {
  const unsigned char* t = sqlite3_column_text(stmt, col);
  return t ? reinterpret_cast<const char*>(t) : "";
}

}  // namespace

SqliteStore::SqliteStore(const Schema& schema) : schema_(schema) {
  sortColumn_.assign(schema_.decl.fields.size(), -1);
  int column = 2 + static_cast<int>(schema_.decl.fields.size());
  for (int f : sql::sortedFields(schema_)) sortColumn_[f] = column++;
  const size_t orders = schema_.keyFields.size() + 1;
  scanSlots_.resize(orders * 2 * 4 * 2);
  filteredSlots_.resize(2 * 4 * 2);
  keySlots_.resize(schema_.keyFields.size());
  for (size_t k = 0; k < keySlots_.size(); ++k)
    keySlots_[k].sql = sql::selectByKey(schema_, static_cast<int>(k));
  byId_.sql = sql::selectById(schema_);
  insert_.sql = sql::insertRecord(schema_, true);
  append_.sql = sql::insertRecord(schema_, false);
  update_.sql = sql::updateRecord(schema_, false);
  updateChecked_.sql = sql::updateRecord(schema_, true);
  erase_.sql = "DELETE FROM records WHERE id = ?";
  count_.sql = "SELECT count(*) FROM records";
  beginRead_.sql = "BEGIN";
  endRead_.sql = "COMMIT";
  touch_.sql = "SELECT 1 FROM meta LIMIT 1";
}

Slot& SqliteStore::scanSlot(int order, Direction dir, sql::Seek kind, bool inclusive) {
  const size_t d = dir == Direction::kForward ? 0 : 1;
  const size_t way = (d * 4 + static_cast<size_t>(kind)) * 2 + (inclusive ? 1 : 0);
  if (order == kFileOrder && !filter_.empty()) {
    Slot& slot = filteredSlots_[way];
    if (slot.sql.empty()) slot.sql = sql::scanSeek(schema_, order, dir, kind, inclusive, filter_);
    return slot;
  }
  const size_t o = static_cast<size_t>(order + 1);
  Slot& slot = scanSlots_[o * 16 + way];
  if (slot.sql.empty()) slot.sql = sql::scanSeek(schema_, order, dir, kind, inclusive);
  return slot;
}

void SqliteStore::setFilter(const RecordFilter& filter) {
  std::string condition = sql::filterCondition(schema_, filter);
  if (condition == filter_) return;
  filter_ = std::move(condition);
  for (Slot& s : filteredSlots_) {
    forget(s);
    s.sql.clear();
  }
}

Error SqliteStore::prepared(Slot& slot, sqlite3_stmt*& stmt) {
  if (!db_) return misuse("file not open");
  if (!slot.stmt) {
    const int rc = sqlite3_prepare_v3(db_, slot.sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT,
                                      &slot.stmt, nullptr);
    if (rc != SQLITE_OK) {
      Error e = fail(rc);
      forget(slot);
      return e;
    }
  }
  stmt = slot.stmt;
  return {};
}

void SqliteStore::forget(Slot& slot) {
  if (slot.stmt) sqlite3_finalize(slot.stmt);
  slot.stmt = nullptr;
}

Error SqliteStore::connect(const std::string& path, int flags, int busyMs) {
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    Error e = sqliteError(db_, rc);
    disconnect();
    return e;
  }
  sqlite3_extended_result_codes(db_, 1);
  // A double-quoted name that is no column must be an error, never the text of the name.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, static_cast<int*>(nullptr));
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, static_cast<int*>(nullptr));
  waitMs_ = busyMs;
  sqlite3_busy_handler(db_, &SqliteStore::onBusy, this);
  return {};
}

// SQLite's own busy wait sleeps up to 100 ms between attempts, and so can miss every gap
// between the commits of busy stations until its time is up. Attempts about a millisecond
// apart, varied so as not to fall into step with another station's commits, take the first gap.
int SqliteStore::onBusy(void* store, int attempt) {
  auto* self = static_cast<SqliteStore*>(store);
  const auto now = std::chrono::steady_clock::now();
  if (attempt == 0) self->busySince_ = now;
  const auto waited =
      std::chrono::duration_cast<std::chrono::microseconds>(now - self->busySince_).count();
  const int64_t limit = int64_t{self->waitMs_} * 1000;
  if (waited >= limit) return 0;
  const int64_t pause = 300 + (static_cast<int64_t>(attempt) * 7919 + ::getpid()) % 1400;
  std::this_thread::sleep_for(std::chrono::microseconds(std::min(pause, limit - waited)));
  return 1;
}

void SqliteStore::disconnect() {
  for (Slot& s : scanSlots_) forget(s);
  for (Slot& s : filteredSlots_) {
    forget(s);
    s.sql.clear();
  }
  filter_.clear();
  for (Slot& s : keySlots_) forget(s);
  for (Slot* s : {&byId_, &insert_, &append_, &update_, &updateChecked_, &erase_, &count_,
                  &beginRead_, &endRead_, &touch_}) {
    forget(*s);
  }
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
  keysDroppedInTx_ = false;
  readOnly_ = false;
  ownRecordsOnly_ = false;
  connection_ = 0;
}

Error SqliteStore::run(const std::string& sql, std::string* firstValue) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  bool first = true;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (first && firstValue) {
      const unsigned char* t = sqlite3_column_text(stmt, 0);
      firstValue->assign(t ? reinterpret_cast<const char*>(t) : "");
    }
    first = false;
  }
  Error e = rc == SQLITE_DONE ? Error{} : fail(rc);
  sqlite3_finalize(stmt);
  return e;
}

Error SqliteStore::runCached(Slot& slot) {
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(slot, stmt);
  if (!e.ok()) return e;
  Stepping guard(slot);
  const int rc = sqlite3_step(stmt);
  return rc == SQLITE_DONE ? Error{} : fail(rc);
}

// Sets a PRAGMA and reads it back: a setting SQLite quietly ignored would leave the file
// working under other rules than these.
Error SqliteStore::pragma(const std::string& set, const std::string& query,
                          const std::string& expect) {
  std::string value;
  Error e = run(set, &value);
  if (!e.ok()) return e;
  if (!query.empty()) {
    e = run(query, &value);
    if (!e.ok()) return e;
  }
  if (sqlite3_stricmp(value.c_str(), expect.c_str()) != 0) {
    return makeError(kDriverError, SQLITE_ERROR, set + " gave '" + value + "'");
  }
  return {};
}

Error SqliteStore::synchronous() {
  return durable_ ? pragma("PRAGMA synchronous=FULL", "PRAGMA synchronous", "2")
                  : pragma("PRAGMA synchronous=OFF", "PRAGMA synchronous", "0");
}

// Nothing in the file is changed before it is known to be ours: the layout is checked first,
// and only then is the journal mode set (which, for a file of ours, is what it was already).
Error SqliteStore::open(const std::string& path, Access access) {
  if (db_) return misuse("file already connected");
  const bool exclusive = access == Access::kExclusive;
  const bool readOnly = access == Access::kReadOnly;
  Error e = checkPath(path, true, !readOnly);
  if (e.ok()) e = refuseWalFile(path);
  if (!e.ok()) return e;
  e = connect(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, kOpenBusyMs);
  if (!e.ok()) return e;
  readOnly_ = readOnly;
  auto failed = [&](Error err) {
    disconnect();
    return err;
  };
  if (!readOnly && sqlite3_db_readonly(db_, "main") == 1) {
    return failed(makeError(kAccessDenied, SQLITE_READONLY, path + ": read-only"));
  }
  e = pragma("PRAGMA trusted_schema=OFF", "PRAGMA trusted_schema", "0");
  if (!e.ok()) return failed(e);
  if (exclusive) {
    e = pragma("PRAGMA locking_mode=EXCLUSIVE", "", "exclusive");
    if (e.ok()) e = run("BEGIN EXCLUSIVE");
  } else {
    e = run("BEGIN");  // one snapshot for all the checks
  }
  if (!e.ok()) return failed(e);
  e = checkMeta(exclusive);
  // In the exclusive locking mode the lock taken by BEGIN EXCLUSIVE outlives the commit: it is
  // what keeps every other station out until the file is closed.
  Error c = run(e.ok() ? "COMMIT" : "ROLLBACK");
  if (e.ok()) e = c;
  if (e.ok() && !readOnly) e = pragma("PRAGMA journal_mode=DELETE", "", "delete");
  if (e.ok() && !readOnly) e = synchronous();
  if (e.ok()) e = pragma(kCachePragma, "PRAGMA cache_size", kCacheValue);
  if (e.ok() && exclusive) e = startsEmpty(ownRecordsOnly_);
  if (!e.ok()) return failed(e);
  waitMs_ = busyMs_;
  static std::atomic<uint64_t> connections{0};
  connection_ = ++connections;
  return {};
}

// Whether the file holds no record: then, open exclusively, it will hold only records this
// connection wrote.
Error SqliteStore::startsEmpty(bool& empty) {
  std::string any;
  Error e = run("SELECT EXISTS (SELECT 1 FROM records)", &any);
  empty = e.ok() && any == "0";
  return e;
}

Error SqliteStore::checkMeta(bool exclusive) {
  Error e = checkObjects();
  if (!e.ok()) return e;
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, "SELECT name, value FROM meta", -1, &stmt, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  std::map<std::string, std::string> meta;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) meta[columnText(stmt, 0)] = columnText(stmt, 1);
  e = rc == SQLITE_DONE ? Error{} : fail(rc);
  sqlite3_finalize(stmt);
  if (!e.ok()) return e;
  if (meta["format"] != sql::kFormatVersion) {
    return makeError(kLayoutMismatch, 0,
                     "format '" + meta["format"] + "', expected " + sql::kFormatVersion);
  }
  if (meta["layout"] != layoutSignature(schema_.decl)) {
    return makeError(kLayoutMismatch, 0, "layout '" + meta["layout"] + "'");
  }
  if (exclusive) return {};
  if (meta["keys"] != "valid") return makeError(kKeysInvalid, 0, "keys marked out of date");
  if (meta["collation"] != collationStamp())
    return makeError(kKeysInvalid, 0, "keys made under another collation");
  std::map<std::string, std::string> indexes;
  e = indexNames(indexes);
  if (!e.ok()) return e;
  for (size_t k = 0; k < schema_.keyFields.size(); ++k) {
    const std::string name = "key_" + schema_.decl.keys[k].name;
    const auto it = indexes.find(name);
    if (it == indexes.end()) return makeError(kKeysInvalid, 0, "index " + name + " is missing");
    if (it->second != sql::createIndex(schema_, static_cast<int>(k)))
      return makeError(kKeysInvalid, 0, "index " + name + " is not made as its key says");
  }
  return {};
}

// The file holds our two tables, SQLite's record-number table and our indexes, nothing else:
// no other table, view or trigger, and no index of another name. SQLite's statistics tables,
// which ANALYZE or PRAGMA optimize in the sqlite3 tool add, may stand beside them: every
// read of a key names its index, so they change no result.
Error SqliteStore::checkObjects() {
  sqlite3_stmt* stmt = nullptr;
  int rc =
      sqlite3_prepare_v2(db_, "SELECT type, name, tbl_name FROM sqlite_schema", -1, &stmt, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  std::set<std::string> keyIndexes;
  for (const Key& k : schema_.decl.keys) keyIndexes.insert("key_" + k.name);
  std::set<std::string> tables;
  std::string stranger;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    const std::string type = columnText(stmt, 0);
    const std::string name = columnText(stmt, 1);
    const std::string table = columnText(stmt, 2);
    bool ours = false;
    if (type == "table") {
      ours = name == "meta" || name == "records" || name == "sqlite_sequence";
      if (ours) tables.insert(name);
      ours = ours || name.rfind("sqlite_stat", 0) == 0;
    } else if (type == "index") {
      ours = (table == "meta" && name == "sqlite_autoindex_meta_1") ||
             (table == "records" && keyIndexes.count(name));
    }
    if (!ours && stranger.empty()) stranger = type + " " + name;
  }
  Error e = rc == SQLITE_DONE ? Error{} : fail(rc);
  sqlite3_finalize(stmt);
  if (!e.ok()) return e;
  if (!stranger.empty()) return makeError(kLayoutMismatch, 0, "the file holds " + stranger);
  if (tables.size() != 3) return makeError(kLayoutMismatch, 0, "not a data file of this program");
  e = checkColumns("meta", sql::metaTableColumns());
  if (e.ok()) e = checkColumns("records", sql::recordsTableColumns(schema_));
  return e;
}

Error SqliteStore::checkColumns(const std::string& table,
                                const std::vector<sql::ColumnDef>& expected) {
  sqlite3_stmt* stmt = nullptr;
  const std::string query =
      "SELECT name, type, \"notnull\", dflt_value IS NULL, pk, hidden FROM pragma_table_xinfo('" +
      table + "')";
  int rc = sqlite3_prepare_v2(db_, query.c_str(), -1, &stmt, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  std::string wrong;
  size_t i = 0;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    const std::string name = columnText(stmt, 0);
    if (!wrong.empty()) continue;
    if (i >= expected.size()) {
      wrong = "an extra column " + name;
      continue;
    }
    const sql::ColumnDef& want = expected[i++];
    const bool same =
        name == want.name && sqlite3_stricmp(columnText(stmt, 1).c_str(), want.type.c_str()) == 0 &&
        (sqlite3_column_int(stmt, 2) != 0) == want.notNull && sqlite3_column_int(stmt, 3) != 0 &&
        (sqlite3_column_int(stmt, 4) != 0) == want.primaryKey && sqlite3_column_int(stmt, 5) == 0;
    if (!same) wrong = "column " + name + " where " + want.name + " " + want.type + " belongs";
  }
  Error e = rc == SQLITE_DONE ? Error{} : fail(rc);
  sqlite3_finalize(stmt);
  if (!e.ok()) return e;
  if (wrong.empty() && i < expected.size()) wrong = "no column " + expected[i].name;
  if (!wrong.empty()) return makeError(kLayoutMismatch, 0, "table " + table + ": " + wrong);
  return {};
}

Error SqliteStore::indexNames(std::map<std::string, std::string>& names) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(
      db_, "SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND tbl_name = 'records'", -1,
      &stmt, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) names[columnText(stmt, 0)] = columnText(stmt, 1);
  Error e = rc == SQLITE_DONE ? Error{} : fail(rc);
  sqlite3_finalize(stmt);
  return e;
}

void SqliteStore::close() {
  disconnect();
}

Error SqliteStore::makeTables() {
  for (const std::string& s : sql::createTables(schema_)) {
    Error e = run(s);
    if (!e.ok()) return e;
  }
  for (size_t k = 0; k < schema_.keyFields.size(); ++k) {
    Error e = run(sql::createIndex(schema_, static_cast<int>(k)));
    if (!e.ok()) return e;
  }
  return run(std::string("INSERT INTO meta(name, value) VALUES ('format', '") +
             sql::kFormatVersion + "'), ('layout', '" + layoutSignature(schema_.decl) +
             "'), ('keys', 'valid'), ('collation', '" + collationStamp() + "')");
}

// Empties an existing database in one exclusive transaction, so that stations that have it
// open meet either the old contents or the new empty file, never a file replaced under them.
Error SqliteStore::replaceContents(const std::string& path, bool& notDatabase) {
  notDatabase = false;
  Error e = connect(path, SQLITE_OPEN_READWRITE, busyMs_);
  if (e.ok()) e = pragma("PRAGMA journal_mode=DELETE", "", "delete");
  if (e.ok()) e = synchronous();
  if (e.ok()) e = run("BEGIN EXCLUSIVE");
  if (e.ok()) {
    std::vector<std::pair<std::string, std::string>> objects;
    sqlite3_stmt* stmt = nullptr;
    int rc =
        sqlite3_prepare_v2(db_,
                           "SELECT type, name FROM sqlite_schema WHERE type IN ('table', 'view', "
                           "'trigger') AND name NOT LIKE 'sqlite_%'",
                           -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
      while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        objects.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                             reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
      }
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK) e = fail(rc);
    sqlite3_finalize(stmt);
    for (const auto& [type, name] : objects) {
      if (!e.ok()) break;
      std::string quoted = "\"";
      for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
      e = run("DROP " + type + " IF EXISTS " + quoted + "\"");
    }
    std::string seq;
    if (e.ok()) e = run("SELECT name FROM sqlite_schema WHERE name = 'sqlite_sequence'", &seq);
    if (e.ok() && !seq.empty()) e = run("DELETE FROM sqlite_sequence");
    if (e.ok()) e = makeTables();
    if (e.ok()) e = run("COMMIT");
  }
  if (!e.ok() && (e.driverCode & 0xff) == SQLITE_NOTADB) notDatabase = true;
  disconnect();
  return e;
}

// A new file is made under a temporary name and linked into place only when complete: a crash
// leaves no half-made file, and of two stations creating the file at once the second finds the
// first one's file and leaves it alone.
Error SqliteStore::createFresh(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::string journal = path + "-journal";
  if (::unlink(journal.c_str()) != 0 && errno != ENOENT) return errnoError(errno, journal);
  const std::string temp =
      path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  ::unlink(temp.c_str());
  Error e = connect(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, busyMs_);
  if (e.ok()) e = pragma("PRAGMA journal_mode=DELETE", "", "delete");
  if (e.ok()) e = synchronous();
  if (e.ok()) e = run("BEGIN IMMEDIATE");
  if (e.ok()) e = makeTables();
  if (e.ok()) e = run("COMMIT");
  disconnect();
  if (e.ok() && ::link(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    if (err == EPERM || err == ENOTSUP || err == ENOSYS || err == EXDEV) {
      // A file system without hard links: rename, which cannot tell whether the name was taken.
      if (::rename(temp.c_str(), path.c_str()) != 0) e = errnoError(errno, path);
    } else if (err != EEXIST) {
      e = errnoError(err, path);
    }
  }
  ::unlink(temp.c_str());
  return e;
}

Error SqliteStore::create(const std::string& path) {
  if (db_) return misuse("file is open");
  Error e = checkPath(path, false);
  if (!e.ok()) return e;
  if (fileExists(path)) {
    e = checkPath(path, true);
    if (!e.ok()) return e;
    bool notDatabase = false;
    e = replaceContents(path, notDatabase);
    if (!notDatabase) return e;
    if (::unlink(path.c_str()) != 0) return errnoError(errno, path);
  }
  return createFresh(path);
}

Error SqliteStore::remove(const std::string& path) {
  if (db_) return misuse("file is open");
  Error e = checkPath(path, true);
  if (!e.ok()) return e;
  // The exclusive lock makes sure that no station is writing and that a hot journal has been
  // rolled back, so no journal is left behind to be played into a later file of this name.
  e = connect(path, SQLITE_OPEN_READWRITE, busyMs_);
  if (e.ok()) e = run("BEGIN EXCLUSIVE");
  const bool notDatabase = (e.driverCode & 0xff) == SQLITE_NOTADB;
  if (e.ok() || notDatabase) {
    e = {};
    if (::unlink(path.c_str()) != 0) e = errnoError(errno, path);
    const std::string journal = path + "-journal";
    ::unlink(journal.c_str());
  }
  disconnect();
  return e;
}

Error SqliteStore::beginRead() {
  if (!db_) return misuse("file not open");
  if (inTransaction()) return misuse("a transaction is active");
  return runCached(beginRead_);
}

Error SqliteStore::endRead() {
  if (!inTransaction()) return {};
  Error e = runCached(endRead_);
  if (!e.ok()) run("ROLLBACK");
  return e;
}

// SQLite's data version of the file, which any commit changes, read under the file's read
// lock (taken by a step of a small statement unless a read of the same transaction holds it),
// with the connection's serial number above it. Inside a write transaction the contents may
// yet be rolled back: no stamp then.
uint64_t SqliteStore::contentStamp() {
  if (!db_ || sqlite3_txn_state(db_, "main") == SQLITE_TXN_WRITE) return 0;
  const bool own = !inTransaction();
  if (own && !runCached(beginRead_).ok()) return 0;
  sqlite3_stmt* stmt = nullptr;
  bool ok = sqlite3_txn_state(db_, "main") == SQLITE_TXN_READ || prepared(touch_, stmt).ok();
  if (ok && stmt != nullptr) {
    Stepping guard(touch_);
    const int rc = sqlite3_step(stmt);
    ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
  }
  unsigned version = 0;
  ok = ok && sqlite3_file_control(db_, "main", SQLITE_FCNTL_DATA_VERSION, &version) == SQLITE_OK;
  if (own && !runCached(endRead_).ok()) run("ROLLBACK");
  return ok ? (connection_ << 32) | version : 0;
}

Error SqliteStore::begin(int timeoutMs) {
  if (!db_) return misuse("file not open");
  if (inTransaction()) return misuse("a transaction is active");
  waitMs_ = timeoutMs;
  Error e = run("BEGIN IMMEDIATE");
  waitMs_ = busyMs_;
  keysDroppedInTx_ = false;
  return e;
}

Error SqliteStore::commit() {
  if (!inTransaction()) return {};
  Error e = run("COMMIT");
  if (e.ok()) keysDroppedInTx_ = false;
  return e;
}

Error SqliteStore::rollback() {
  if (!inTransaction()) return {};
  keysDroppedInTx_ = false;
  return run("ROLLBACK");
}

void SqliteStore::setBusyLimit(int ms) {
  busyMs_ = ms;
  waitMs_ = ms;
}

int SqliteStore::activeStatements() const {
  int n = 0;
  if (!db_) return 0;
  for (sqlite3_stmt* s = sqlite3_next_stmt(db_, nullptr); s; s = sqlite3_next_stmt(db_, s)) {
    if (sqlite3_stmt_busy(s)) ++n;
  }
  return n;
}

std::unique_ptr<Store> makeSqliteStore(const Schema& schema) {
  return std::make_unique<SqliteStore>(schema);
}

}  // namespace storage::detail
