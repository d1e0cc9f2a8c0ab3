#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>

#include "runtime/locale/collation.h"
#include "storage/record_fields.h"
#include "storage/sqlite_sql.h"
#include "storage/store.h"

namespace storage::detail {
namespace {

constexpr int kOpenBusyMs = 250;  // an open gives up soon, so that its caller can retry
constexpr int kDefaultBusyMs = 5000;
constexpr const char* kCachePragma = "PRAGMA cache_size=-8192";  // KiB per connection
constexpr const char* kCacheValue = "-8192";
constexpr const char* kBuildCachePragma = "PRAGMA cache_size=-65536";  // the index sorter's room
constexpr const char* kBuildCacheValue = "-65536";
constexpr int64_t kRebuildChunk = 10000;

Error makeError(int code, int driverCode, std::string text) {
  return Error{code, driverCode, std::move(text)};
}

Error misuse(std::string text) { return makeError(kDriverError, SQLITE_MISUSE, std::move(text)); }

// An SQLite failure as the system sees it: locks held elsewhere and read-only files deny
// access, a missing index means the keys are out of date, the rest is SQLite's own error.
Error sqliteError(sqlite3* db, int rc) {
  std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  const int primary = rc & 0xff;
  int code = kDriverError;
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_PERM ||
      (primary == SQLITE_READONLY && rc != SQLITE_READONLY_DBMOVED)) {
    code = kAccessDenied;
  } else if (text.rfind("no such index", 0) == 0) {
    code = kKeysInvalid;
  }
  return makeError(code, rc, std::move(text));
}

Error errnoError(int err, const std::string& path) {
  const int code = (err == EACCES || err == EPERM || err == EROFS) ? kAccessDenied : kDriverError;
  return makeError(code, err, path + ": " + std::strerror(err));
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Codes 3, 2 and 5 from the file system, before SQLite is asked.
Error checkPath(const std::string& path, bool fileMustExist) {
  struct stat st {};
  const std::string dir = directoryOf(path);
  if (::stat(dir.c_str(), &st) != 0) {
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR) return makeError(kPathNotFound, err, dir + ": no such directory");
    return errnoError(err, dir);
  }
  if (!S_ISDIR(st.st_mode)) return makeError(kPathNotFound, ENOTDIR, dir + ": not a directory");
  if (!fileMustExist) return {};
  if (::stat(path.c_str(), &st) != 0) {
    const int err = errno;
    if (err == ENOENT) return makeError(kFileNotFound, err, path + ": no such file");
    if (err == ENOTDIR) return makeError(kPathNotFound, err, path + ": no such directory");
    return errnoError(err, path);
  }
  if (S_ISDIR(st.st_mode)) return makeError(kDriverError, EISDIR, path + ": is a directory");
  if (::access(path.c_str(), R_OK | W_OK) != 0) return errnoError(errno, path);
  return {};
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// A hash of the collation weights: sort keys made under other weights must be remade.
std::string collationStamp() {
  uint64_t h = 1469598103934665603ULL;
  for (int b = 0; b < 256; ++b) {
    h ^= runtime::collationWeight(static_cast<unsigned char>(b));
    h *= 1099511628211ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

struct Slot {
  std::string sql;
  sqlite3_stmt* stmt = nullptr;
};

// Resets a slot's statement when the call that stepped it ends, whatever the path out: an
// active statement would keep a read lock and make every other station's write wait. A
// statement whose index has gone is dropped, to be prepared afresh once the keys are rebuilt.
class Stepping {
 public:
  explicit Stepping(Slot& slot) : slot_(slot) {}
  ~Stepping() {
    if (!slot_.stmt) return;
    sqlite3_reset(slot_.stmt);
    if (discard_) {
      sqlite3_finalize(slot_.stmt);
      slot_.stmt = nullptr;
    }
  }
  Stepping(const Stepping&) = delete;
  Stepping& operator=(const Stepping&) = delete;
  void discardIf(const Error& e) { discard_ = e.code == kKeysInvalid; }

 private:
  Slot& slot_;
  bool discard_ = false;
};

class SqliteStore final : public Store {
 public:
  explicit SqliteStore(const Schema& schema);
  ~SqliteStore() override { close(); }

  Error open(const std::string& path, bool exclusive) override;
  void close() override;
  Error create(const std::string& path) override;
  Error remove(const std::string& path) override;
  Error scan(int order, Direction dir, const Bound& from, size_t limit, Batch& out) override;
  Error readById(int64_t id, Row& out) override;
  Error readByKey(int key, const KeyValue& value, Row& out) override;
  Error insert(const void* image, bool maintainKeys, int64_t& id) override;
  Error update(int64_t id, const void* image, const int64_t* expected, int64_t& version) override;
  Error erase(int64_t id) override;
  Error count(int64_t& n) override;
  Error buildKeys() override;
  Error begin(int timeoutMs) override;
  Error commit() override;
  Error rollback() override;
  bool inTransaction() const override { return db_ && !sqlite3_get_autocommit(db_); }
  void setBusyLimit(int ms) override;
  int activeStatements() const override;

 private:
  Error fail(int rc) { return sqliteError(db_, rc); }
  Error connect(const std::string& path, int flags, int busyMs);
  void disconnect();
  Error run(const std::string& sql, std::string* firstValue = nullptr);
  Error pragma(const std::string& set, const std::string& query, const std::string& expect);
  Error checkMeta(bool exclusive);
  Error makeTables();
  Error markKeysInvalid();
  Error remakeSortKeys();
  Error prepared(Slot& slot, sqlite3_stmt*& stmt);
  void forget(Slot& slot);
  Slot& scanSlot(int order, Direction dir, int stage, bool inclusive);
  void bindPart(sqlite3_stmt* stmt, int index, const KeyPart& part);
  void bindRecord(sqlite3_stmt* stmt, const void* image);
  void readImage(sqlite3_stmt* stmt, char* image) const;
  Error readOne(sqlite3_stmt* stmt, Row& out);
  Error replaceContents(const std::string& path, bool& notDatabase);
  Error createFresh(const std::string& path);

  const Schema& schema_;
  sqlite3* db_ = nullptr;
  bool keysDroppedInTx_ = false;
  int busyMs_ = kDefaultBusyMs;
  int maxParts_ = 0;
  std::vector<Slot> scanSlots_;
  std::vector<Slot> keySlots_;
  Slot byId_, insert_, update_, updateChecked_, erase_, count_;
  std::vector<std::string> sortKeys_;  // kept alive while bound statically
};

SqliteStore::SqliteStore(const Schema& schema) : schema_(schema) {
  for (const auto& k : schema_.keyFields) maxParts_ = std::max<int>(maxParts_, static_cast<int>(k.size()));
  const size_t orders = schema_.keyFields.size() + 1;
  scanSlots_.resize(orders * 2 * static_cast<size_t>(maxParts_ + 2) * 2);
  keySlots_.resize(schema_.keyFields.size());
  for (size_t k = 0; k < keySlots_.size(); ++k) keySlots_[k].sql = sql::selectByKey(schema_, static_cast<int>(k));
  byId_.sql = sql::selectById(schema_);
  insert_.sql = sql::insertRecord(schema_);
  update_.sql = sql::updateRecord(schema_, false);
  updateChecked_.sql = sql::updateRecord(schema_, true);
  erase_.sql = "DELETE FROM records WHERE id = ?";
  count_.sql = "SELECT count(*) FROM records";
}

Slot& SqliteStore::scanSlot(int order, Direction dir, int stage, bool inclusive) {
  const size_t o = static_cast<size_t>(order + 1);
  const size_t d = dir == Direction::kForward ? 0 : 1;
  const size_t s = static_cast<size_t>(stage + 1);
  const size_t index = ((o * 2 + d) * static_cast<size_t>(maxParts_ + 2) + s) * 2 + (inclusive ? 1 : 0);
  Slot& slot = scanSlots_[index];
  if (slot.sql.empty()) slot.sql = sql::scanStage(schema_, order, dir, stage, inclusive);
  return slot;
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
  sqlite3_busy_timeout(db_, busyMs);
  return {};
}

void SqliteStore::disconnect() {
  for (Slot& s : scanSlots_) forget(s);
  for (Slot& s : keySlots_) forget(s);
  for (Slot* s : {&byId_, &insert_, &update_, &updateChecked_, &erase_, &count_}) forget(*s);
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
  keysDroppedInTx_ = false;
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

// Sets a PRAGMA and reads it back: a setting SQLite quietly ignored would leave the file
// working under other rules than these.
Error SqliteStore::pragma(const std::string& set, const std::string& query, const std::string& expect) {
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

Error SqliteStore::open(const std::string& path, bool exclusive) {
  if (db_) return misuse("file already connected");
  Error e = checkPath(path, true);
  if (!e.ok()) return e;
  e = connect(path, SQLITE_OPEN_READWRITE, kOpenBusyMs);
  if (!e.ok()) return e;
  auto failed = [&](Error err) {
    disconnect();
    return err;
  };
  if (sqlite3_db_readonly(db_, "main") == 1) {
    return failed(makeError(kAccessDenied, SQLITE_READONLY, path + ": read-only"));
  }
  e = pragma("PRAGMA journal_mode=DELETE", "", "delete");
  if (!e.ok()) return failed(e);
  if (exclusive) {
    e = pragma("PRAGMA locking_mode=EXCLUSIVE", "", "exclusive");
    if (e.ok()) e = run("BEGIN EXCLUSIVE");
    if (!e.ok()) return failed(e);
  }
  e = checkMeta(exclusive);
  // In the exclusive locking mode the lock taken by BEGIN EXCLUSIVE outlives the commit: it is
  // what keeps every other station out until the file is closed.
  if (exclusive) {
    Error c = run(e.ok() ? "COMMIT" : "ROLLBACK");
    if (e.ok()) e = c;
  }
  if (e.ok()) e = pragma("PRAGMA synchronous=FULL", "PRAGMA synchronous", "2");
  if (e.ok()) e = pragma(kCachePragma, "PRAGMA cache_size", kCacheValue);
  if (e.ok()) e = pragma("PRAGMA trusted_schema=OFF", "PRAGMA trusted_schema", "0");
  if (!e.ok()) return failed(e);
  sqlite3_busy_timeout(db_, busyMs_);
  return {};
}

Error SqliteStore::checkMeta(bool exclusive) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, "SELECT name, value FROM meta", -1, &stmt, nullptr);
  if (rc != SQLITE_OK) {
    Error e = fail(rc);
    if (e.code == kDriverError && e.driverText.rfind("no such table", 0) == 0) {
      e.code = kLayoutMismatch;
    }
    return e;
  }
  std::map<std::string, std::string> meta;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    auto text = [&](int col) {
      const unsigned char* t = sqlite3_column_text(stmt, col);
      return std::string(t ? reinterpret_cast<const char*>(t) : "");
    };
    meta[text(0)] = text(1);
  }
  Error e = rc == SQLITE_DONE ? Error{} : fail(rc);
  sqlite3_finalize(stmt);
  if (!e.ok()) return e;
  if (meta["format"] != sql::kFormatVersion) {
    return makeError(kLayoutMismatch, 0, "format '" + meta["format"] + "', expected " + sql::kFormatVersion);
  }
  if (meta["layout"] != layoutSignature(schema_.decl)) {
    return makeError(kLayoutMismatch, 0, "layout '" + meta["layout"] + "'");
  }
  if (exclusive) return {};
  if (meta["keys"] != "valid") return makeError(kKeysInvalid, 0, "keys marked out of date");
  if (meta["collation"] != collationStamp()) return makeError(kKeysInvalid, 0, "keys made under another collation");
  for (size_t k = 0; k < schema_.keyFields.size(); ++k) {
    std::string found;
    std::string name = "key_" + schema_.decl.keys[k].name;
    e = run("SELECT name FROM sqlite_schema WHERE type = 'index' AND tbl_name = 'records' AND name = '" +
                name + "'",
            &found);
    if (!e.ok()) return e;
    if (found != name) return makeError(kKeysInvalid, 0, "index " + name + " is missing");
  }
  return {};
}

void SqliteStore::close() { disconnect(); }

Error SqliteStore::makeTables() {
  for (const std::string& s : sql::createTables(schema_)) {
    Error e = run(s);
    if (!e.ok()) return e;
  }
  for (size_t k = 0; k < schema_.keyFields.size(); ++k) {
    Error e = run(sql::createIndex(schema_, static_cast<int>(k)));
    if (!e.ok()) return e;
  }
  return run(std::string("INSERT INTO meta(name, value) VALUES ('format', '") + sql::kFormatVersion +
             "'), ('layout', '" + layoutSignature(schema_.decl) + "'), ('keys', 'valid'), ('collation', '" +
             collationStamp() + "')");
}

// Empties an existing database in one exclusive transaction, so that stations that have it
// open meet either the old contents or the new empty file, never a file replaced under them.
Error SqliteStore::replaceContents(const std::string& path, bool& notDatabase) {
  notDatabase = false;
  Error e = connect(path, SQLITE_OPEN_READWRITE, busyMs_);
  if (e.ok()) e = pragma("PRAGMA journal_mode=DELETE", "", "delete");
  if (e.ok()) e = run("BEGIN EXCLUSIVE");
  if (e.ok()) {
    std::vector<std::pair<std::string, std::string>> objects;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_,
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
  const std::string temp = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  ::unlink(temp.c_str());
  Error e = connect(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, busyMs_);
  if (e.ok()) e = pragma("PRAGMA journal_mode=DELETE", "", "delete");
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

void SqliteStore::bindPart(sqlite3_stmt* stmt, int index, const KeyPart& part) {
  if (part.text) {
    sqlite3_bind_blob(stmt, index, part.bytes.data(), static_cast<int>(part.bytes.size()), SQLITE_STATIC);
  } else {
    sqlite3_bind_int64(stmt, index, part.number);
  }
}

// Binds every field, then the sort key of every sorted field, from parameter 1 on.
void SqliteStore::bindRecord(sqlite3_stmt* stmt, const void* image) {
  const auto& fields = schema_.decl.fields;
  sortKeys_.resize(fields.size());
  int index = 1;
  for (const Field& f : fields) {
    if (f.type == FieldType::kLong) {
      sqlite3_bind_int64(stmt, index++, longValue(f, image));
    } else {
      const std::string_view text = storedText(f, image);
      sqlite3_bind_blob(stmt, index++, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    }
  }
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!schema_.sorted[i]) continue;
    sortKeys_[i] = runtime::sortKey(storedText(fields[i], image));
    sqlite3_bind_blob(stmt, index++, sortKeys_[i].data(), static_cast<int>(sortKeys_[i].size()), SQLITE_STATIC);
  }
}

void SqliteStore::readImage(sqlite3_stmt* stmt, char* image) const {
  std::memset(image, 0, schema_.decl.recordSize);
  int col = 2;
  for (const Field& f : schema_.decl.fields) {
    if (f.type == FieldType::kLong) {
      setLong(f, image, static_cast<int32_t>(sqlite3_column_int64(stmt, col)));
    } else {
      const void* p = sqlite3_column_blob(stmt, col);
      const int n = sqlite3_column_bytes(stmt, col);
      setText(f, image, std::string_view(static_cast<const char*>(p), p ? static_cast<size_t>(n) : 0));
    }
    ++col;
  }
}

Error SqliteStore::scan(int order, Direction dir, const Bound& from, size_t limit, Batch& out) {
  const int parts = from.present ? static_cast<int>(from.value.parts.size()) : 0;
  const int firstStage = from.present ? parts : -1;
  const size_t start = out.size();
  for (int stage = firstStage; stage >= -1 && out.size() - start < limit; --stage) {
    if (stage == -1 && from.present) break;
    Slot& slot = scanSlot(order, dir, stage, from.inclusive && stage == parts);
    sqlite3_stmt* stmt = nullptr;
    Error e = prepared(slot, stmt);
    if (!e.ok()) return e;
    Stepping guard(slot);
    int index = 1;
    for (int i = 0; i < stage; ++i) bindPart(stmt, index++, from.value.parts[i]);
    if (stage == parts && from.present) {
      sqlite3_bind_int64(stmt, index++, from.value.id);
    } else if (stage >= 0) {
      bindPart(stmt, index++, from.value.parts[stage]);
    }
    sqlite3_bind_int64(stmt, index, static_cast<int64_t>(limit - (out.size() - start)));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      out.ids.push_back(sqlite3_column_int64(stmt, 0));
      out.versions.push_back(sqlite3_column_int64(stmt, 1));
      const size_t at = out.images.size();
      out.images.resize(at + schema_.decl.recordSize);
      readImage(stmt, out.images.data() + at);
    }
    if (rc != SQLITE_DONE) {
      e = fail(rc);
      guard.discardIf(e);
      return e;
    }
  }
  return {};
}

Error SqliteStore::readOne(sqlite3_stmt* stmt, Row& out) {
  const int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) {
    out.id = sqlite3_column_int64(stmt, 0);
    out.version = sqlite3_column_int64(stmt, 1);
    out.image.resize(schema_.decl.recordSize);
    readImage(stmt, out.image.data());
    return {};
  }
  if (rc == SQLITE_DONE) return makeError(kNoRecord, 0, "no such record");
  return fail(rc);
}

Error SqliteStore::readById(int64_t id, Row& out) {
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(byId_, stmt);
  if (!e.ok()) return e;
  Stepping guard(byId_);
  sqlite3_bind_int64(stmt, 1, id);
  return readOne(stmt, out);
}

Error SqliteStore::readByKey(int key, const KeyValue& value, Row& out) {
  Slot& slot = keySlots_[key];
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(slot, stmt);
  if (!e.ok()) return e;
  Stepping guard(slot);
  for (size_t i = 0; i < value.parts.size(); ++i) bindPart(stmt, static_cast<int>(i) + 1, value.parts[i]);
  e = readOne(stmt, out);
  guard.discardIf(e);
  return e;
}

// Marks the keys out of date before their indexes go, in the transaction of the append, so
// that a file whose appends were committed without the rebuild that should follow them opens
// with code 46.
Error SqliteStore::markKeysInvalid() {
  Error e = run("UPDATE meta SET value = 'invalid' WHERE name = 'keys'");
  for (size_t k = 0; e.ok() && k < schema_.keyFields.size(); ++k) {
    e = run(sql::dropIndex(schema_, static_cast<int>(k)));
  }
  if (e.ok()) keysDroppedInTx_ = true;
  return e;
}

Error SqliteStore::insert(const void* image, bool maintainKeys, int64_t& id) {
  if (!db_) return misuse("file not open");
  const bool own = !maintainKeys && !inTransaction();
  Error e;
  if (own) {
    e = begin(busyMs_);
    if (!e.ok()) return e;
  }
  if (!maintainKeys && !keysDroppedInTx_) e = markKeysInvalid();
  sqlite3_stmt* stmt = nullptr;
  if (e.ok()) e = prepared(insert_, stmt);
  if (e.ok()) {
    Stepping guard(insert_);
    bindRecord(stmt, image);
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) {
      id = sqlite3_last_insert_rowid(db_);
    } else {
      e = fail(rc);
    }
  }
  if (own) {
    if (e.ok()) e = commit();
    if (!e.ok()) rollback();
  }
  return e;
}

Error SqliteStore::update(int64_t id, const void* image, const int64_t* expected, int64_t& version) {
  Slot& slot = expected ? updateChecked_ : update_;
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(slot, stmt);
  if (!e.ok()) return e;
  Stepping guard(slot);
  bindRecord(stmt, image);
  int index = 1 + static_cast<int>(schema_.decl.fields.size());
  for (bool s : schema_.sorted) index += s ? 1 : 0;
  sqlite3_bind_int64(stmt, index++, id);
  if (expected) sqlite3_bind_int64(stmt, index, *expected);
  int rc = sqlite3_step(stmt);
  bool changed = false;
  if (rc == SQLITE_ROW) {
    changed = true;
    version = sqlite3_column_int64(stmt, 0);
    rc = sqlite3_step(stmt);
  }
  if (rc != SQLITE_DONE) return fail(rc);
  if (!changed) {
    return expected ? makeError(kRecordChanged, 0, "record changed by another station")
                    : makeError(kNoRecord, 0, "no such record");
  }
  return {};
}

Error SqliteStore::erase(int64_t id) {
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(erase_, stmt);
  if (!e.ok()) return e;
  Stepping guard(erase_);
  sqlite3_bind_int64(stmt, 1, id);
  const int rc = sqlite3_step(stmt);
  if (rc != SQLITE_DONE) return fail(rc);
  if (sqlite3_changes(db_) == 0) return makeError(kNoRecord, 0, "no such record");
  return {};
}

Error SqliteStore::count(int64_t& n) {
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(count_, stmt);
  if (!e.ok()) return e;
  Stepping guard(count_);
  const int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) return fail(rc);
  n = sqlite3_column_int64(stmt, 0);
  return {};
}

