#pragma once
// The one interface between the keyed-file logic (cursors, positions, watch) and the database
// that holds the records (internal). Everything SQL lives behind it, so that another database
// engine can serve the same files' logic.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "storage/error.h"
#include "storage/record_filter.h"
#include "storage/schema.h"

namespace storage::detail {

// One record as read: its number, its version counter, its buffer image, and its key in the
// order it was read in as the file stores it (the value its index orders it by).
struct Row {
  int64_t id = 0;
  int64_t version = 0;
  std::string image;
  KeyValue key;
};

// Rows read in one go, kept flat: the images lie one after another in `images`. A scan that
// meets a record it cannot read stops before it and leaves the reason in `stop`, for the read
// that reaches that record.
struct Batch {
  size_t recordSize = 0;
  std::vector<int64_t> ids;
  std::vector<int64_t> versions;
  std::vector<KeyValue> keys;
  std::string images;
  Error stop;
  // Keys of rows cleared, kept for their storage: the next rows' keys are read into them.
  std::vector<KeyValue> spareKeys;

  size_t size() const { return ids.size(); }
  const char* image(size_t i) const { return images.data() + i * recordSize; }
  void clear() {
    ids.clear();
    versions.clear();
    for (KeyValue& k : keys) spareKeys.push_back(std::move(k));
    keys.clear();
    images.clear();
    stop = {};
  }
  KeyValue spareKey() {
    if (spareKeys.empty()) return {};
    KeyValue k = std::move(spareKeys.back());
    spareKeys.pop_back();
    return k;
  }
};

// How a connection uses its file.
enum class Access {
  kShared,     // read and write; others may read and write
  kExclusive,  // read and write; others are shut out (for rebuilding keys)
  kReadOnly,   // read only; others may read and write; nothing in the file is ever changed
};

enum class Direction { kForward, kBackward };

// Where a scan starts: at the first (forward) or last (backward) record when absent, else next
// to a key value and record number, which itself is included or not. With anyNumber, every
// record whose key equals the value is included, whatever its number.
struct Bound {
  bool present = false;
  bool inclusive = false;
  bool anyNumber = false;
  KeyValue value;
};

class Store {
 public:
  virtual ~Store() = default;

  // Connects to an existing file and checks its format, layout and keys (codes 2, 3, 5, 46,
  // 47, 90) before it changes anything in it. In the exclusive mode keys that are out of date
  // are no error: that mode is for rebuilding them. On failure nothing stays connected.
  virtual Error open(const std::string& path, Access access) = 0;
  virtual void close() = 0;

  // File-level operations on a path, without a connection of this store.
  virtual Error create(const std::string& path) = 0;
  virtual Error remove(const std::string& path) = 0;

  // Up to `limit` rows next to `from` in an order and direction, appended to `out`. Reads
  // check each record: a value its field cannot hold is an error (kDriverError), so is a row
  // out of its order (a damaged file), and so is, in a key's order, a stored key that does not
  // match the record's text (kKeysInvalid).
  virtual Error scan(int order, Direction dir, const Bound& from, size_t limit, Batch& out) = 0;
  // Scans in record-number order return only the records that meet `filter` (empty: all). The
  // records it leaves out are not read, so a fault in one of them is not reported either, as
  // for a record outside the range of a scan in a key's order.
  virtual void setFilter(const RecordFilter& filter) = 0;
  // Record `id`, with its key in `order`; kNoRecord when absent.
  virtual Error readById(int64_t id, int order, Row& out) = 0;
  // The first record in a key's order whose key equals `value` (its id is ignored).
  virtual Error readByKey(int key, const KeyValue& value, Row& out) = 0;

  // Adds a record; without key maintenance the file's keys are first marked out of date and
  // their indexes dropped, in the same transaction.
  virtual Error insert(const void* image, bool maintainKeys, int64_t& id) = 0;
  // Rewrites record `id`; with `expected` set, only if its version is still *expected
  // (kRecordChanged otherwise, also when it is gone). `version` receives the new version.
  virtual Error update(int64_t id, const void* image, const int64_t* expected,
                       int64_t& version) = 0;
  virtual Error erase(int64_t id) = 0;  // kNoRecord when absent
  virtual Error count(int64_t& n) = 0;
  // Recomputes sort keys that do not match the collation, recreates every index, marks the
  // keys valid. When `stop` (if given) turns true meanwhile, it ends soon after with an error
  // and leaves the file as it was.
  virtual Error buildKeys(const std::function<bool()>& stop) = 0;
  // Marks the keys out of date, so that the next open asks for their rebuild; nothing when
  // the file is read only or the mark cannot be made at once.
  virtual void markKeysOutOfDate() = 0;

  // A read transaction: the reads until endRead() see one snapshot of the file and take its
  // lock once. It holds the file's read lock, so it must stay short.
  virtual Error beginRead() = 0;
  virtual Error endRead() = 0;
  // A stamp of the file's contents: it differs after any change to the file, by this
  // connection or any other, and between connections; 0 on failure.
  virtual uint64_t contentStamp() = 0;

  virtual Error begin(int timeoutMs) = 0;
  virtual Error commit() = 0;
  virtual Error rollback() = 0;
  virtual bool inTransaction() const = 0;

  // How long a statement waits for another station's lock before failing with kAccessDenied.
  virtual void setBusyLimit(int ms) = 0;
  // Whether commits wait for the disk (synchronous=FULL) or not (OFF); set before connecting.
  virtual void setDurable(bool durable) = 0;
  // Statements stepped and not yet reset; 0 between calls.
  virtual int activeStatements() const = 0;
};

std::unique_ptr<Store> makeSqliteStore(const Schema& schema);

}  // namespace storage::detail
