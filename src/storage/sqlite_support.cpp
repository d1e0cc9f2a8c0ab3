#include "storage/sqlite_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/locale/collation.h"

namespace storage::detail {
namespace {

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

Error makeError(int code, int driverCode, std::string text) {
  return Error{code, driverCode, std::move(text)};
}

Error misuse(std::string text) {
  return makeError(kDriverError, SQLITE_MISUSE, std::move(text));
}

Error sqliteError(sqlite3* db, int rc) {
  std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  const int primary = rc & 0xff;
  int code = kDriverError;
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_PERM ||
      (primary == SQLITE_READONLY && rc != SQLITE_READONLY_DBMOVED)) {
    code = kAccessDenied;
  } else if (text.rfind("no such index", 0) == 0) {
    code = kKeysInvalid;
  }
  return makeError(code, rc, std::move(text));
}

Error errnoError(int err, const std::string& path) {
  const int code = (err == EACCES || err == EPERM || err == EROFS) ? kAccessDenied : kDriverError;
  return makeError(code, err, path + ": " + std::strerror(err));
}

Error checkPath(const std::string& path, bool fileMustExist, bool writable) {
  struct stat st {};
  const std::string dir = directoryOf(path);
  if (::stat(dir.c_str(), &st) != 0) {
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR)
      return makeError(kPathNotFound, err, dir + ": no such directory");
    return errnoError(err, dir);
  }
  if (!S_ISDIR(st.st_mode)) return makeError(kPathNotFound, ENOTDIR, dir + ": not a directory");
  // Opening a pipe or a device of the file's name would wait for ever for its other end.
  const auto notAFile = [&path](const struct stat& s) {
    return S_ISDIR(s.st_mode) ? makeError(kDriverError, EISDIR, path + ": is a directory")
                              : makeError(kDriverError, EINVAL, path + ": not a regular file");
  };
  if (!fileMustExist) {
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return notAFile(st);
    return {};
  }
  if (::stat(path.c_str(), &st) != 0) {
    const int err = errno;
    if (err == ENOENT) return makeError(kFileNotFound, err, path + ": no such file");
    if (err == ENOTDIR) return makeError(kPathNotFound, err, path + ": no such directory");
    return errnoError(err, path);
  }
  if (!S_ISREG(st.st_mode)) return notAFile(st);
  if (::access(path.c_str(), writable ? R_OK | W_OK : R_OK) != 0) return errnoError(errno, path);
  return {};
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string collationStamp() {
  uint64_t h = 1469598103934665603ULL;
  for (int b = 0; b < 256; ++b) {
    h ^= runtime::collationWeight(static_cast<unsigned char>(b));
    h *= 1099511628211ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

Stepping::~Stepping() {
  if (!slot_.stmt) return;
  sqlite3_reset(slot_.stmt);
  if (discard_) {
    sqlite3_finalize(slot_.stmt);
    slot_.stmt = nullptr;
  }
}

}  // namespace storage::detail
