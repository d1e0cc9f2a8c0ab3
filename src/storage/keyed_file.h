#pragma once
// The keyed-file driver: a data file bound to a declaration and to the caller's fixed-layout
// record buffer, read through cursors over its keys and written record by record, shared
// between stations (processes, and threads of one process) with locking, change detection
// and one-file transactions.
//
// STORAGE FORMAT
//
// Each data file is one SQLite database (NAME.db in the working directory unless a path is
// given), always in rollback-journal mode (never WAL: the files may sit on a share that
// several hosts use). It holds two tables:
//
//   meta(name TEXT PRIMARY KEY, value TEXT NOT NULL)
//     'format'     the driver's format version, now '1'
//     'layout'     the declaration's layout signature (fields with type, width and offset;
//                  keys with components); a file opens only under an equal declaration
//     'keys'       'valid', or 'invalid' from the first append without keys until the rebuild
//     'collation'  a hash of the collation weights the sort keys were made with
//
//   records(id INTEGER PRIMARY KEY AUTOINCREMENT,  -- the record number; never reused
//           ver INTEGER NOT NULL,                 -- version counter, +1 at every rewrite
//           <FIELD> ...,                          -- one column per field, named as the field
//           <FIELD>_SORT BLOB NOT NULL ...)       -- per text field that some key orders by
//
//   A STRING(n) field is a BLOB of its n CP1251 bytes exactly as in the buffer (blanks and
//   any NUL included); a CSTRING(n) field is a BLOB of its text before the NUL (at most n-1
//   bytes); a LONG field is an INTEGER.
//
//   Sort keys: <FIELD>_SORT = runtime::sortKey(text): each byte mapped to its collation weight
//   (Russian alphabetical order, Latin before Cyrillic, Ё after Е, case ignored), trailing
//   blanks removed. Plain byte comparison of sort keys (memcmp, a prefix first) is the text
//   order, so no collation is registered and the stock sqlite3 tool can query, check and
//   REINDEX the files.
//
//   Indexes: one per key, "key_<KEY>" ON records(<component>, ...), where a text component is
//   its sort-key column and a LONG component its field column. SQLite ends every index entry
//   with the row id, so each key is a strict total order: equal key values are ordered by
//   record number. Keyed reads name their index (INDEXED BY), so a missing index is reported
//   as code 46 rather than met with a full scan.
//
//   Nothing else: the file holds exactly these two tables (with SQLite's sqlite_sequence of
//   the AUTOINCREMENT), these columns with these types and NOT NULL, and these indexes. Open
//   checks all of it before it changes anything in the file, journal mode included: another
//   table, a view, a trigger, another index, a column missing, added, renamed or retyped, a
//   file in WAL mode or another program's database gives 47 and the file is left byte for
//   byte as it was. An index of ours made otherwise than its key says gives 46. SQL
//   statements never take a double-quoted name that is no column for a string.
//
// READING CHECKS
//
// A read never narrows or converts: a LONG column that holds anything but an integer of 32
// bits, a text column that holds anything but bytes or text, a STRING longer than its width,
// a CSTRING longer than n-1 bytes or with a NUL inside is a read error (90 with SQLite's code
// 20, SQLITE_MISMATCH, and the record number in the text). A read in a key's order also checks
// the record's stored sort keys against its text: a mismatch (a bit flipped, a cell edited
// with the stock tool) gives 46, and the file's keys are marked out of date ('keys' =
// 'invalid', unless it is open read only) so that its next open asks for the rebuild. Reads
// go on from the key the file stores for the current record, and every row must come after
// the one before it in the order read (else 90 with SQLite's code 11, SQLITE_CORRUPT: a
// damaged file), so no read loops or skips a record. The read that meets a bad record fails,
// and so does every read after it from the same place. A filtered read in record-number
// order (setFiltered) checks the records its filter lets through; the others SQLite passes
// over unread, so their faults are not reported, as for records beyond a keyed scan's range.
//
// Error codes (error.h): 0 success; 2 no such file (open never creates); 3 no such directory;
// 5 access denied: no permission, or another station holds a lock (a file opened in mode
// 0x12, a transaction that outlasted the wait limit); 33 no record: end of file, key value not
// found, record gone; 46 keys out of date (after an append without keys, a missing index or a
// changed collation): open in mode 0x12 and rebuild; 47 the file was made for another layout
// or format, or is a database without our metadata; 52 the instance is open already; 89 a
// watched record was changed or deleted by another station since it was read: nothing was
// written; 90 anything else, with SQLite's code and text (a file that is not a database gives
// SQLite's 26), or the driver's text with code 21 for a call made out of turn.
//
// LOCKING AND READS
//
// No statement stays active between two calls: an active read statement holds a lock that
// makes other stations' writes wait. A cursor therefore re-seeks from the key value of its
// last record at each fetch (keyset seeks, never OFFSET, never a count) and keeps no lock
// between calls. Sequential reads fetch a few rows ahead (from 32, or the caller's fetch
// hint, up to 512 per fetch as the run goes on) and serve the following reads from them; any
// positioning, write or change of direction discards what was fetched, so a run of reads sees
// the file as of its last fetch. A reset to the record just read keeps them when it comes in
// a hold and the file's content stamp is still the one they were read under: nothing was
// written since, so reading them again would give the same. A hold (holdReads) is the one
// exception to taking the lock at every fetch: the reads of a short run, such as a list's
// page with its lookups, share one read transaction and so keep the file's read lock until
// the hold is released, suspended, or a write ends it.
// Writes outside a transaction commit one by one; a transaction (begin/commit) or a stream
// (stream/flush) holds the write lock from its start to its end and should stay short. A call
// that meets another station's lock waits for it up to the wait limit (5 s unless set), then
// fails with 5 having changed nothing. SQLite does not queue waiting writers: behind a station
// that writes back to back, a write may run out of time and must be tried again.
//
// Mode 0x40 reads only: the connection is read-only, every write fails with 5, and nothing in
// the file is ever changed (a hot journal left by a crashed writer is not rolled back: the
// open or read fails with 5 until a writer opens the file).
// Mode 0x42 shares the file. Mode 0x12 takes SQLite's exclusive lock for as long as the file
// is open: other stations' opens fail with 5 after a quarter of a second (an open never waits
// longer: its caller retries, and may also meet 5 now and then while others commit), and
// their calls on instances opened before fail with 5 once their wait limit has passed. The
// mode is meant for rebuilding keys: an open in 0x12 succeeds even when keys are out of date.
//
// A transaction's rollback puts the instance back as it was at the begin: current record,
// version and cursor, so a rewrite or delete whose commit failed can simply be tried again.
//
// A new file is made under a temporary name and linked into place when complete, so a crash
// leaves no half-made file; replacing or removing an existing file happens under SQLite's
// exclusive lock, so no station has it half-replaced or keeps a journal of it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "storage/declaration.h"
#include "storage/error.h"
#include "storage/record_filter.h"
#include "storage/schema.h"
#include "storage/store.h"

