#include "data/files.h"
#include "data/transactions.h"
#include "forms/engine.h"
#include "layout/personal_card_window.h"
#include "layout/windows.h"
#include "personal/personal.h"
#include "runtime/locale/charset.h"

namespace phonedir {
namespace {

namespace ctl = layout::personal_card;

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
  d.bindings = {{ctl::PER_PHONE, runtime::bindString(PER.PHONE)},
                {ctl::PER_KOD, runtime::bindString(PER.KOD)},
                {ctl::PER_NAME, runtime::bindString(PER.NAME)},
                {ctl::PER_PRIM, runtime::bindString(PER.PRIM)}};
  d.ok = ctl::OK;
  d.cancel = ctl::CANCEL;
  d.firstFocus = ctl::PER_PHONE_PROMPT;
  d.history = {{ctl::PER_PHONE, "PHONE"},
               {ctl::PER_KOD, "KOD"},
               {ctl::PER_NAME, "NAME"},
               {ctl::PER_PRIM, "PRIM"}};
  d.insertCaption = runtime::cp("Добавление записи");
  d.changeCaption = runtime::cp("Изменение записи");
  d.takesToolbar = true;
  d.remembersPosition = true;
  d.memory = &memory();
  forms::Engine form(std::move(d), request);
  form.run();
}

}  // namespace phonedir
