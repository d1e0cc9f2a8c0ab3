#include "data/files.h"

#include <unistd.h>

#include "data/file_opening.h"
#include "storage/error.h"

namespace phonedir {
namespace {

template <typename Record>
Record cleared() {
  Record r{};
  clearRecord(r);
  return r;
}

void openCounted(storage::KeyedFile& file, int32_t& used, int mode = storage::kShared) {
  if (used == 0) {
    if (mode == storage::kShared) {
      CHECKOPEN(file, 1);
    } else {
      CHECKOPEN(file, 1, static_cast<uint8_t>(mode));
    }
  }
  ++used;
}

void closeCounted(storage::KeyedFile& file, int32_t& used) {
  if (used <= 0) return;  // a close without its open: nothing of this thread's is open
  if (--used == 0) file.close();
}

// The host's name as a file name can hold it.
std::string hostToken() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return "host";
  std::string token;
  for (const char* p = host; *p != '\0'; ++p) {
    const char c = *p;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    token += plain || c == '.' || c == '_' ? c : '_';
  }
  return token;
}

}  // namespace

const std::string& POISK_PATH() {
  static const std::string path =
      std::string(kResultFilePrefix) + hostToken() + "-" + std::to_string(::getpid()) + ".db";
  return path;
}

thread_local PHO_RECORD PHO = cleared<PHO_RECORD>();
thread_local STR_RECORD STR = cleared<STR_RECORD>();
thread_local PER_RECORD PER = cleared<PER_RECORD>();
thread_local POI_RECORD POI = cleared<POI_RECORD>();

thread_local int32_t PHONE_USED = 0;
thread_local int32_t STREET_USED = 0;
thread_local int32_t PERSONAL_USED = 0;
thread_local int32_t POISK_USED = 0;

ThreadFiles::ThreadFiles()
    : PHONE(PHONE_FILE(), &PHO),
      STREET(STREET_FILE(), &STR),
      PERSONAL(PERSONAL_FILE(), &PER),
      POISK(POISK_FILE(), &POI, POISK_PATH()) {
  // Made anew for every search and removed with its window: nothing to keep through a crash.
  POISK.setDurable(false);
}

ThreadFiles& files() {
  // Closing the files at the thread's end sets its last error, so that must be made first:
  // thread-local objects are destroyed in the reverse order of their construction.
  static_cast<void>(storage::lastError());
  thread_local ThreadFiles instances;
  return instances;
}

void OPENFILE_PHONE() {
  openCounted(files().PHONE, PHONE_USED);
}
void OPENFILE_STREET() {
  openCounted(files().STREET, STREET_USED);
}
void OPENFILE_PERSONAL() {
  openCounted(files().PERSONAL, PERSONAL_USED);
}
void OPENFILE_POISK() {
  openCounted(files().POISK, POISK_USED, storage::kExclusive);
}
void CLOSEFILE_PHONE() {
  closeCounted(files().PHONE, PHONE_USED);
}
void CLOSEFILE_STREET() {
  closeCounted(files().STREET, STREET_USED);
}
void CLOSEFILE_PERSONAL() {
  closeCounted(files().PERSONAL, PERSONAL_USED);
}
void CLOSEFILE_POISK() {
  closeCounted(files().POISK, POISK_USED);
}

}  // namespace phonedir