namespace storage {

enum OpenMode : int {
  kShared = 0x42,     // read and write; others may read and write
  kExclusive = 0x12,  // read and write; no other station may open the file
  kReadOnly = 0x40,   // read only; others may read and write; the file is never changed
};

// Used by one thread at a time; instances on different threads are separate stations even
// within one process. Every operation returns its error code and leaves the full error in
// error() and in the thread's lastError().
class KeyedFile {
 public:
  // `buffer` is the caller's record buffer of decl.recordSize bytes; it must outlive the
  // instance. `path` names the database file; empty means decl.name + ".db".
  KeyedFile(const FileDecl& decl, void* buffer, std::string path = {});
  ~KeyedFile();
  KeyedFile(const KeyedFile&) = delete;
  KeyedFile& operator=(const KeyedFile&) = delete;

  const FileDecl& decl() const { return schema_.decl; }
  void* buffer() const { return buffer_; }
  // The file's name for messages: the path it is opened under.
  const std::string& name() const { return path_; }
  // The mode it is open in, 0 when closed.
  int mode() const { return mode_; }
  bool isOpen() const { return mode_ != 0; }
  // The order next() and prev() follow: a key index or kFileOrder.
  int order() const { return order_; }
  const Error& error() const { return error_; }
  int errorCode() const { return error_.code; }

