#pragma once
// Comma-separated values as RFC 4180 has them: fields split by commas, records by line breaks
// (CRLF or LF), fields in double quotes may hold commas, quotes (doubled) and line breaks.

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

// Parses a whole text. Empty lines are skipped. On a syntax error (a quote inside an unquoted
// field, text after a closing quote, a quote left open) `error` is set and parsing stops.
std::vector<CsvRecord> parseCsv(std::string_view text, CsvError& error);

// One record as a line ending with CRLF, quoting the fields that need it.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace datatool
