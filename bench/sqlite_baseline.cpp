#include "sqlite_baseline.h"

#include <cstring>
#include <stdexcept>

#include "runtime/locale/collation.h"

namespace bench {
namespace {

using phonedir::PHO_RECORD;

void check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
  }
}

void exec(sqlite3* db, const char* sql) {
  check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), sql);
}

sqlite3* connect(const std::string& path) {
  sqlite3* db = nullptr;
  check(db,
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
        "open");
  sqlite3_busy_timeout(db, 5000);
  exec(db, "PRAGMA journal_mode=DELETE");
  exec(db, "PRAGMA synchronous=FULL");
  exec(db, "PRAGMA cache_size=-8192");
  return db;
}

sqlite3_stmt* prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  check(db, sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr),
        sql.c_str());
  return s;
}

const char* const kColumns = "SELECT PHONE, STREET, FIO, HOME, KVART FROM records ";
const char* const kOrder[] = {"PHONE_SORT", "STREET, HOME_SORT, KVART_SORT", "FIO_SORT"};
const char* const kIndex[] = {"key_NUM_KEY", "key_ADRESS_KEY", "key_NAME_KEY"};
const char* const kProbe[] = {"PHONE_SORT >= ?1", "(STREET, HOME_SORT, KVART_SORT) >= (?1, ?2, ?3)",
                              "FIO_SORT >= ?1"};

void copyText(char* to, size_t width, bool cstring, const void* from, int n) {
  const size_t room = cstring ? width - 1 : width;
  const size_t k = from ? std::min<size_t>(static_cast<size_t>(n), room) : 0;
  std::memcpy(to, from, k);
  std::memset(to + k, cstring ? '\0' : ' ', width - k);
}

void bindBlob(sqlite3_stmt* s, int i, const std::string& b) {
  sqlite3_bind_blob(s, i, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
}

}  // namespace

Baseline::Baseline(const std::string& phonePath, const std::string& streetPath)
    : phone_(connect(phonePath)), street_(connect(streetPath)) {
  for (int k = 0; k < 3; ++k) {
    page_[k] = prepare(phone_, std::string(kColumns) + "INDEXED BY " + kIndex[k] + " WHERE " +
                                   kProbe[k] + " ORDER BY " + kOrder[k] + ", id LIMIT ?4");
    scan_[k] = prepare(phone_, std::string(kColumns) + "INDEXED BY " + kIndex[k] + " ORDER BY " +
                                   kOrder[k] + ", id");
  }
  scanRowid_ = prepare(phone_, std::string(kColumns) + "ORDER BY id");
  lookup_ = prepare(street_,
                    "SELECT NUM, NAME FROM records INDEXED BY key_NUM_KEY WHERE NUM = ?1 ORDER BY "
                    "NUM, id LIMIT 1");
}

Baseline::~Baseline() {
  for (sqlite3_stmt* s : page_) sqlite3_finalize(s);
  for (sqlite3_stmt* s : scan_) sqlite3_finalize(s);
  sqlite3_finalize(scanRowid_);
  sqlite3_finalize(lookup_);
  sqlite3_close(phone_);
  sqlite3_close(street_);
}

void Baseline::decode(sqlite3_stmt* s, PHO_RECORD& r) const {
  copyText(r.PHONE, 6, false, sqlite3_column_blob(s, 0), sqlite3_column_bytes(s, 0));
  r.STREET = static_cast<int32_t>(sqlite3_column_int64(s, 1));
  copyText(r.FIO, 18, true, sqlite3_column_blob(s, 2), sqlite3_column_bytes(s, 2));
  copyText(r.HOME, 4, false, sqlite3_column_blob(s, 3), sqlite3_column_bytes(s, 3));
  copyText(r.KVART, 4, false, sqlite3_column_blob(s, 4), sqlite3_column_bytes(s, 4));
}