// Sort keys are remade where they do not match the text they were made from: after a change of
// collation, or after the file was edited by other means. Read in chunks by record number, and
// written after each chunk's read has ended.
Error SqliteStore::remakeSortKeys() {
  std::vector<int> fields;
  for (size_t i = 0; i < schema_.sorted.size(); ++i) {
    if (schema_.sorted[i]) fields.push_back(static_cast<int>(i));
  }
  if (fields.empty()) return {};
  sqlite3_stmt* select = nullptr;
  sqlite3_stmt* update = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql::selectSortSources(schema_).c_str(), -1, &select, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(db_, sql::updateSortKeys(schema_).c_str(), -1, &update, nullptr);
  Error e = rc == SQLITE_OK ? Error{} : fail(rc);
  std::string image(schema_.decl.recordSize, '\0');
  std::vector<std::pair<int64_t, std::vector<std::string>>> wrong;
  int64_t after = 0;
  while (e.ok()) {
    wrong.clear();
    int64_t seen = 0;
    sqlite3_bind_int64(select, 1, after);
    sqlite3_bind_int64(select, 2, kRebuildChunk);
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
      ++seen;
      after = sqlite3_column_int64(select, 0);
      std::vector<std::string> keys;
      bool differs = false;
      for (size_t i = 0; i < fields.size(); ++i) {
        const Field& field = schema_.decl.fields[fields[i]];
        const int col = 1 + static_cast<int>(i) * 2;
        // The key of the text as a read puts it into the buffer, which is where the driver
        // computes keys from later.
        const void* p = sqlite3_column_blob(select, col);
        setText(field, image.data(),
                std::string_view(static_cast<const char*>(p), p ? sqlite3_column_bytes(select, col) : 0));
        keys.push_back(runtime::sortKey(storedText(field, image.data())));
        const void* q = sqlite3_column_blob(select, col + 1);
        const std::string_view stored(static_cast<const char*>(q), q ? sqlite3_column_bytes(select, col + 1) : 0);
        differs = differs || stored != keys.back() || sqlite3_column_type(select, col + 1) != SQLITE_BLOB;
      }
      if (differs) wrong.emplace_back(after, std::move(keys));
    }
    sqlite3_reset(select);
    if (rc != SQLITE_DONE) {
      e = fail(rc);
      break;
    }
    for (const auto& [id, keys] : wrong) {
      int index = 1;
      for (const std::string& k : keys) {
        sqlite3_bind_blob(update, index++, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
      }
      sqlite3_bind_int64(update, index, id);
      rc = sqlite3_step(update);
      sqlite3_reset(update);
      if (rc != SQLITE_DONE) {
        e = fail(rc);
        break;
      }
    }
    if (seen < kRebuildChunk) break;
  }
  sqlite3_finalize(select);
  sqlite3_finalize(update);
  return e;
}

