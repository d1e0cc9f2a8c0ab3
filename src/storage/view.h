#pragma once
// A view reads a primary file in one of its keys' order and, with every record, fills the
// buffers of lookup files joined to it by a key: the city directory reads PHONE and, for each
// subscriber, the STREET record whose NUM equals the subscriber's street number.

#include <string>
#include <string_view>
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
  int watch();

 private:
  struct Join {
    KeyedFile* file;
    int key;
    std::vector<int> from;  // primary field per lookup key component
  };
  int finish(Error e);
  bool ready();
  int afterRead(int code);

  KeyedFile& primary_;
  std::vector<Join> joins_;
  bool open_ = false;
  Error error_;
};

}  // namespace storage
