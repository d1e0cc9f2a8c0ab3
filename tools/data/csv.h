#pragma once
// Comma-separated values as RFC 4180 has them: fields split by commas, records by line breaks
// (CRLF or LF), fields in double quotes may hold commas, quotes (doubled) and line breaks.
// Read one record at a time, so that a file of any size is read in little memory.

#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace datatool {

struct CsvRecord {
  int line = 0;  // the line the record starts on, from 1
  std::vector<std::string> fields;
};

struct CsvError {
  int line = 0;
  std::string what;
};

// A field longer than this is a syntax error: no field of a data file comes near it, and it
// keeps a file without line breaks from filling memory.
inline constexpr size_t kMaxCsvField = 65536;

// Reads records from a stream. Empty lines are skipped; a byte-order mark is passed over. On a
// syntax error (a quote inside an unquoted field, text after a closing quote, a quote left
// open, a field too long) next() returns false and error() says what and where.
class CsvReader {
 public:
  explicit CsvReader(std::istream& in) : in_(*in.rdbuf()) {}
  bool next(CsvRecord& record);
  const CsvError& error() const { return error_; }

 private:
  int peek();
  int get();
  bool fail(int line, std::string what);
  bool add(std::string& field, int c);

  std::streambuf& in_;
  int line_ = 1;
  bool started_ = false;
  CsvError error_;
};

// Parses a whole text; on a syntax error `error` is set and the records before it returned.
std::vector<CsvRecord> parseCsv(std::string_view text, CsvError& error);

// One record as a line ending with CRLF, quoting the fields that need it.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace datatool
