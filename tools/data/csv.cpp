#include "csv.h"

#include <sstream>

namespace datatool {

int CsvReader::peek() {
  return in_.sgetc();
}

int CsvReader::get() {
  return in_.sbumpc();
}

bool CsvReader::fail(int line, std::string what) {
  error_ = {line, std::move(what)};
  return false;
}

bool CsvReader::add(std::string& field, int c) {
  if (field.size() >= kMaxCsvField)
    return fail(line_, "a field longer than " + std::to_string(kMaxCsvField) + " bytes");
  field += static_cast<char>(c);
  return true;
}

bool CsvReader::next(CsvRecord& record) {
  constexpr int kEnd = std::char_traits<char>::eof();
  if (!error_.what.empty()) return false;
  if (!started_) {
    started_ = true;
    // A byte-order mark: its first byte begins no text a CSV file of ours holds.
    if (peek() == 0xEF) {
      get();
      if (get() != 0xBB || get() != 0xBF) return fail(1, "a damaged byte-order mark");
    }
  }
  std::string field;
  for (;;) {
    if (peek() == kEnd) return false;
    record.line = line_;
    record.fields.clear();
    bool endOfRecord = false;
    while (!endOfRecord) {
      field.clear();
      int c = peek();
      if (c == '"') {
        const int opened = line_;
        get();
        for (;;) {
          c = get();
          if (c == kEnd) return fail(opened, "a quoted field is not closed");
          if (c == '"') {
            if (peek() != '"') break;
            get();
          } else if (c == '\n') {
            ++line_;
          }
          if (!add(field, c)) return false;
        }
        c = peek();
        if (c != kEnd && c != ',' && c != '\n' && c != '\r')
          return fail(line_, "text after a closing quote");
      } else {
        while ((c = peek()) != kEnd && c != ',' && c != '\n' && c != '\r') {
          if (c == '"') return fail(line_, "a quote inside an unquoted field");
          if (!add(field, get())) return false;
        }
      }
      record.fields.push_back(field);
      c = peek();
      if (c == kEnd) {
        endOfRecord = true;
      } else if (c == ',') {
        get();
      } else {
        if (c == '\r') get();
        if (peek() == '\n') get();
        ++line_;
        endOfRecord = true;
      }
    }
    const bool blank = record.fields.size() == 1 && record.fields[0].empty();
    if (!blank) return true;
  }
}

std::vector<CsvRecord> parseCsv(std::string_view text, CsvError& error) {
  std::istringstream in{std::string(text)};
  CsvReader reader(in);
  std::vector<CsvRecord> records;
  CsvRecord record;
  while (reader.next(record)) records.push_back(record);
  error = reader.error();
  return records;
}

std::string csvLine(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    const std::string& f = fields[i];
    if (f.find_first_of(",\"\r\n") == std::string::npos) {
      out += f;
      continue;
    }
    out += '"';
    for (char c : f) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out + "\r\n";
}

}  // namespace datatool
