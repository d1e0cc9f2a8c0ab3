#include "storage/view.h"

#include <cstring>

#include "storage/record_fields.h"

namespace storage {
namespace {

constexpr size_t kMaxLookups = 1024;

bool isText(const Field& f) {
  return f.type != FieldType::kLong;
}

}  // namespace

int View::finish(Error e) {
  error_ = std::move(e);
  setLastError(error_);
  return error_.code;
}

int View::join(KeyedFile& lookup, int lookupKey, std::vector<std::string> primaryFields) {
  const FileDecl& pd = primary_.decl();
  const FileDecl& ld = lookup.decl();
  auto bad = [&](const std::string& why) {
    return finish(
        Error{kDriverError, 21, "cannot join " + ld.name + " to " + pd.name + ": " + why});
  };
  if (lookupKey < 0 || lookupKey >= static_cast<int>(ld.keys.size())) return bad("no such key");
  const Key& key = ld.keys[lookupKey];
  if (primaryFields.size() != key.components.size()) return bad("one field per key component");
  Join j;
  j.file = &lookup;
  j.key = lookupKey;
  for (size_t i = 0; i < primaryFields.size(); ++i) {
    const int from = pd.fieldIndex(primaryFields[i]);
    const int to = ld.fieldIndex(key.components[i]);
    if (from < 0 || to < 0) return bad("no field " + primaryFields[i]);
    if (isText(pd.fields[from]) != isText(ld.fields[to]))
      return bad(primaryFields[i] + " is of another kind");
    j.from.push_back(from);
    j.to.push_back(to);
  }
  joins_.push_back(std::move(j));
  return finish({});
}

int View::open() {
  if (!primary_.isOpen())
    return finish(Error{kDriverError, 21, primary_.name() + ": file not open"});
  for (const Join& j : joins_) {
    if (!j.file->isOpen())
      return finish(Error{kDriverError, 21, j.file->name() + ": file not open"});
  }
  open_ = true;
  return finish({});
}

int View::close() {
  open_ = false;
  return finish({});
}

bool View::ready() {
  if (open_) return true;
  finish(Error{kDriverError, 21, "view of " + primary_.decl().name + " not open"});
  return false;
}

// Fills every lookup buffer for the primary record just read. A missing lookup record is no
// error: the primary record is still read, with the lookup buffer cleared.
int View::afterRead(int code) {
  if (code != kOk) return finish(primary_.error());
  const FileDecl& pd = primary_.decl();
  for (Join& j : joins_) {
    const FileDecl& ld = j.file->decl();
    char* buffer = static_cast<char*>(j.file->buffer());
    std::string& lookedFor = lookedFor_;
    lookedFor.clear();
    for (size_t i = 0; i < j.from.size(); ++i) {
      const Field& from = pd.fields[j.from[i]];
      const Field& to = ld.fields[j.to[i]];
      if (isText(from)) {
        setText(to, buffer, storedText(from, primary_.buffer()));
      } else {
        setLong(to, buffer, longValue(from, primary_.buffer()));
      }
      lookedFor.append(buffer + to.offset, to.width);
    }
    // While the lookup file is unchanged the same lookup finds the same record: it is not
    // read again. The stamp is compared once in a run of reads, in its snapshot.
    const bool keep = holds_ > 0 && j.file->readsHeld();
    if (keep && !j.checked) {
      const uint64_t stamp = j.file->contentStamp();
      if (stamp == 0 || stamp != j.stamp) j.made.clear();
      j.stamp = stamp;
      j.checked = true;
    }
    const bool known = keep && j.stamp != 0;
    if (known) {
      const auto it = j.made.find(lookedFor);
      if (it != j.made.end()) {
        if (it->second.empty()) {
          clearRecord(ld, buffer);
        } else {
          std::memcpy(buffer, it->second.data(), ld.recordSize);
        }
        continue;
      }
    }
    const int rc = j.file->get(j.key);
    if (rc == kNoRecord) {
      clearRecord(ld, buffer);
    } else if (rc != kOk) {
      return finish(j.file->error());
    }
    if (known) {
      // A lookup file far larger than a page's worth of lookups is not held whole.
      if (j.made.size() >= kMaxLookups) j.made.clear();
      j.made.emplace(lookedFor, rc == kOk ? std::string(buffer, ld.recordSize) : std::string());
    }
  }
  return finish({});
}

void View::forgetLookups() {
  for (Join& j : joins_) j.checked = false;
}

void View::holdReads() {
  if (holds_++ > 0) return;
  forgetLookups();
  primary_.holdReads();
  for (Join& j : joins_) j.file->holdReads();
}

void View::releaseReads() {
  if (holds_ == 0 || --holds_ > 0) return;
  forgetLookups();
  primary_.releaseReads();
  for (Join& j : joins_) j.file->releaseReads();
}

void View::suspendReads() {
  forgetLookups();
  primary_.suspendReads();
  for (Join& j : joins_) j.file->suspendReads();
}

std::vector<uint64_t> View::contentStamps() {
  std::vector<uint64_t> stamps{primary_.contentStamp()};
  for (const Join& j : joins_) stamps.push_back(j.file->contentStamp());
  return stamps;
}

int View::set(int key) {
  return ready() ? finish(primary_.set(key) ? primary_.error() : Error{}) : error_.code;
}

int View::setByKey(int key) {
  return ready() ? finish(primary_.setByKey(key) ? primary_.error() : Error{}) : error_.code;
}

int View::next() {
  return ready() ? afterRead(primary_.next()) : error_.code;
}

int View::prev() {
  return ready() ? afterRead(primary_.prev()) : error_.code;
}

bool View::eof() {
  if (!ready()) return true;
  const bool end = primary_.eof();
  finish(primary_.error());
  return end;
}

int View::reget(std::string_view token) {
  return ready() ? afterRead(primary_.reget(token)) : error_.code;
}

int View::reset(std::string_view token) {
  return ready() ? finish(primary_.reset(token) ? primary_.error() : Error{}) : error_.code;
}

std::string View::position() {
  std::string token;
  position(token);
  return token;
}

void View::position(std::string& token) {
  token.clear();
  if (!ready()) return;
  primary_.position(primary_.order(), token);
  finish(primary_.error());
}

int View::watch() {
  return ready() ? finish(primary_.watch() ? primary_.error() : Error{}) : error_.code;
}

}  // namespace storage
