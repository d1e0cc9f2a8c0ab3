#pragma once
// A necessary condition on records that the database tests itself, so that a scan in
// record-number order hands over only the records that can matter to its caller.

#include <cstddef>
#include <string>
#include <vector>

namespace storage {

// The byte at `offset` of a text field, as a read puts it into the buffer (a STRING padded
// with blanks, a CSTRING with NULs), is one of `bytes`.
struct ByteCondition {
  int field = -1;  // index in the declaration's fields
  size_t offset = 0;
  std::string bytes;
};

// Every condition holds.
using RecordFilter = std::vector<ByteCondition>;

}  // namespace storage
