#include "data/files.h"
#include "data/transactions.h"
#include "forms/engine.h"
#include "layout/windows.h"
#include "personal/personal.h"
#include "runtime/locale/charset.h"

namespace phonedir {
namespace {

// Controls of the personal card.
constexpr int PER_PHONE_PROMPT = 1;
constexpr int PER_PHONE = 2;
constexpr int PER_KOD = 4;
constexpr int PER_NAME = 6;
constexpr int PER_PRIM = 8;
constexpr int OK = 9;
constexpr int CANCEL = 10;

forms::Memory& memory() {
  static forms::Memory m;
  return m;
}

}  // namespace

void PERS_UPD() {
  RequestScope request;
  forms::Def d;
  d.window = &layout::personalCardWindow();
  d.file = &files().PERSONAL;
  d.openFiles = OPENFILE_PERSONAL;
  d.closeFiles = CLOSEFILE_PERSONAL;
  d.update = RIUPDATE_PERSONAL;
  d.erase = RIDELETE_PERSONAL;
  d.bindings = {{PER_PHONE, runtime::bindString(PER.PHONE)},
                {PER_KOD, runtime::bindString(PER.KOD)},
                {PER_NAME, runtime::bindString(PER.NAME)},
                {PER_PRIM, runtime::bindString(PER.PRIM)}};
  d.ok = OK;
  d.cancel = CANCEL;
  d.firstFocus = PER_PHONE_PROMPT;
  d.history = {{PER_PHONE, "PHONE"}, {PER_KOD, "KOD"}, {PER_NAME, "NAME"}, {PER_PRIM, "PRIM"}};
  d.insertCaption = runtime::cp("Добавление записи");
  d.changeCaption = runtime::cp("Изменение записи");
  d.takesToolbar = true;
  d.remembersPosition = true;
  d.memory = &memory();
  forms::Engine form(std::move(d), request);
  form.run();
}

}  // namespace phonedir
