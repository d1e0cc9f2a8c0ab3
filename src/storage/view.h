#pragma once
// A view reads a primary file in one of its keys' order and, with every record, fills the
// buffers of lookup files joined to it by a key: the city directory reads PHONE and, for each
// subscriber, the STREET record whose NUM equals the subscriber's street number.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "storage/keyed_file.h"

namespace storage {

// The view keeps no cursor of its own: it positions and reads through the primary file's
// instance, so positioning the primary's key and then reading through the view reads from
// there. The files must be open (on the caller's thread) while the view is open.
class View {
 public:
  explicit View(KeyedFile& primary) : primary_(primary) {}

  // Joins a lookup file: after each read, its buffer holds the record of `lookupKey` whose
  // components equal the primary's `primaryFields` (one per component, of the same kind: text
  // or LONG), or is cleared (text to blanks or empty, numbers to 0) when there is none.
  int join(KeyedFile& lookup, int lookupKey, std::vector<std::string> primaryFields);

  // Opening checks that the primary and every lookup file are open.
  int open();
  int close();
  bool isOpen() const { return open_; }
  const Error& error() const { return error_; }

  // As the primary's operations of the same names, with the lookups filled after each read.
  int set(int key);
  int setByKey(int key);
  int next();
  int prev();
  bool eof();
  int reget(std::string_view token);
  int reset(std::string_view token);
  std::string position();  // in the primary's current order
  void position(std::string& into);
  int watch();

  // A run of reads in one snapshot of the primary and of every lookup file, as
  // KeyedFile::holdReads() says. Within it a lookup made before is not read again while the
  // lookup file's content stamp is the one it was made under, in this run or an earlier one:
  // reading it again would give the same record.
  void holdReads();
  void releaseReads();
  void suspendReads();
  // The content stamps of the primary and of every lookup file, in that order.
  std::vector<uint64_t> contentStamps();
  void setFetchHint(size_t records) { primary_.setFetchHint(records); }

 private:
  struct Join {
    KeyedFile* file = nullptr;
    int key = 0;
    std::vector<int> from;  // primary field per lookup key component
    std::vector<int> to;    // the lookup's field of each component
    // Lookups made while the file's content stamp was `stamp` (none when it is 0), by their
    // key fields: the record found, or an empty string for none. `checked`: the stamp has
    // been compared in this run of reads.
    uint64_t stamp = 0;
    bool checked = false;
    std::unordered_map<std::string, std::string> made;
  };
  void forgetLookups();
  int finish(Error e);
  bool ready();
  int afterRead(int code);

  KeyedFile& primary_;
  std::vector<Join> joins_;
  bool open_ = false;
  int holds_ = 0;
  Error error_;
  std::string lookedFor_;  // the key fields of the lookup being made
};

// Holds a view's reads (View::holdReads) for as long as it lives.
class HeldReads {
 public:
  explicit HeldReads(View& view) : view_(view) { view_.holdReads(); }
  ~HeldReads() { view_.releaseReads(); }
  HeldReads(const HeldReads&) = delete;
  HeldReads& operator=(const HeldReads&) = delete;

 private:
  View& view_;
};

}  // namespace storage