  // --- the file ---
  // Opens an existing file in kShared, kExclusive or kReadOnly mode: 0, 2, 3, 5, 46 (not in
  // kExclusive), 47, 52, 90. A failed open leaves the instance closed and the file as it was.
  // In kReadOnly every write fails with 5.
  int open(int mode = kShared);
  // Closes the instance; an unflushed stream is committed first, an open transaction rolled
  // back.
  int close();
  // Makes the file empty, replacing an existing one (also one of another layout or not a
  // database). The instance must be closed (52 otherwise).
  int create();
  // Deletes the file. The instance must be closed; 5 while another station holds it.
  int remove();

  // --- positioning and reading; every read fills the buffer ---
  // Before the first record of an order: next() reads the first record, prev() the last.
  int set(int order);
  // Before the first record in record-number order, as set(kFileOrder), but the reads that
  // follow get only the records that meet `filter`: SQLite tests it and the others never leave
  // the database, so a scan that needs few of the records reads no more than those. The
  // records left out are not read at all: a fault in one of them is not reported, as for a
  // record beyond the range of a scan in a key's order. Any other positioning ends the filter.
  // 90 (code 21) for a condition on no text field or beyond its width.
  int setFiltered(const RecordFilter& filter);
  // At the first record of a key whose key is not less than the key fields now in the buffer:
  // next() reads it, prev() reads the last record whose key is not greater.
  int setByKey(int key);
  // The number of the current record; 0 when there is none.
  int64_t recordNumber() const { return hasCurrent_ ? currentId_ : 0; }
  // The next or previous record in the current order; 33 when there is none. In a key's order
  // 46 while the keys are out of date (reading in kFileOrder still works then).
  int next();
  int prev();
  // True when no record follows in the current order (a forward read would give 33).
  bool eof();
  // The first record in a key's order whose key equals the key fields in the buffer (33 when
  // none); reading goes on from it in that order.
  int get(int key);
  // The record with this record number. Number 0 (or any number without a record) gives 33
  // and leaves the instance without a current record, as an insert wants it.
  int getByNumber(int64_t number);
  // A token of at most 512 printable bytes for the current record in an order (a key index or
  // kFileOrder), made of the record number and the key fields now in the buffer. Equal tokens
  // name the same record. Empty on failure.
  std::string position(int order);
  void position(int order, std::string& into);  // the same into `into`, reusing its storage
  // The record a token names, whatever key values it carries (another station may have
  // changed them since); 0 for a token that is not this file's.
  int64_t recordOf(std::string_view token) const;
  // Reads the record of a token again (33 when it is gone) and goes on from it in the token's
  // order. Trailing blanks or NULs after a token are ignored. After a failure there is no
  // current record: put() and erase() give 33 until a record is read.
  int reget(std::string_view token);
  // Positions at a token without reading: next() and prev() both start with the token's
  // record, or, when it was deleted meanwhile, with its neighbours where it would have been.
  int reset(std::string_view token);

  // --- writing, from the buffer ---
  int add();  // a new record, keys maintained; it becomes the current record
  // A new record without key maintenance, for bulk loads inside a stream: the first append
  // marks the keys out of date and drops their indexes (in the same transaction), and keyed
  // reads give 46, here and at other stations, until buildKeys().
  int append();
  // Rewrites the current record (33 when there is none). When it was read under watch(), 89
  // if another station changed or deleted it since: nothing is written.
  int put();
  int erase();  // deletes the current record; reading goes on from its place
  // The next read notes the state of the record it reads for put().
  int watch();
  // Remakes every key and marks the keys valid. A rebuild that `stop` ends (it is asked now
  // and then) fails and changes nothing.
  int buildKeys(const std::function<bool()>& stop = {});
  int64_t records();  // the number of records; -1 on failure

  // --- runs of writes and transactions ---
  // A stream gathers the following writes into one transaction until flush(); inside a
  // transaction it does nothing.
  int stream();
  int flush();
  // A transaction over this file: waits at most timeoutSeconds for other stations' writes.
  int begin(int timeoutSeconds);
  int commit();  // 0 when none is active
  // 0 when none is active. Puts back the current record (with its version, so that a watched
  // rewrite can be tried again) and the cursor as they were when the transaction began.
  int rollback();

