#include "data/transactions.h"

#include "data/errors.h"
#include "data/files.h"
#include "data/standard_warning.h"
#include "shell/globals.h"
#include "storage/error.h"

namespace phonedir {
namespace {

constexpr int kTransactionTimeout = 5;  // seconds

// The position of the record being rewritten, to read it again after a conflict.
thread_local std::string HOLDPOSITION;

int32_t rewrite(storage::KeyedFile& file, const char* label) {
  if (file.begin(kTransactionTimeout) != 0) {
    RISAVEERROR(file);
    STANDARDWARNING(34, "Update", label);
    return 1;
  }
  HOLDPOSITION = file.position(storage::kFileOrder);
  if (file.put() == 0 && file.commit() == 0) return 0;
  const bool changedElsewhere = storage::lastError().code == storage::kRecordChanged;
  RISAVEERROR(file);
  if (changedElsewhere) {
    STANDARDWARNING(38);
    file.watch();
    file.reget(HOLDPOSITION);
    return 2;
  }
  STANDARDWARNING(15, label);
  return 1;
}

int32_t erase(storage::KeyedFile& file, int firstKey, const char* label) {
  const std::string CURRENT_POSITION = file.position(firstKey);
  if (file.begin(kTransactionTimeout) != 0) {
    RISAVEERROR(file);
    STANDARDWARNING(34, "Delete", label);
    return 1;
  }
  if (file.reget(CURRENT_POSITION) == 0 && file.erase() == 0 && file.commit() == 0) return 0;
  RISAVEERROR(file);
  STANDARDWARNING(17, label);
  return 1;
}

}  // namespace

void RISAVEERROR(storage::KeyedFile& file) {
  const CurrentError e = currentError();
  saveError({e.code, e.text, e.fileCode, e.fileText});
  file.rollback();
}

int32_t RIUPDATE_STREET(bool) {
  return rewrite(files().STREET, "Street");
}
int32_t RIUPDATE_PHONE(bool) {
  return rewrite(files().PHONE, "Phone");
}
int32_t RIUPDATE_PERSONAL(bool) {
  return rewrite(files().PERSONAL, "Personal");
}

int32_t RIDELETE_STREET() {
  return erase(files().STREET, STR_NUM_KEY, "Street");
}
int32_t RIDELETE_PHONE() {
  return erase(files().PHONE, PHO_NUM_KEY, "Phone");
}
int32_t RIDELETE_PERSONAL() {
  return erase(files().PERSONAL, PER_BY_NAME, "Personal");
}

}  // namespace phonedir
