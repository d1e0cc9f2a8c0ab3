// The SQLite store's reads and writes of records: keyset seeks in key order, reads by number
// and by key, inserts, checked rewrites, deletes and the key rebuild.

#include <cstdint>
#include <cstring>
#include <functional>

#include "runtime/locale/collation.h"
#include "storage/record_fields.h"
#include "storage/sqlite_store.h"

namespace storage::detail {

void SqliteStore::bindPart(sqlite3_stmt* stmt, int index, const KeyPart& part) {
  if (part.text) {
    sqlite3_bind_blob(stmt, index, part.bytes.data(), static_cast<int>(part.bytes.size()),
                      SQLITE_STATIC);
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
    sqlite3_bind_blob(stmt, index++, sortKeys_[i].data(), static_cast<int>(sortKeys_[i].size()),
                      SQLITE_STATIC);
  }
}

namespace {

Error badValue(int64_t id, const Field& field, const std::string& what) {
  return makeError(kDriverError, SQLITE_MISMATCH,
                   "record " + std::to_string(id) + ": " + field.name + " holds " + what);
}

const char* typeName(int type) {
  switch (type) {
    case SQLITE_INTEGER:
      return "a number";
    case SQLITE_FLOAT:
      return "a real number";
    case SQLITE_TEXT:
      return "text";
    case SQLITE_BLOB:
      return "bytes";
    default:
      return "NULL";
  }
}

// <0, 0 or >0 as key a comes before, with or after b: the components, then (withId) the
// record number. Sort keys compare as bytes, as the indexes order them.
int compareKeys(const KeyValue& a, const KeyValue& b, bool withId) {
  for (size_t i = 0; i < a.parts.size() && i < b.parts.size(); ++i) {
    const KeyPart& x = a.parts[i];
    const KeyPart& y = b.parts[i];
    const int c = x.text ? x.bytes.compare(y.bytes)
                         : (x.number < y.number ? -1 : (x.number > y.number ? 1 : 0));
    if (c != 0) return c;
  }
  if (!withId || a.id == b.id) return 0;
  return a.id < b.id ? -1 : 1;
}

// Whether a row a seek returned lies where the seek asked for it, after the row before it:
// a damaged file can give rows out of order, which a cursor would read again and again.
bool inOrder(sql::Seek kind, bool forward, bool inclusive, const KeyValue& bound,
             const KeyValue* previous, const KeyValue& key) {
  auto ahead = [forward](int c) { return forward ? c > 0 : c < 0; };
  if (previous && !ahead(compareKeys(key, *previous, true))) return false;
  switch (kind) {
    case sql::Seek::kAll:
      return true;
    case sql::Seek::kTies: {
      if (compareKeys(key, bound, false) != 0) return false;
      const int c = compareKeys(key, bound, true);
      return ahead(c) || (inclusive && c == 0);
    }
    case sql::Seek::kBeyond:
      return ahead(compareKeys(key, bound, false));
    case sql::Seek::kFrom:
      return compareKeys(key, bound, false) == 0 || ahead(compareKeys(key, bound, false));
  }
  return false;
}

}  // namespace

// Fills `image` from a row of recordColumns() and gives the row's key in `order` as the file
// stores it. A value is never narrowed or converted to fit its field: one that does not fit
// is an error. In a key's order a sort key that is not the key of the record's text is the
// mark of a file edited behind the driver's back, whose keys must be rebuilt.
Error SqliteStore::readRow(sqlite3_stmt* stmt, int order, char* image, KeyValue& key) {
  const int64_t id = sqlite3_column_int64(stmt, 0);
  std::memset(image, 0, schema_.decl.recordSize);
  int col = 2;
  for (const Field& f : schema_.decl.fields) {
    const int type = sqlite3_column_type(stmt, col);
    if (f.type == FieldType::kLong) {
      if (type != SQLITE_INTEGER) return badValue(id, f, typeName(type));
      const int64_t v = sqlite3_column_int64(stmt, col);
      if (v < INT32_MIN || v > INT32_MAX)
        return badValue(id, f, "the number " + std::to_string(v) + ", beyond 32 bits");
      setLong(f, image, static_cast<int32_t>(v));
    } else {
      if (type != SQLITE_BLOB && type != SQLITE_TEXT) return badValue(id, f, typeName(type));
      const void* p = sqlite3_column_blob(stmt, col);
      const size_t n = p ? static_cast<size_t>(sqlite3_column_bytes(stmt, col)) : 0;
      const std::string_view text(static_cast<const char*>(p), n);
      if (f.type == FieldType::kCString && text.find('\0') != std::string_view::npos)
        return badValue(id, f, "a NUL inside its text");
      if (!setText(f, image, text)) {
        return badValue(id, f,
                        std::to_string(n) + " bytes, room for " +
                            std::to_string(runtime::textRoom(f.type, f.width)));
      }
    }
    ++col;
  }
  key.id = id;
  if (order == kFileOrder) {
    key.parts.clear();
    return {};
  }
  // Written over in place: the key's storage is reused from row to row.
  const std::vector<int>& keyFields = schema_.keyFields[order];
  key.parts.resize(keyFields.size());
  for (size_t k = 0; k < keyFields.size(); ++k) {
    const int f = keyFields[k];
    const Field& field = schema_.decl.fields[f];
    KeyPart& part = key.parts[k];
    if (field.type == FieldType::kLong) {
      part.text = false;
      part.number = longValue(field, image);
      part.bytes.clear();
    } else {
      part.text = true;
      part.number = 0;
      const int c = sortColumn_[f];
      const void* p = sqlite3_column_blob(stmt, c);
      part.bytes.assign(static_cast<const char*>(p),
                        p ? static_cast<size_t>(sqlite3_column_bytes(stmt, c)) : 0);
      if (sqlite3_column_type(stmt, c) != SQLITE_BLOB ||
          !runtime::isSortKeyOf(part.bytes, storedText(field, image))) {
        return makeError(kKeysInvalid, 0,
                         "record " + std::to_string(id) + ": the sort key of " + field.name +
                             " does not match its text");
      }
    }
  }
  return {};
}

// Done when it can be done at once: the read that found the fault reports it whatever
// happens here.
void SqliteStore::markKeysOutOfDate() {
  if (readOnly_ || !db_) return;
  const int wait = waitMs_;
  waitMs_ = kOpenBusyMs;
  run("UPDATE meta SET value = 'invalid' WHERE name = 'keys'");
  waitMs_ = wait;
}

Error SqliteStore::scan(int order, Direction dir, const Bound& from, size_t limit, Batch& out) {
  using sql::Seek;
  if (!from.present) return seek(order, dir, Seek::kAll, false, from.value, limit, out);
  if (order == kFileOrder)
    return seek(order, dir, Seek::kTies, from.inclusive, from.value, limit, out);
  if (from.anyNumber) return seek(order, dir, Seek::kFrom, false, from.value, limit, out);
  // Two stages read one snapshot: inside one read transaction a record that another station
  // moves from one stage's range to the other's is met exactly once, and the file's lock is
  // taken once for both.
  const bool ownRead = !inTransaction();
  if (ownRead) {
    Error e = runCached(beginRead_);
    if (!e.ok()) return e;
  }
  const size_t start = out.size();
  Error e = seek(order, dir, Seek::kTies, from.inclusive, from.value, limit, out);
  if (e.ok() && out.size() - start < limit) {
    e = seek(order, dir, Seek::kBeyond, false, from.value, limit - (out.size() - start), out);
  }
  if (ownRead) {
    Error end = runCached(endRead_);
    if (e.ok()) e = end;
  }
  return e;
}

Error SqliteStore::seek(int order, Direction dir, sql::Seek kind, bool inclusive,
                        const KeyValue& value, size_t limit, Batch& out) {
  if (!out.stop.ok()) return {};
  Slot& slot = scanSlot(order, dir, kind, inclusive);
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(slot, stmt);
  if (!e.ok()) return e;
  Stepping guard(slot);
  int index = 1;
  if (kind != sql::Seek::kAll) {
    for (const KeyPart& part : value.parts) bindPart(stmt, index++, part);
  }
  if (kind == sql::Seek::kTies) sqlite3_bind_int64(stmt, index++, value.id);
  sqlite3_bind_int64(stmt, index, static_cast<int64_t>(limit));
  int rc;
  KeyValue key = out.spareKey();
  const size_t first = out.keys.size();
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    const size_t at = out.images.size();
    out.images.resize(at + schema_.decl.recordSize);
    Error bad = readRow(stmt, order, out.images.data() + at, key);
    const KeyValue* previous = out.keys.size() > first ? &out.keys.back() : nullptr;
    if (bad.ok() && !inOrder(kind, dir == Direction::kForward, inclusive, value, previous, key)) {
      bad = makeError(
          kDriverError, SQLITE_CORRUPT,
          "the file is damaged: record " + std::to_string(key.id) + " is out of its key's order");
    }
    if (!bad.ok()) {
      out.images.resize(at);
      out.stop = std::move(bad);
      rc = SQLITE_DONE;
      break;
    }
    out.ids.push_back(key.id);
    out.versions.push_back(sqlite3_column_int64(stmt, 1));
    out.keys.push_back(std::move(key));
    key = out.spareKey();
  }
  if (rc != SQLITE_DONE) {
    e = fail(rc);
    guard.discardIf(e);
  }
  return e;
}

