#include "data/files.h"
#include "data/transactions.h"
#include "forms/engine.h"
#include "layout/street_card_window.h"
#include "layout/windows.h"
#include "runtime/locale/charset.h"
#include "street/street.h"

namespace phonedir {
namespace {

namespace ctl = layout::street_card;

forms::Memory& memory() {
  static forms::Memory m;
  return m;
}

}  // namespace

void STREET_UPD() {
  RequestScope request;
  forms::Def d;
  d.window = &layout::streetCardWindow();
  d.file = &files().STREET;
  d.openFiles = OPENFILE_STREET;
  d.closeFiles = CLOSEFILE_STREET;
  d.update = RIUPDATE_STREET;
  d.erase = RIDELETE_STREET;
  d.bindings = {{ctl::STR_NUM, runtime::bindLong(STR.NUM)},
                {ctl::STR_NAME, runtime::bindCString(STR.NAME)}};
  d.ok = ctl::OK;
  d.cancel = ctl::CANCEL;
  d.firstFocus = ctl::STR_NUM_PROMPT;
  d.history = {{ctl::STR_NUM, "NUM"}, {ctl::STR_NAME, "NAME"}};
  d.insertCaption = runtime::cp("Добавление записи ");
  d.changeCaption = runtime::cp("Изменение записи ");
  d.takesToolbar = true;
  d.remembersPosition = true;
  d.memory = &memory();
  forms::Engine form(std::move(d), request);
  form.run();
}

}  // namespace phonedir
