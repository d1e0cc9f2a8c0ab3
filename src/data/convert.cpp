#include "data/convert.h"

#include <cstring>
#include <string_view>

#include "data/file_opening.h"
#include "data/files.h"
#include "data/standard_warning.h"
#include "layout/convert_window.h"
#include "layout/windows.h"
#include "runtime/binding.h"
#include "runtime/runtime.h"
#include "shell/procedure.h"

namespace phonedir {
namespace {

// Rewrites, in key order, every number that begins with `prefix`.
void convertRange(std::string_view prefix, int32_t& NUM, int progress) {
  storage::KeyedFile& phone = files().PHONE;
  std::memset(PHO.PHONE, ' ', sizeof PHO.PHONE);
  std::memcpy(PHO.PHONE, prefix.data(), prefix.size());
  NUM = 0;
  phone.setByKey(PHO_NUM_KEY);
  for (;;) {
    // A record that cannot be read ends the range, reported; the next start-up checks again.
    const bool end = phone.eof();
    if (phone.errorCode() != 0 || (!end && phone.next() != 0)) {
      STANDARDWARNING(35, "Phone");
      break;
    }
    if (end) break;
    if (std::string_view(PHO.PHONE, prefix.size()) != prefix) break;
    if (runtime::stopping()) {
      // Half a conversion must not stay: the next start decides by one number whether any
      // old ones remain.
      phone.rollback();
      runtime::stopThread();
    }
    NUM = nextProgress(NUM);
    runtime::display(progress);
    // Only the NUL of the old form becomes a blank: the sixth digit of a six-digit number is
    // part of the number. A record that cannot be written stays in the old form.
    if (PHO.PHONE[5] == '\0') PHO.PHONE[5] = ' ';
    phone.put();
  }
}

}  // namespace

int32_t nextProgress(int32_t NUM) {
  return NUM + 1 > 100 ? 1 : NUM + 1;
}

void CONVERT() {
  RequestScope request;
  int32_t NUM = 0;
  OPENFILE_PHONE();
  runtime::openWindow(layout::convertWindow());
  const int progress = layout::convert::NUM;
  runtime::bind(progress, runtime::bindLong(NUM));
  CHECKOPEN(files().PHONE);
  files().PHONE.stream();
  runtime::control(progress).rangeHigh = 100;
  convertRange("3", NUM, progress);
  convertRange("521", NUM, progress);
  files().PHONE.flush();
  runtime::beep();
  CLOSEFILE_PHONE();
  runtime::closeWindow();
}

}  // namespace phonedir
