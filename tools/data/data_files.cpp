#include "data_files.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "csv.h"
#include "data/records.h"
#include "runtime/field.h"
#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"

namespace datatool {
namespace {

using storage::FieldType;

std::string upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

const storage::FileDecl* declaration(const std::string& file) {
  const std::string name = upper(file);
  for (const storage::FileDecl* d : {&phonedir::PHONE_FILE(), &phonedir::STREET_FILE(),
                                     &phonedir::PERSONAL_FILE(), &phonedir::POISK_FILE()}) {
    if (d->name == name) return d;
  }
  return nullptr;
}

std::string pathOf(const std::string& dir, const storage::FileDecl& decl) {
  return (std::filesystem::path(dir) / (decl.name + ".db")).string();
}

// What the driver said, for a person: its text for the code and its own details.
std::string why(const storage::KeyedFile& f) {
  const storage::Error& e = f.error();
  std::string s = std::string(storage::errorText(e.code)) + " (" + std::to_string(e.code) + ")";
  if (!e.driverText.empty()) s += ": " + e.driverText;
  return s;
}

int unknownFile(const std::string& file, std::ostream& err) {
  err << "phonedir-data: unknown file '" << file << "' (PHONE, STREET, PERSONAL or POISK)\n";
  return 1;
}

// A value as an error message quotes it: at most 60 characters, control characters as '?'.
std::string shown(const std::string& utf8) {
  constexpr size_t kShown = 60;
  std::string out;
  size_t characters = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if ((c & 0xC0) != 0x80 && characters++ == kShown) return "'" + out + "...'";
    out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
  }
  return "'" + out + "'";
}

// Puts one CSV value into its field; an empty string when it fits, else what is wrong.
std::string putValue(const storage::Field& f, const std::string& utf8, void* record) {
  if (f.type == FieldType::kLong) {
    std::string_view v = utf8;
    while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    int32_t n = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || ec != std::errc() || p != v.data() + v.size()) {
      return shown(utf8) + " is not a number" +
             (ec == std::errc::result_out_of_range ? " of 32 bits" : "");
    }
    storage::setLong(f, record, n);
    return {};
  }
  const auto text = runtime::fromUtf8(utf8);
  if (!text) return shown(utf8) + " holds a character that CP1251 cannot hold";
  // A NUL in a phone number would make the next start-up take the numbers for the old form.
  for (size_t i = 0; i < text->size(); ++i) {
    const auto c = static_cast<unsigned char>((*text)[i]);
    if (c < 0x20 || c == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02X", c);
      return shown(utf8) + " holds a control character (" + code + ") at character " +
             std::to_string(i + 1);
    }
  }
  const size_t room = runtime::textRoom(f.type, f.width);
  if (text->size() > room) {
    return shown(utf8) + " is too long: " + std::to_string(text->size()) +
           " characters, room for " + std::to_string(room);
  }
  storage::setText(f, record, *text);
  return {};
}

std::string getValue(const storage::Field& f, const void* record) {
  if (f.type == FieldType::kLong) return std::to_string(storage::longValue(f, record));
  std::string_view text = storage::storedText(f, record);
  if (f.type == FieldType::kString) {
    // A number of the older form ends at a NUL, which no CSV line may hold.
    text = runtime::trimRight(text.substr(0, text.find('\0')));
  }
  return runtime::toUtf8(text);
}