Error SqliteStore::readOne(sqlite3_stmt* stmt, int order, Row& out) {
  const int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) {
    out.version = sqlite3_column_int64(stmt, 1);
    out.image.resize(schema_.decl.recordSize);
    Error e = readRow(stmt, order, out.image.data(), out.key);
    out.id = out.key.id;
    return e;
  }
  if (rc == SQLITE_DONE) return makeError(kNoRecord, 0, "no such record");
  return fail(rc);
}

Error SqliteStore::readById(int64_t id, int order, Row& out) {
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(byId_, stmt);
  if (!e.ok()) return e;
  Stepping guard(byId_);
  sqlite3_bind_int64(stmt, 1, id);
  return readOne(stmt, order, out);
}

Error SqliteStore::readByKey(int key, const KeyValue& value, Row& out) {
  Slot& slot = keySlots_[key];
  sqlite3_stmt* stmt = nullptr;
  Error e = prepared(slot, stmt);
  if (!e.ok()) return e;
  Stepping guard(slot);
  for (size_t i = 0; i < value.parts.size(); ++i)
    bindPart(stmt, static_cast<int>(i) + 1, value.parts[i]);
  e = readOne(stmt, key, out);
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
  Slot& slot = maintainKeys ? insert_ : append_;
  if (e.ok()) e = prepared(slot, stmt);
  if (e.ok()) {
    Stepping guard(slot);
    bindRecord(stmt, image);
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE) {
      e = fail(rc);
    } else if (sqlite3_changes(db_) == 0) {
      e = makeError(kDuplicateKey, 0, "another record has the same value of a unique key");
    } else {
      id = sqlite3_last_insert_rowid(db_);
    }
  }
  if (own) {
    if (e.ok()) e = commit();
    if (!e.ok()) rollback();
  }
  return e;
}

