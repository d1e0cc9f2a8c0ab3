#include "data/files.h"
#include "data/transactions.h"
#include "forms/engine.h"
#include "layout/windows.h"
#include "runtime/locale/charset.h"
#include "street/street.h"

namespace phonedir {
namespace {

// Controls of the street card.
constexpr int NUM_PROMPT = 2;
constexpr int NUM = 3;
constexpr int NAME = 5;
constexpr int OK = 6;
constexpr int CANCEL = 7;

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
  d.bindings = {{NUM, runtime::bindLong(STR.NUM)}, {NAME, runtime::bindCString(STR.NAME)}};
  d.ok = OK;
  d.cancel = CANCEL;
  d.firstFocus = NUM_PROMPT;
  d.history = {{NUM, "NUM"}, {NAME, "NAME"}};
  d.insertCaption = runtime::cp("Добавление записи ");
  d.changeCaption = runtime::cp("Изменение записи ");
  d.takesToolbar = true;
  d.remembersPosition = true;
  d.memory = &memory();
  forms::Engine form(std::move(d), request);
  form.run();
}

}  // namespace phonedir
