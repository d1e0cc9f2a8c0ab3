#include "data/file_opening.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "data/standard_warning.h"
#include "layout/wait_window.h"
#include "layout/windows.h"
#include "runtime/binding.h"
#include "runtime/field.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"

namespace phonedir {
namespace {

std::string trim(std::string_view s) {
  s = runtime::trimRight(s);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return std::string(s);
}

runtime::Rect controlRect(const runtime::WindowDef& def, std::string_view label) {
  for (const runtime::ControlDef& c : def.controls) {
    if (c.label == label) return c.rect;
  }
  return {};
}

bool isSeparator(char c) {
  return c == '\\' || c == '/';
}

// The wait cursor as CHECKOPEN keeps it: on while an open is retried, off again at any exit.
class WaitCursor {
 public:
  ~WaitCursor() { off(); }
  void on() {
    if (!shown_) runtime::setWaitCursor(true);
    shown_ = true;
  }
  void off() {
    if (shown_) runtime::setWaitCursor(false);
    shown_ = false;
  }

 private:
  bool shown_ = false;
};

// CREATEFILE: an empty file, opened in the mode CHECKOPEN was asked for.
void CREATEFILE(storage::KeyedFile& file, int OPENMODE) {
  if (file.create() != 0) STANDARDWARNING(4, file.name());
  if (file.open(OPENMODE) != 0) STANDARDWARNING(5, file.name());
}

}  // namespace

void CHECKOPEN(storage::KeyedFile& file, std::optional<uint8_t> OVERRIDECREATE,
               std::optional<uint8_t> OVERRIDEOPENMODE) {
  const int OPENMODE = OVERRIDEOPENMODE ? int{*OVERRIDEOPENMODE} : int{storage::kShared};
  WaitCursor LOC_CURSORWAIT;
  // Measured as elapsed time: the time of day wraps at midnight.
  const auto TIME1 = std::chrono::steady_clock::now();
  // Another station holds the file (or is rebuilding its keys): ask again shortly rather than
  // spin the processor, for as long as the wait allows.
  auto waitedLongEnough = [&] {
    LOC_CURSORWAIT.on();
    const auto waited = std::chrono::steady_clock::now() - TIME1;
    if (runtime::stopping()) runtime::stopThread();
    if (waited < std::chrono::milliseconds(kOpenWaitHundredths * 10)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kOpenRetryMilliseconds));
      return false;
    }
    LOC_CURSORWAIT.off();
    return true;
  };
  bool rebuilt = false;
  for (;;) {
    const int code = file.open(OPENMODE);
    switch (code) {
      case 0:
      case 52:
        return;
      case 2:
      case 3:
        if (OVERRIDECREATE) {
          if (*OVERRIDECREATE != 1) {
            STANDARDWARNING(22, file.name());
            return;
          }
          if (code == 3) CREATEDIR(file.name());
          CREATEFILE(file, OPENMODE);
          return;
        }
        break;  // not to be created here: reported as a disk error below
      case 47:
        STANDARDWARNING(1, file.name());
        return;
      case 46:
        // A rebuild that leaves the keys out of date would otherwise loop for ever.
        if (rebuilt) break;
        if (BUILDKEYS(file)) {
          rebuilt = true;
          continue;
        }
        // Another station has the file to itself, most likely rebuilding the same keys: wait
        // for it as for any station that holds the file.
        if (!waitedLongEnough()) continue;
        break;
      case 5:
        if (!waitedLongEnough()) continue;
        break;
      default:
        break;
    }
    STANDARDWARNING(30, file.name());
    runtime::halt(runtime::cp("Ошибка диска"));
  }
}

void CREATEDIR(const std::string& FULLNAME) {
  size_t p = 1;  // the first character is never taken as a separator
  for (;;) {
    size_t s = p;
    while (s < FULLNAME.size() && !isSeparator(FULLNAME[s])) ++s;
    if (s >= FULLNAME.size()) return;
    p = s + 1;
    std::string LOC_TEMPFILE = trim(FULLNAME.substr(0, s));
    if (LOC_TEMPFILE.size() > 256) LOC_TEMPFILE.resize(256);
    if (!LOC_TEMPFILE.empty() && LOC_TEMPFILE.back() == ':') continue;
    bool furtherSeparator = false;
    for (size_t i = p; i < FULLNAME.size(); ++i)
      furtherSeparator = furtherSeparator || isSeparator(FULLNAME[i]);
    if (!furtherSeparator && p < FULLNAME.size() && FULLNAME[p] == '!') return;
    // The path names its directories with backslashes; the file system wants its own
    // separator, or "a\\b" would be made as one directory of that name.
    std::replace(LOC_TEMPFILE.begin(), LOC_TEMPFILE.end(), '\\', '/');
    struct stat st {};
    if (stat(LOC_TEMPFILE.c_str(), &st) != 0) mkdir(LOC_TEMPFILE.c_str(), 0777);
  }
}

bool BUILDKEYS(storage::KeyedFile& file) {
  const std::string name = file.name();
  const int LOC_LSTATUSFILE = file.mode();
  if (LOC_LSTATUSFILE != 0) file.close();
  int result = file.open(storage::kExclusive);
  if (result == storage::kAccessDenied) {
    if (LOC_LSTATUSFILE != 0) file.open(LOC_LSTATUSFILE);
    return false;
  }

  // The window is made at its final size, and shows the name before the rebuild starts. Room
  // for the name: 100 units, or 5 a character for names of 25 characters and more.
  runtime::WindowDef def = layout::waitWindow();
  const int n = static_cast<int>(runtime::trimRight(name).size());
  const int w = n < 25 ? 100 : 5 * n;
  const runtime::Rect message = controlRect(def, "?LOC:WAITMESSAGE");
  const runtime::Rect icon = controlRect(def, "?IMAGE1");
  def.width = message.x + icon.x + icon.w + w;  // and centred, as a new window is
  char LOC_WAITMESSAGE[100];
  runtime::writeBinding(runtime::bindString(LOC_WAITMESSAGE), name);
  runtime::openWindow(def);
  runtime::bind(layout::wait::LOC_WAITMESSAGE, runtime::bindString(LOC_WAITMESSAGE));
  runtime::display();
  runtime::setWaitCursor(true);

  if (result == 0) result = file.buildKeys(&runtime::stopping);
  runtime::setWaitCursor(false);
  // Stopped by the program's end: the keys stay out of date for the next start to rebuild.
  if (result != 0 && runtime::stopping()) runtime::stopThread();
  runtime::closeWindow();
  if (result != 0) STANDARDWARNING(3, name);
  file.close();
  if (LOC_LSTATUSFILE != 0) file.open(LOC_LSTATUSFILE);
  return true;
}

}  // namespace phonedir
