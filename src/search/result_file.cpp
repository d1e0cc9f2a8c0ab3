#include "search/result_file.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "data/files.h"
#include "data/records.h"

namespace phonedir::search {
namespace {

constexpr int kRenewAttempts = 3;

// "POISK-host-1234.db": the host and the process of the program that made it.
struct Owner {
  std::string host;
  long pid = 0;
};

bool parseName(const std::string& name, Owner& owner) {
  constexpr std::string_view kSuffix = ".db";
  if (name.size() <= kResultFilePrefix.size() + kSuffix.size() ||
      name.compare(0, kResultFilePrefix.size(), kResultFilePrefix) != 0 ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
    return false;
  }
  const std::string middle = name.substr(kResultFilePrefix.size(),
                                         name.size() - kResultFilePrefix.size() - kSuffix.size());
  const size_t dash = middle.rfind('-');
  if (dash == std::string::npos || dash == 0) return false;
  owner.host = middle.substr(0, dash);
  const char* first = middle.data() + dash + 1;
  const char* last = middle.data() + middle.size();
  const auto [end, ec] = std::from_chars(first, last, owner.pid);
  return ec == std::errc() && end == last && owner.pid > 0;
}

bool processAlive(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

int renewResultFile(storage::KeyedFile& file) {
  if (file.isOpen()) file.close();
  int rc = storage::kOk;
  for (int attempt = 0; attempt < kRenewAttempts; ++attempt) {
    rc = file.create();
    if (rc == storage::kOk) rc = file.open(storage::kExclusive);
    if (rc != storage::kFileNotFound) break;
  }
  return rc;
}

// The keys are built inside the run of appends, so that the appends and the keys reach the
// disk in one commit.
int finishResultFile(storage::KeyedFile& file) {
  int rc = file.buildKeys();
  if (rc == storage::kOk) rc = file.flush();
  if (rc != storage::kOk) file.rollback();
  return rc;
}

void removeResultFile(storage::KeyedFile& file) {
  if (file.isOpen()) file.close();
  file.remove();
}

int removeAbandonedResultFiles(const std::string& own) {
  Owner me;
  parseName(own, me);
  int removed = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
    const std::string name = entry.path().filename().string();
    Owner owner;
    if (name == own || !parseName(name, owner)) continue;
    if (owner.host == me.host && processAlive(owner.pid)) continue;
    POI_RECORD scratch{};
    storage::KeyedFile leftover(POISK_FILE(), &scratch, name);
    // Never wait: a program that holds its file holds it for as long as its window is open.
    leftover.setBusyLimit(0);
    if (leftover.remove() == storage::kOk) ++removed;
  }
  return removed;
}

}  // namespace phonedir::search