Error SqliteStore::buildKeys() {
  if (!db_) return misuse("file not open");
  const bool own = !inTransaction();
  Error e;
  if (own) {
    e = begin(busyMs_);
    if (!e.ok()) return e;
  }
  e = pragma(kBuildCachePragma, "PRAGMA cache_size", kBuildCacheValue);
  if (e.ok()) e = remakeSortKeys();
  for (size_t k = 0; e.ok() && k < schema_.keyFields.size(); ++k) {
    e = run(sql::dropIndex(schema_, static_cast<int>(k)));
    if (e.ok()) e = run(sql::createIndex(schema_, static_cast<int>(k)));
  }
  if (e.ok()) {
    e = run("INSERT OR REPLACE INTO meta(name, value) VALUES ('keys', 'valid'), ('collation', '" +
            collationStamp() + "')");
  }
  Error restore = pragma(kCachePragma, "PRAGMA cache_size", kCacheValue);
  if (e.ok()) e = restore;
  if (own) {
    if (e.ok()) e = commit();
    if (!e.ok()) rollback();
  }
  if (e.ok()) keysDroppedInTx_ = false;
  return e;
}

Error SqliteStore::begin(int timeoutMs) {
  if (!db_) return misuse("file not open");
  if (inTransaction()) return misuse("a transaction is active");
  sqlite3_busy_timeout(db_, timeoutMs);
  Error e = run("BEGIN IMMEDIATE");
  sqlite3_busy_timeout(db_, busyMs_);
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
  if (db_) sqlite3_busy_timeout(db_, ms);
}

int SqliteStore::activeStatements() const {
  int n = 0;
  if (!db_) return 0;
  for (sqlite3_stmt* s = sqlite3_next_stmt(db_, nullptr); s; s = sqlite3_next_stmt(db_, s)) {
    if (sqlite3_stmt_busy(s)) ++n;
  }
  return n;
}

}  // namespace

std::unique_ptr<Store> makeSqliteStore(const Schema& schema) {
  return std::make_unique<SqliteStore>(schema);
}

}  // namespace storage::detail