Error SqliteStore::update(int64_t id, const void* image, const int64_t* expected,
                          int64_t& version) {
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
    // The record is as it was read, so what held the update back is another record's value.
    if (sql::hasUniqueKey(schema_)) {
      int64_t now = 0;
      bool found = false;
      Error e = versionOf(id, found, now);
      if (!e.ok()) return e;
      if (found && (!expected || now == *expected)) {
        return makeError(kDuplicateKey, 0, "another record has the same value of a unique key");
      }
    }
    return expected ? makeError(kRecordChanged, 0, "record changed by another station")
                    : makeError(kNoRecord, 0, "no such record");
  }
  return {};
}

Error SqliteStore::versionOf(int64_t id, bool& found, int64_t& version) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, "SELECT ver FROM records WHERE id = ?", -1, &stmt, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  sqlite3_bind_int64(stmt, 1, id);
  rc = sqlite3_step(stmt);
  found = rc == SQLITE_ROW;
  if (found) version = sqlite3_column_int64(stmt, 0);
  Error e = rc == SQLITE_ROW || rc == SQLITE_DONE ? Error{} : fail(rc);
  sqlite3_finalize(stmt);
  return e;
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
  if (rc == SQLITE_OK)
    rc = sqlite3_prepare_v2(db_, sql::updateSortKeys(schema_).c_str(), -1, &update, nullptr);
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
                std::string_view(static_cast<const char*>(p),
                                 p ? sqlite3_column_bytes(select, col) : 0));
        keys.push_back(runtime::sortKey(storedText(field, image.data())));
        const void* q = sqlite3_column_blob(select, col + 1);
        const std::string_view stored(static_cast<const char*>(q),
                                      q ? sqlite3_column_bytes(select, col + 1) : 0);
        differs =
            differs || stored != keys.back() || sqlite3_column_type(select, col + 1) != SQLITE_BLOB;
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

namespace {

// Lets SQLite ask `stop` every kStopCheckSteps steps while it lives.
class StopCheck {
 public:
  StopCheck(sqlite3* db, std::function<bool()> stop) : db_(db), stop_(std::move(stop)) {
    if (stop_) sqlite3_progress_handler(db_, kStopCheckSteps, &StopCheck::ask, &stop_);
  }
  ~StopCheck() { sqlite3_progress_handler(db_, 0, nullptr, nullptr); }
  StopCheck(const StopCheck&) = delete;
  StopCheck& operator=(const StopCheck&) = delete;

 private:
  static int ask(void* stop) { return (*static_cast<std::function<bool()>*>(stop))() ? 1 : 0; }
  sqlite3* db_;
  std::function<bool()> stop_;
};

}  // namespace

Error SqliteStore::buildKeys(const std::function<bool()>& stop) {
  if (!db_) return misuse("file not open");
  // Asked between the steps of the rebuild and, by SQLite, every so many steps of a long
  // statement; a true answer interrupts it, and the rollback below leaves the file as it was.
  const auto stopped = [&stop] { return stop && stop(); };
  if (stopped()) return fail(SQLITE_INTERRUPT);
  StopCheck check(db_, stop);
  const bool own = !inTransaction();
  Error e;
  if (own) {
    e = begin(busyMs_);
    if (!e.ok()) return e;
  }
  e = pragma(kBuildCachePragma, "PRAGMA cache_size", kBuildCacheValue);
  if (e.ok() && !ownRecordsOnly_) e = remakeSortKeys();
  for (size_t k = 0; e.ok() && k < schema_.keyFields.size(); ++k) {
    if (stopped()) e = fail(SQLITE_INTERRUPT);
    if (e.ok()) e = run(sql::dropIndex(schema_, static_cast<int>(k)));
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

}  // namespace storage::detail