int Baseline::page(int key, const PHO_RECORD& probe, int count) {
  sqlite3_stmt* s = page_[key];
  if (key == phonedir::PHO_NUM_KEY)
    bindBlob(s, 1, runtime::sortKey(std::string_view(probe.PHONE, 6)));
  if (key == phonedir::PHO_NAME_KEY)
    bindBlob(s, 1, runtime::sortKey(std::string_view(probe.FIO, strnlen(probe.FIO, 17))));
  if (key == phonedir::PHO_ADRESS_KEY) {
    sqlite3_bind_int64(s, 1, probe.STREET);
    bindBlob(s, 2, runtime::sortKey(std::string_view(probe.HOME, 4)));
    bindBlob(s, 3, runtime::sortKey(std::string_view(probe.KVART, 4)));
  }
  sqlite3_bind_int(s, 4, count);
  int n = 0;
  PHO_RECORD r{};
  phonedir::STR_RECORD str{};
  while (sqlite3_step(s) == SQLITE_ROW) {
    decode(s, r);
    sqlite3_bind_int64(lookup_, 1, r.STREET);
    if (sqlite3_step(lookup_) == SQLITE_ROW) {
      str.NUM = static_cast<int32_t>(sqlite3_column_int64(lookup_, 0));
      copyText(str.NAME, 20, true, sqlite3_column_blob(lookup_, 1),
               sqlite3_column_bytes(lookup_, 1));
    } else {
      std::memset(&str, 0, sizeof str);
    }
    sqlite3_reset(lookup_);
    ++n;
  }
  sqlite3_reset(s);
  return n;
}

int64_t Baseline::scan(int key) {
  sqlite3_stmt* s = scan_[key];
  PHO_RECORD r{};
  int64_t n = 0;
  while (sqlite3_step(s) == SQLITE_ROW) {
    decode(s, r);
    ++n;
  }
  sqlite3_reset(s);
  return n;
}

int64_t Baseline::scanByRowid() {
  PHO_RECORD r{};
  int64_t n = 0;
  while (sqlite3_step(scanRowid_) == SQLITE_ROW) {
    decode(scanRowid_, r);
    ++n;
  }
  sqlite3_reset(scanRowid_);
  return n;
}

void Baseline::appendThenIndex(const std::vector<PHO_RECORD>& records) {
  exec(phone_, "BEGIN IMMEDIATE");
  exec(phone_, "UPDATE meta SET value = 'invalid' WHERE name = 'keys'");
  for (const char* index : kIndex)
    exec(phone_, (std::string("DROP INDEX IF EXISTS ") + index).c_str());
  sqlite3_stmt* insert =
      prepare(phone_,
              "INSERT INTO records(ver, PHONE, STREET, FIO, HOME, KVART, PHONE_SORT, FIO_SORT, "
              "HOME_SORT, KVART_SORT) VALUES (1, ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  for (const PHO_RECORD& r : records) {
    const std::string_view fio(r.FIO, strnlen(r.FIO, 17));
    sqlite3_bind_blob(insert, 1, r.PHONE, 6, SQLITE_STATIC);
    sqlite3_bind_int64(insert, 2, r.STREET);
    sqlite3_bind_blob(insert, 3, fio.data(), static_cast<int>(fio.size()), SQLITE_STATIC);
    sqlite3_bind_blob(insert, 4, r.HOME, 4, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 5, r.KVART, 4, SQLITE_STATIC);
    bindBlob(insert, 6, runtime::sortKey(std::string_view(r.PHONE, 6)));
    bindBlob(insert, 7, runtime::sortKey(fio));
    bindBlob(insert, 8, runtime::sortKey(std::string_view(r.HOME, 4)));
    bindBlob(insert, 9, runtime::sortKey(std::string_view(r.KVART, 4)));
    check(phone_, sqlite3_step(insert), "insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  exec(phone_, "COMMIT");
  exec(phone_, "BEGIN IMMEDIATE");
  exec(phone_, "PRAGMA cache_size=-65536");
  exec(phone_, "CREATE INDEX key_NUM_KEY ON records(PHONE_SORT)");
  exec(phone_, "CREATE INDEX key_ADRESS_KEY ON records(STREET, HOME_SORT, KVART_SORT)");
  exec(phone_, "CREATE INDEX key_NAME_KEY ON records(FIO_SORT)");
  exec(phone_, "UPDATE meta SET value = 'valid' WHERE name = 'keys'");
  exec(phone_, "PRAGMA cache_size=-8192");
  exec(phone_, "COMMIT");
  // Statements prepared before the schema changed are prepared again by SQLite on their next
  // step, as the driver's are.
}

}  // namespace bench
