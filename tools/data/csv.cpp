#include "csv.h"

namespace datatool {

std::vector<CsvRecord> parseCsv(std::string_view text, CsvError& error) {
  std::vector<CsvRecord> records;
  error = {};
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a byte-order mark
  size_t i = 0;
  int line = 1;
  while (i < text.size()) {
    CsvRecord record;
    record.line = line;
    std::string field;
    bool endOfRecord = false;
    while (!endOfRecord) {
      field.clear();
      if (i < text.size() && text[i] == '"') {
        const int opened = line;
        ++i;
        for (;;) {
          if (i >= text.size()) {
            error = {opened, "a quoted field is not closed"};
            return records;
          }
          const char c = text[i++];
          if (c == '"') {
            if (i < text.size() && text[i] == '"') {
              field += '"';
              ++i;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          field += c;
        }
        if (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
          error = {line, "text after a closing quote"};
          return records;
        }
      } else {
        while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
          if (text[i] == '"') {
            error = {line, "a quote inside an unquoted field"};
            return records;
          }
          field += text[i++];
        }
      }
      record.fields.push_back(field);
      if (i >= text.size()) {
        endOfRecord = true;
      } else if (text[i] == ',') {
        ++i;
      } else {
        if (text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
        ++line;
        endOfRecord = true;
      }
    }
    const bool blank = record.fields.size() == 1 && record.fields[0].empty();
    if (!blank) records.push_back(std::move(record));
  }
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