int findKey(const storage::FileDecl& decl, const std::string& key) {
  if (key.empty()) return 0;
  const std::string k = upper(key);
  for (size_t i = 0; i < decl.keys.size(); ++i) {
    const std::string name = upper(decl.keys[i].name);
    // "NUM_KEY", "PHO:NUM_KEY" and "PHO_NUM_KEY" all name the key.
    if (k == name ||
        (k.size() > name.size() && k.compare(k.size() - name.size(), name.size(), name) == 0 &&
         (k[k.size() - name.size() - 1] == ':' || k[k.size() - name.size() - 1] == '_'))) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

// Rows are checked and written one at a time inside one transaction, so memory does not grow
// with the file; any bad row (all of them are reported) rolls the whole load back.
int load(const std::string& dir, const std::string& file, const std::string& csvPath,
         std::ostream& out, std::ostream& err) {
  const storage::FileDecl* decl = declaration(file);
  if (!decl) return unknownFile(file, err);
  std::ifstream in(csvPath, std::ios::binary);
  if (!in) {
    err << "phonedir-data: cannot read " << csvPath << "\n";
    return 1;
  }
  CsvReader reader(in);
  CsvRecord row;
  auto syntaxError = [&] {
    err << csvPath << ":" << reader.error().line << ": " << reader.error().what
        << "\nnothing loaded\n";
    return 1;
  };
  if (!reader.next(row)) {
    if (!reader.error().what.empty()) return syntaxError();
    err << csvPath << ": no header row\nnothing loaded\n";
    return 1;
  }

  // The header names every field once, in any order.
  std::vector<int> fieldOfColumn;
  std::vector<bool> named(decl->fields.size(), false);
  for (const std::string& h : row.fields) {
    std::string name = upper(h);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    const int f = decl->fieldIndex(name);
    if (f < 0 || named[f]) {
      err << csvPath << ":" << row.line << ": header: " << (f < 0 ? "unknown" : "repeated")
          << " field " << shown(h) << "\nnothing loaded\n";
      return 1;
    }
    named[f] = true;
    fieldOfColumn.push_back(f);
  }
  for (size_t f = 0; f < named.size(); ++f) {
    if (!named[f]) {
      err << csvPath << ":" << row.line << ": header: field " << decl->fields[f].name
          << " is missing\nnothing loaded\n";
      return 1;
    }
  }

  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::string path = pathOf(dir, *decl);
  std::string record(decl->recordSize, '\0');
  storage::KeyedFile f(*decl, record.data(), path);
  int rc = f.open(storage::kExclusive);
  const bool created = rc == storage::kFileNotFound;
  if (created) {
    rc = f.create();
    if (rc == storage::kOk) rc = f.open(storage::kExclusive);
  }
  if (rc != storage::kOk) {
    err << "phonedir-data: cannot open " << path << ": " << why(f) << "\nnothing loaded\n";
    return 1;
  }
  auto nothingLoaded = [&] {
    f.rollback();
    f.close();
    if (created) f.remove();
    return 1;
  };

  // A key that admits no equal values (the street's number) takes a value once: a row that
  // repeats one, of another row or of a record already in the file, is a bad row. Appends are
  // not held to the key, so the load holds them to it here.
  std::vector<int> uniqueKeys;
  for (size_t k = 0; k < decl->keys.size(); ++k) {
    if (decl->keys[k].unique) uniqueKeys.push_back(static_cast<int>(k));
  }
  // Per unique key, each value taken and its line (0: a record already in the file).
  std::vector<std::map<std::string, size_t>> taken(uniqueKeys.size());
  const auto keyValue = [&](int k) {
    std::string value;
    for (const std::string& name : decl->keys[k].components) {
      value += (value.empty() ? "" : ", ") +
               getValue(decl->fields[decl->fieldIndex(name)], record.data());
    }
    return value;
  };
  if (!uniqueKeys.empty() && f.set(storage::kFileOrder) == storage::kOk) {
    while (f.next() == storage::kOk) {
      for (size_t i = 0; i < uniqueKeys.size(); ++i) taken[i].emplace(keyValue(uniqueKeys[i]), 0);
    }
  }

  // One transaction: all rows or none. Into an empty file the rows are appended and the keys
  // built once afterwards; into a file that holds records (which stations may be reading) each
  // row is added with its keys, so that a few rows do not rebuild the keys of the whole file
  // and hold the other stations up for as long.
  const bool bulk = f.records() == 0;
  rc = f.begin(5);
  size_t count = 0;
  int bad = 0;
  while (rc == storage::kOk && reader.next(row)) {
    if (row.fields.size() != fieldOfColumn.size()) {
      err << csvPath << ":" << row.line << ": " << row.fields.size() << " fields, the header has "
          << fieldOfColumn.size() << "\n";
      ++bad;
      continue;
    }
    storage::clearRecord(*decl, record.data());
    bool rowBad = false;
    for (size_t c = 0; c < fieldOfColumn.size(); ++c) {
      const storage::Field& field = decl->fields[fieldOfColumn[c]];
      const std::string problem = putValue(field, row.fields[c], record.data());
      if (!problem.empty()) {
        err << csvPath << ":" << row.line << ": " << field.name << ": " << problem << "\n";
        rowBad = true;
      }
    }
    for (size_t i = 0; i < uniqueKeys.size() && !rowBad; ++i) {
      const std::string value = keyValue(uniqueKeys[i]);
      const auto [at, fresh] = taken[i].emplace(value, row.line);
      if (fresh) continue;
      err << csvPath << ":" << row.line << ": " << decl->keys[uniqueKeys[i]].name << " " << value
          << " is taken "
          << (at->second == 0 ? std::string("in the file")
                              : "on line " + std::to_string(at->second))
          << "\n";
      rowBad = true;
    }
    if (rowBad) {
      ++bad;
    } else if (bad == 0) {
      rc = bulk ? f.append() : f.add();
      ++count;
    }
  }
  if (rc != storage::kOk) {
    err << "phonedir-data: writing " << path << " failed: " << why(f) << "\nnothing loaded\n";
    return nothingLoaded();
  }
  if (!reader.error().what.empty()) {
    syntaxError();
    return nothingLoaded();
  }
  if (bad > 0) {
    err << "nothing loaded: " << bad << " bad row" << (bad == 1 ? "" : "s") << "\n";
    return nothingLoaded();
  }
  rc = f.commit();
  if (rc != storage::kOk) {
    err << "phonedir-data: writing " << path << " failed: " << why(f) << "\nnothing loaded\n";
    return nothingLoaded();
  }
  if (bulk && f.buildKeys() != storage::kOk) {
    err << "phonedir-data: " << count << " records loaded into " << path
        << ", but rebuilding the keys failed: " << why(f) << "\n";
    return 1;
  }
  f.close();
  out << "loaded " << count << " record" << (count == 1 ? "" : "s") << " into " << path << "\n";
  return 0;
}

int dump(const std::string& dir, const std::string& file, const std::string& key, std::ostream& out,
         std::ostream& err) {
  const storage::FileDecl* decl = declaration(file);
  if (!decl) return unknownFile(file, err);
  const int k = findKey(*decl, key);
  if (k < 0) {
    err << "phonedir-data: " << decl->name << " has no key '" << key << "' (";
    for (size_t i = 0; i < decl->keys.size(); ++i) err << (i ? ", " : "") << decl->keys[i].name;
    err << ")\n";
    return 1;
  }
  std::string record(decl->recordSize, '\0');
  const std::string path = pathOf(dir, *decl);
  storage::KeyedFile f(*decl, record.data(), path);
  // Read only: a dump never changes the file, whatever state it finds it in.
  if (f.open(storage::kReadOnly) != storage::kOk) {
    err << "phonedir-data: cannot open " << path << ": " << why(f) << "\n";
    if (f.errorCode() == storage::kKeysInvalid)
      err << "run: phonedir-data rebuild " << dir << " " << file << "\n";
    return 1;
  }
  std::vector<std::string> header;
  for (const storage::Field& field : decl->fields) header.push_back(field.name);
  out << csvLine(header);
  f.set(k);
  int rc;
  std::vector<std::string> values(decl->fields.size());
  while ((rc = f.next()) == storage::kOk) {
    for (size_t i = 0; i < decl->fields.size(); ++i)
      values[i] = getValue(decl->fields[i], record.data());
    out << csvLine(values);
  }
  if (rc != storage::kNoRecord) {
    err << "phonedir-data: reading " << path << " failed: " << why(f) << "\n";
    if (f.errorCode() == storage::kKeysInvalid)
      err << "run: phonedir-data rebuild " << dir << " " << file << "\n";
    return 1;
  }
  out.flush();
  if (!out) {
    err << "phonedir-data: the dump of " << path << " could not be written out whole\n";
    return 1;
  }
  return 0;
}

int rebuild(const std::string& dir, const std::string& file, std::ostream& out, std::ostream& err) {
  const storage::FileDecl* decl = declaration(file);
  if (!decl) return unknownFile(file, err);
  std::string record(decl->recordSize, '\0');
  const std::string path = pathOf(dir, *decl);
  storage::KeyedFile f(*decl, record.data(), path);
  if (f.open(storage::kExclusive) != storage::kOk || f.buildKeys() != storage::kOk) {
    err << "phonedir-data: cannot rebuild the keys of " << path << ": " << why(f) << "\n";
    return 1;
  }
  f.close();
  out << "rebuilt the keys of " << path << "\n";
  return 0;
}

}  // namespace datatool
