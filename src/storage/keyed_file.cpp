#include "storage/keyed_file.h"

#include <cstring>

namespace storage {

using detail::Bound;
using detail::Direction;

namespace {

// Read-ahead: the first fetch after a positioning reads a page's worth (the longest list shows
// 18 rows, plus the row a page is anchored on); a run of reads in one direction doubles the
// fetch up to a size that keeps memory small and a whole-file scan close to one stepped
// statement.
constexpr size_t kFirstFetch = 32;
constexpr size_t kLargestFetch = 512;

constexpr int kMisuse = 21;  // SQLite's code for a call out of turn

}  // namespace

KeyedFile::KeyedFile(const FileDecl& decl, void* buffer, std::string path)
    : schema_(detail::makeSchema(decl)),
      buffer_(buffer),
      path_(path.empty() ? decl.name + ".db" : std::move(path)) {
  ahead_.recordSize = schema_.decl.recordSize;
}

// Closes without touching the thread's last error: nobody reads an error from a destructor.
KeyedFile::~KeyedFile() {
  if (isOpen()) shutDown();
}

Error KeyedFile::shutDown() {
  readHeld_ = false;
  holds_ = 0;
  Error e;
  if (streaming_) e = store_->commit();
  if (!e.ok() || store_->inTransaction()) store_->rollback();
  store_->close();
  mode_ = 0;
  streaming_ = false;
  hasCurrent_ = false;
  dropAhead();
  return e;
}

int KeyedFile::finish(Error e) {
  error_ = std::move(e);
  setLastError(error_);
  return error_.code;
}

// A read that finds the keys out of date (a sort key that does not match its text, an index
// gone) marks them so, for the next open to rebuild them.
int KeyedFile::finishRead(Error e) {
  if (e.code == kKeysInvalid && store_) {
    endHeldRead();
    store_->markKeysOutOfDate();
  }
  return finish(std::move(e));
}

int KeyedFile::finish(int code, std::string text) {
  return finish(Error{code, code == kDriverError ? kMisuse : 0, std::move(text)});
}

// Whether the declaration can be used; when it cannot, every call fails with its problem.
bool KeyedFile::usable() {
  if (schema_.problem.empty()) return true;
  finish(kDriverError, "bad declaration of " + schema_.decl.name + ": " + schema_.problem);
  return false;
}

// Whether a record operation may run: the declaration is usable and the file is open.
bool KeyedFile::ready() {
  if (!usable()) return false;
  if (!isOpen()) {
    finish(kDriverError, path_ + ": file not open");
    return false;
  }
  return true;
}

void KeyedFile::dropAhead() {
  ahead_.clear();
  aheadPos_ = 0;
  fetchSize_ = 0;
  aheadStamp_ = 0;
  replay_ = false;
}

// Fixes the cursor where the current record was, before the current record changes.
void KeyedFile::pinCursor() {
  if (!fromCurrent_) return;
  forward_ = boundFor(Direction::kForward);
  backward_ = forward_;
  fromCurrent_ = false;
}

// Next to the current record the cursor goes on from the key the file stores for it, which is
// where its index holds it: a key computed afresh from its text could lie elsewhere in a file
// edited behind the driver's back, and a re-seek from there would skip records or meet them
// again.
Bound KeyedFile::boundFor(Direction dir) const {
  if (!fromCurrent_) return dir == Direction::kForward ? forward_ : backward_;
  Bound b;
  b.present = true;
  b.inclusive = false;
  b.value = currentKey_;
  return b;
}

// Makes a record current; a read (not a write) also fills the buffer and takes up the watch.
// `key` is the record's key in the current order as the file holds it.
void KeyedFile::take(int64_t id, int64_t version, const char* image, bool isRead,
                     detail::KeyValue&& key) {
  if (isRead) std::memcpy(buffer_, image, schema_.decl.recordSize);
  currentImage_.assign(image, schema_.decl.recordSize);
  currentId_ = id;
  currentVersion_ = version;
  // Swapped: the caller's storage takes the old key's, for its next read.
  std::swap(currentKey_, key);
  currentKeyOrder_ = order_;
  hasCurrent_ = true;
  watched_ = isRead && watchArmed_;
  if (isRead) watchArmed_ = false;
}

// The key of a record just written in the current order: what the driver stored for it.
detail::KeyValue KeyedFile::writtenKey(int64_t id) const {
  return detail::keyOf(schema_, order_, buffer_, id);
}

// --- the file ---

int KeyedFile::open(int mode) {
  if (isOpen()) return finish(kAlreadyOpen, path_ + ": already open");
  if (!usable()) return error_.code;
  if (mode != kShared && mode != kExclusive && mode != kReadOnly) {
    return finish(kDriverError, "open mode " + std::to_string(mode) + " is not supported");
  }
  if (!store_) store_ = detail::makeSqliteStore(schema_);
  store_->setBusyLimit(busyLimitMs_);
  store_->setDurable(durable_);
  const detail::Access access = mode == kExclusive  ? detail::Access::kExclusive
                                : mode == kReadOnly ? detail::Access::kReadOnly
                                                    : detail::Access::kShared;
  Error e = store_->open(path_, access);
  if (!e.ok()) return finish(std::move(e));
  mode_ = mode;
  filtered_ = false;
  order_ = kFileOrder;
  forward_ = backward_ = Bound{};
  fromCurrent_ = false;
  dropAhead();
  hasCurrent_ = watched_ = watchArmed_ = streaming_ = false;
  return finish({});
}

int KeyedFile::close() {
  if (!isOpen()) return finish(kDriverError, path_ + ": file not open");
  return finish(shutDown());
}

int KeyedFile::create() {
  if (isOpen()) return finish(kAlreadyOpen, path_ + ": close the file before creating it");
  if (!usable()) return error_.code;
  if (!store_) store_ = detail::makeSqliteStore(schema_);
  store_->setBusyLimit(busyLimitMs_);
  store_->setDurable(durable_);
  return finish(store_->create(path_));
}

int KeyedFile::remove() {
  if (isOpen()) return finish(kAlreadyOpen, path_ + ": close the file before removing it");
  if (!usable()) return error_.code;
  if (!store_) store_ = detail::makeSqliteStore(schema_);
  store_->setBusyLimit(busyLimitMs_);
  store_->setDurable(durable_);
  return finish(store_->remove(path_));
}

// --- positioning and reading ---

int KeyedFile::set(int order) {
  if (!ready()) return error_.code;
  if (order < kFileOrder || order >= static_cast<int>(schema_.keyFields.size())) {
    return finish(kDriverError, "no key " + std::to_string(order) + " in " + schema_.decl.name);
  }
  endFilter();
  order_ = order;
  forward_ = backward_ = Bound{};
  fromCurrent_ = false;
  dropAhead();
  return finish({});
}

int KeyedFile::setFiltered(const RecordFilter& filter) {
  if (!ready()) return error_.code;
  for (const ByteCondition& c : filter) {
    const auto& fields = schema_.decl.fields;
    const bool text = c.field >= 0 && c.field < static_cast<int>(fields.size()) &&
                      fields[c.field].type != FieldType::kLong;
    if (!text || c.offset >= fields[c.field].width || c.bytes.empty()) {
      return finish(kDriverError,
                    "a filter of " + schema_.decl.name + " on no text field or beyond its width");
    }
  }
  const int rc = set(kFileOrder);
  if (rc != kOk || filter.empty()) return rc;
  store_->setFilter(filter);
  filtered_ = true;
  return rc;
}

void KeyedFile::endFilter() {
  if (!filtered_) return;
  filtered_ = false;
  if (store_) store_->setFilter({});
}

int KeyedFile::setByKey(int key) {
  if (!ready()) return error_.code;
  if (key < 0 || key >= static_cast<int>(schema_.keyFields.size())) {
    return finish(kDriverError, "no key " + std::to_string(key) + " in " + schema_.decl.name);
  }
  endFilter();
  order_ = key;
  // Records whose key equals the value are on both sides: the smallest record number starts
  // the forward read, the largest the backward one.
  forward_.present = backward_.present = true;
  forward_.inclusive = backward_.inclusive = true;
  forward_.anyNumber = backward_.anyNumber = true;
  forward_.value = detail::keyOf(schema_, key, buffer_, 0);
  backward_.value = forward_.value;
  fromCurrent_ = false;
  dropAhead();
  return finish({});
}

// Fetches the rows that follow the cursor into ahead_. Within a run of reads (no positioning,
// write or change of direction since the last fetch) each fetch is twice the one before.
Error KeyedFile::fetch(Direction dir) {
  const Bound from = boundFor(dir);
  if (fetchSize_ == 0) {
    fetchSize_ = fetchHint_ > 0 ? std::min(fetchHint_, kLargestFetch) : kFirstFetch;
    fetchHint_ = 0;
  } else {
    fetchSize_ = std::min(fetchSize_ * 2, kLargestFetch);
  }
  ahead_.clear();
  aheadPos_ = 0;
  aheadDir_ = dir;
  aheadStamp_ = 0;
  Error e = store_->scan(order_, dir, from, fetchSize_, ahead_);
  if (!e.ok()) {
    dropAhead();
    return e;
  }
  // Taken in the hold's snapshot, which the scan has just read: the stamp of these very rows.
  if (readHeld_) aheadStamp_ = store_->contentStamp();
  return e;
}

// A record the fetch could not read stops it; the read that reaches that record fails, and
// so does every read after it from the same place: nothing is skipped.
int KeyedFile::read(Direction dir) {
  if (!ready()) return error_.code;
  if (aheadDir_ != dir) dropAhead();
  if (replay_) {
    // Given again as it was read: nothing was written to the file since.
    replay_ = false;
    std::memcpy(buffer_, currentImage_.data(), currentImage_.size());
    watched_ = watchArmed_;
    watchArmed_ = false;
    fromCurrent_ = true;
    return finish({});
  }
  if (aheadPos_ >= ahead_.size() && ahead_.stop.ok()) {
    Error e = fetch(dir);
    if (!e.ok()) return finishRead(std::move(e));
  }
  if (aheadPos_ >= ahead_.size()) {
    if (!ahead_.stop.ok()) {
      Error stop = std::move(ahead_.stop);
      dropAhead();
      return finishRead(std::move(stop));
    }
    return finish(kNoRecord, dir == Direction::kForward ? "end of file" : "beginning of file");
  }
  const size_t i = aheadPos_++;
  take(ahead_.ids[i], ahead_.versions[i], ahead_.image(i), true, std::move(ahead_.keys[i]));
  fromCurrent_ = true;
  return finish({});
}

int KeyedFile::next() {
  return read(Direction::kForward);
}

int KeyedFile::prev() {
  return read(Direction::kBackward);
}

bool KeyedFile::eof() {
  if (!ready()) return true;
  if (aheadDir_ != Direction::kForward) dropAhead();
  if (replay_) {
    finish({});
    return false;
  }
  if (aheadPos_ >= ahead_.size() && ahead_.stop.ok()) {
    Error e = fetch(Direction::kForward);
    if (!e.ok()) {
      finish(std::move(e));
      return true;
    }
  }
  // A record follows even when it cannot be read; next() reports why.
  finish({});
  return aheadPos_ >= ahead_.size() && ahead_.stop.ok();
}

int KeyedFile::get(int key) {
  if (!ready()) return error_.code;
  if (key < 0 || key >= static_cast<int>(schema_.keyFields.size())) {
    return finish(kDriverError, "no key " + std::to_string(key) + " in " + schema_.decl.name);
  }
  detail::Row& row = scratch_;
  detail::keyInto(schema_, key, buffer_, 0, probe_);
  Error e = store_->readByKey(key, probe_, row);
  if (!e.ok()) return finishRead(std::move(e));
  endFilter();
  dropAhead();
  order_ = key;
  take(row.id, row.version, row.image.data(), true, std::move(row.key));
  fromCurrent_ = true;
  return finish({});
}

int KeyedFile::getByNumber(int64_t number) {
  if (!ready()) return error_.code;
  detail::Row& row = scratch_;
  Error e =
      number > 0 ? store_->readById(number, order_, row) : Error{kNoRecord, 0, "record number 0"};
  if (!e.ok()) {
    if (e.code == kNoRecord) {
      pinCursor();
      hasCurrent_ = watched_ = false;
    }
    return finishRead(std::move(e));
  }
  endFilter();
  dropAhead();
  take(row.id, row.version, row.image.data(), true, std::move(row.key));
  fromCurrent_ = true;
  return finish({});
}

std::string KeyedFile::position(int order) {
  std::string token;
  position(order, token);
  return token;
}

void KeyedFile::position(int order, std::string& token) {
  token.clear();
  if (!ready()) return;
  if (order < kFileOrder || order >= static_cast<int>(schema_.keyFields.size())) {
    finish(kDriverError, "no key " + std::to_string(order) + " in " + schema_.decl.name);
    return;
  }
  // The current record's key as the file holds it, while the buffer still holds the record:
  // the sort keys need not be made again for every row a list shows.
  const bool asTaken = hasCurrent_ && order == currentKeyOrder_ && currentKey_.id == currentId_ &&
                       currentImage_.size() == schema_.decl.recordSize &&
                       std::memcmp(buffer_, currentImage_.data(), currentImage_.size()) == 0;
  if (asTaken) {
    detail::encodeToken(order, currentKey_, token);
  } else {
    detail::encodeToken(order, detail::keyOf(schema_, order, buffer_, hasCurrent_ ? currentId_ : 0),
                        token);
  }
  if (token.size() > detail::kMaxTokenSize) {
    token.clear();
    finish(kDriverError, "the key of " + schema_.decl.name + " is too long for a position");
    return;
  }
  finish({});
}

int64_t KeyedFile::recordOf(std::string_view token) const {
  const auto t = detail::decodeToken(schema_, token);
  return t ? t->value.id : 0;
}

int KeyedFile::reget(std::string_view token) {
  if (!ready()) return error_.code;
  // Whatever the caller meant to rewrite or delete next is the token's record: once it cannot
  // be read, no other record may stand in for it.
  hasCurrent_ = watched_ = false;
  const auto t = detail::decodeToken(schema_, token);
  if (!t) return finish(kDriverError, "not a position of " + schema_.decl.name);
  detail::Row& row = scratch_;
  Error e = t->value.id > 0 ? store_->readById(t->value.id, t->order, row)
                            : Error{kNoRecord, 0, "no record"};
  if (!e.ok()) return finishRead(std::move(e));
  endFilter();
  dropAhead();
  order_ = t->order;
  take(row.id, row.version, row.image.data(), true, std::move(row.key));
  fromCurrent_ = true;
  return finish({});
}

// A reset to the record just read, in a hold, gives that record and then the rows already
// fetched beyond it in the same direction, as long as nothing was written to the file since
// they were read: reading them again would give the same. A list that locates a record and
// then fills its page from it reads the page once, and a list scrolled a row or a page at a
// time seeks the file only when it has used up what it fetched.
bool KeyedFile::resetsToCurrent(const detail::Token& t) {
  if (!readHeld_ || aheadStamp_ == 0 || filtered_ || !fromCurrent_ || !hasCurrent_ ||
      aheadPos_ == 0 || t.order != order_ || currentKeyOrder_ != order_ ||
      currentImage_.size() != schema_.decl.recordSize || currentKey_.id != currentId_ ||
      !(t.value == currentKey_)) {
    return false;
  }
  // Last: in a hold that has not read yet, the stamp takes the file's lock.
  return store_->contentStamp() == aheadStamp_;
}

int KeyedFile::reset(std::string_view token) {
  if (!ready()) return error_.code;
  auto t = detail::decodeToken(schema_, token);
  if (!t) return finish(kDriverError, "not a position of " + schema_.decl.name);
  const bool current = resetsToCurrent(*t);
  endFilter();
  order_ = t->order;
  forward_.present = backward_.present = true;
  forward_.inclusive = backward_.inclusive = true;
  forward_.anyNumber = backward_.anyNumber = false;
  forward_.value = std::move(t->value);
  backward_.value = forward_.value;
  fromCurrent_ = false;
  if (current) {
    // The rows the current record's own fetch read beyond it stay, with that record given
    // again first. A read the other way or any positioning drops them and reads from the
    // token. The next fetch is sized afresh, by the caller's hint, as after any positioning.
    replay_ = true;
    fetchSize_ = 0;
  } else {
    dropAhead();
  }
  return finish({});
}

// --- writing ---

int KeyedFile::write(bool maintainKeys) {
  if (!ready()) return error_.code;
  endHeldRead();
  int64_t id = 0;
  Error e = store_->insert(buffer_, maintainKeys, id);
  if (!e.ok()) return finish(std::move(e));
  pinCursor();
  dropAhead();
  take(id, 1, static_cast<const char*>(buffer_), false, writtenKey(id));
  return finish({});
}

int KeyedFile::add() {
  return write(true);
}

int KeyedFile::append() {
  return write(false);
}

int KeyedFile::put() {
  if (!ready()) return error_.code;
  if (!hasCurrent_) return finish(kNoRecord, "no current record to rewrite");
  endHeldRead();
  int64_t version = 0;
  Error e = store_->update(currentId_, buffer_, watched_ ? &currentVersion_ : nullptr, version);
  if (!e.ok()) return finish(std::move(e));
  // The cursor stays where the record was, so a scan that rewrites keys goes on in order.
  pinCursor();
  dropAhead();
  currentVersion_ = version;
  currentImage_.assign(static_cast<const char*>(buffer_), schema_.decl.recordSize);
  currentKey_ = writtenKey(currentId_);
  currentKeyOrder_ = order_;
  return finish({});
}

int KeyedFile::erase() {
  if (!ready()) return error_.code;
  if (!hasCurrent_) return finish(kNoRecord, "no current record to delete");
  endHeldRead();
  Error e = store_->erase(currentId_);
  if (!e.ok()) return finish(std::move(e));
  pinCursor();
  dropAhead();
  hasCurrent_ = watched_ = false;
  return finish({});
}

int KeyedFile::watch() {
  if (!ready()) return error_.code;
  watchArmed_ = true;
  return finish({});
}

int KeyedFile::buildKeys(const std::function<bool()>& stop) {
  if (!ready()) return error_.code;
  endHeldRead();
  dropAhead();
  return finish(store_->buildKeys(stop));
}

int64_t KeyedFile::records() {
  if (!ready()) return -1;
  int64_t n = 0;
  Error e = store_->count(n);
  finish(std::move(e));
  return error_.ok() ? n : -1;
}

// --- runs of writes and transactions ---

int KeyedFile::stream() {
  if (!ready()) return error_.code;
  endHeldRead();
  if (streaming_ || store_->inTransaction()) return finish({});
  Error e = store_->begin(busyLimitMs_);
  if (e.ok()) {
    streaming_ = true;
    saveCursor();
  }
  return finish(std::move(e));
}

int KeyedFile::flush() {
  if (!ready()) return error_.code;
  if (!streaming_) return finish({});
  Error e = store_->commit();
  if (e.ok()) {
    streaming_ = false;
    hasSaved_ = false;
  }
  dropAhead();
  return finish(std::move(e));
}

int KeyedFile::begin(int timeoutSeconds) {
  if (!ready()) return error_.code;
  endHeldRead();
  const int ms = timeoutSeconds <= 0 ? 0 : timeoutSeconds * 1000;
  Error e = store_->begin(ms);
  if (e.ok()) saveCursor();
  return finish(std::move(e));
}

// What a rollback puts back: the current record as the file holds it again, and where the
// cursor stood, so that a rewrite or delete can be tried again as it was first tried.
void KeyedFile::saveCursor() {
  saved_ =
      Cursor{order_,          forward_,      backward_,   fromCurrent_,     hasCurrent_, currentId_,
             currentVersion_, currentImage_, currentKey_, currentKeyOrder_, watched_};
  hasSaved_ = true;
}

void KeyedFile::restoreCursor() {
  if (!hasSaved_) return;
  order_ = saved_.order;
  forward_ = std::move(saved_.forward);
  backward_ = std::move(saved_.backward);
  fromCurrent_ = saved_.fromCurrent;
  hasCurrent_ = saved_.hasCurrent;
  currentId_ = saved_.id;
  currentVersion_ = saved_.version;
  currentImage_ = std::move(saved_.image);
  currentKey_ = std::move(saved_.key);
  currentKeyOrder_ = saved_.keyOrder;
  watched_ = saved_.watched;
  hasSaved_ = false;
}

int KeyedFile::commit() {
  if (!ready()) return error_.code;
  endHeldRead();
  Error e = store_->commit();
  if (e.ok()) {
    streaming_ = false;
    hasSaved_ = false;
  }
  dropAhead();
  return finish(std::move(e));
}

int KeyedFile::rollback() {
  if (!ready()) return error_.code;
  endHeldRead();
  const bool undone = store_->inTransaction();
  Error e = store_->rollback();
  streaming_ = false;
  if (undone) restoreCursor();
  hasSaved_ = false;
  dropAhead();
  return finish(std::move(e));
}

// --- runs of reads ---

void KeyedFile::holdReads() {
  if (!isOpen() || holds_++ > 0 || store_->inTransaction()) return;
  readHeld_ = store_->beginRead().ok();
}

void KeyedFile::releaseReads() {
  if (holds_ > 0 && --holds_ == 0) endHeldRead();
}

void KeyedFile::suspendReads() {
  endHeldRead();
}

// Ends the snapshot of a hold, if one is open; the hold itself stays counted.
void KeyedFile::endHeldRead() {
  if (!readHeld_) return;
  readHeld_ = false;
  if (store_ && store_->inTransaction()) store_->endRead();
}

uint64_t KeyedFile::contentStamp() {
  return isOpen() ? store_->contentStamp() : 0;
}

void KeyedFile::setDurable(bool durable) {
  durable_ = durable;
  if (store_) store_->setDurable(durable);
}

void KeyedFile::setBusyLimit(int milliseconds) {
  busyLimitMs_ = milliseconds < 0 ? 0 : milliseconds;
  if (store_) store_->setBusyLimit(busyLimitMs_);
}

int KeyedFile::activeStatements() const {
  return store_ ? store_->activeStatements() : 0;
}

}  // namespace storage
