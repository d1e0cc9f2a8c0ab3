#include "shell/frame_startup.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "data/convert.h"
#include "data/file_opening.h"
#include "data/files.h"
#include "data/standard_warning.h"
#include "runtime/field.h"

namespace phonedir {

void FrameFiles::open() {
  OPENFILE_PHONE();
  FILESOPENED = true;
}

namespace {

// Whether the first number at or after `probe` is in the old five-digit form (a NUL in its
// sixth character) and, when `range` is given, begins with it. At the end of the file the
// buffer keeps the probe, whose sixth character is a blank. A read that fails is reported; a
// file whose keys it found out of date is rebuilt first and read again. Nothing when the read
// failed.
std::optional<bool> oldNumberAt(std::string_view probe, std::string_view range) {
  storage::KeyedFile& phone = files().PHONE;
  for (int attempt = 0;; ++attempt) {
    std::memcpy(PHO.PHONE, runtime::padRight(probe, sizeof PHO.PHONE).data(), sizeof PHO.PHONE);
    phone.setByKey(PHO_NUM_KEY);
    const int code = phone.next();
    if (code == storage::kOk) break;
    if (code == storage::kNoRecord) return false;
    if (code == storage::kKeysInvalid && attempt == 0) {
      phone.close();
      CHECKOPEN(phone);
      continue;
    }
    STANDARDWARNING(35, "Phone");
    return std::nullopt;
  }
  if (std::string_view(PHO.PHONE, range.size()) != range) return false;
  return PHO.PHONE[5] == '\0';
}

}  // namespace

void FrameFiles::convertOldNumbers() {
  storage::KeyedFile& phone = files().PHONE;
  CHECKOPEN(phone);
  // The number the old form's last numbers lay around, then the start of each range the
  // conversion rewrites, so that old numbers all below the first probe are found too. A file
  // that cannot be read is reported once and left alone.
  const std::pair<std::string_view, std::string_view> probes[] = {
      {"35146", ""}, {"3", "3"}, {"521", "521"}};
  for (const auto& [probe, range] : probes) {
    const std::optional<bool> old = oldNumberAt(probe, range);
    if (!old) break;
    if (*old) {
      CONVERT();
      break;
    }
  }
  phone.close();
}

void FrameFiles::close() {
  if (FILESOPENED) CLOSEFILE_PHONE();
  FILESOPENED = false;
}

}  // namespace phonedir