  // --- runs of reads ---
  // The reads until the matching releaseReads() see one snapshot of the file and take its read
  // lock once, instead of once per fetch or lookup. Holds nest. The read lock makes other
  // stations' writes wait, so a hold must stay short: never across a dialog (suspendReads()
  // ends the snapshot early; the reads after it are taken one by one) and never across writes
  // (a write, transaction or stream ends the snapshot first). They neither fail nor change
  // error(): without the snapshot every read simply takes the lock on its own.
  void holdReads();
  void releaseReads();
  void suspendReads();
  bool readsHeld() const { return readHeld_; }
  // A stamp of the file's contents: equal stamps mean that nothing was written to the file
  // in between, by this instance or any other station (the file replaced included). 0 when
  // it cannot be told, which equals no stamp.
  uint64_t contentStamp();
  // The next fetch after a positioning reads this many records instead of the usual first
  // fetch: a caller that knows how many it will read reads no more.
  void setFetchHint(size_t records) { fetchHint_ = records; }

  // How long a call waits for another station's lock before failing with 5 (default 5000 ms).
  void setBusyLimit(int milliseconds);
  // A file that is made anew before every use (the search's result file) need not wait for
  // its writes to reach the disk: a crash of the machine may then lose or damage it, never
  // another file. Files are durable unless told otherwise before they are created or opened.
  void setDurable(bool durable);
  // Statements stepped and not reset on this instance's connection: always 0 between calls.
  int activeStatements() const;

 private:
  Error shutDown();
  int finish(Error e);
  int finish(int code, std::string text);
  int finishRead(Error e);
  bool usable();
  bool ready();
  void take(int64_t id, int64_t version, const char* image, bool isRead, detail::KeyValue&& key);
  detail::KeyValue writtenKey(int64_t id) const;
  void saveCursor();
  void restoreCursor();
  void dropAhead();
  void pinCursor();
  detail::Bound boundFor(detail::Direction dir) const;
  int read(detail::Direction dir);
  Error fetch(detail::Direction dir);
  bool resetsToCurrent(const detail::Token& token);
  int write(bool maintainKeys);
  void endHeldRead();
  void endFilter();

  detail::Schema schema_;
  void* buffer_;
  std::string path_;
  std::unique_ptr<detail::Store> store_;
  int mode_ = 0;
  Error error_;
  int busyLimitMs_ = 5000;
  bool durable_ = true;
  bool streaming_ = false;

  // The cursor: the order, and where the next read in each direction starts. After a read it
  // starts next to the current record (fromCurrent_), whose key is computed only when needed.
  int order_ = kFileOrder;
  bool filtered_ = false;  // setFiltered() is in force
  detail::Bound forward_;
  detail::Bound backward_;
  bool fromCurrent_ = false;

  // Rows fetched ahead in one direction, served by the following reads.
  detail::Batch ahead_;
  size_t aheadPos_ = 0;
  detail::Direction aheadDir_ = detail::Direction::kForward;
  size_t fetchSize_ = 0;
  size_t fetchHint_ = 0;
  uint64_t aheadStamp_ = 0;  // the content stamp the rows were read under in a hold; 0 for none
  bool replay_ = false;      // the next read gives the current record again

  int holds_ = 0;          // holdReads() not yet released
  bool readHeld_ = false;  // the read transaction of a hold is open

  // The current record as it was read (not as the caller may have changed the buffer since).
  bool hasCurrent_ = false;
  int64_t currentId_ = 0;
  int64_t currentVersion_ = 0;
  std::string currentImage_;
  detail::KeyValue currentKey_;  // its key as the file stores it, in currentKeyOrder_
  int currentKeyOrder_ = kFileOrder;
  // Kept between reads of one record (a lookup for every row of a list) for their storage.
  detail::Row scratch_;
  detail::KeyValue probe_;
  bool watchArmed_ = false;  // the next read is watched
  bool watched_ = false;     // the current record was read under watch

  // The cursor and current record as they were when the transaction or stream began.
  struct Cursor {
    int order = kFileOrder;
    detail::Bound forward;
    detail::Bound backward;
    bool fromCurrent = false;
    bool hasCurrent = false;
    int64_t id = 0;
    int64_t version = 0;
    std::string image;
    detail::KeyValue key;
    int keyOrder = kFileOrder;
    bool watched = false;
  };
  Cursor saved_;
  bool hasSaved_ = false;
};

}  // namespace storage
