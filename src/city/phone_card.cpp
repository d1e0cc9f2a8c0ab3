#include "city/city.h"
#include "data/files.h"
#include "data/transactions.h"
#include "forms/engine.h"
#include "layout/windows.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "street/street.h"

namespace phonedir {
namespace {

// Controls of the phone card.
constexpr int BUTTON3 = 2;  // "...": the street list
constexpr int STR_NAME = 4;
constexpr int PHO_PHONE = 6;
constexpr int PHO_FIO = 8;
constexpr int PHO_HOME = 10;
constexpr int PHO_KVART = 12;
constexpr int OK = 13;
constexpr int CANCEL = 14;

forms::Memory& memory() {
  static forms::Memory m;
  return m;
}

// The name of the subscriber's street, read again at every refresh; a number without a
// street shows no name.
void lookUpStreet() {
  STR.NUM = PHO.STREET;
  if (files().STREET.get(STR_NUM_KEY) != 0) clearRecord(STR);
}

void chooseStreet() {
  GLOBALREQUEST = SELECTRECORD;
  STREET();
  if (GLOBALRESPONSE == REQUESTCOMPLETED) {
    PHO.STREET = STR.NUM;
    runtime::display();
  }
}

}  // namespace

void UPDATEPHONE() {
  RequestScope request;
  forms::Def d;
  d.window = &layout::phoneCardWindow();
  d.file = &files().PHONE;
  d.openFiles = [] {
    OPENFILE_PHONE();
    OPENFILE_STREET();
  };
  d.closeFiles = [] {
    CLOSEFILE_PHONE();
    CLOSEFILE_STREET();
  };
  d.update = RIUPDATE_PHONE;
  d.erase = RIDELETE_PHONE;
  d.bindings = {{STR_NAME, runtime::bindCString(STR.NAME)},
                {PHO_PHONE, runtime::bindString(PHO.PHONE)},
                {PHO_FIO, runtime::bindCString(PHO.FIO)},
                {PHO_HOME, runtime::bindString(PHO.HOME)},
                {PHO_KVART, runtime::bindString(PHO.KVART)}};
  d.ok = OK;
  d.cancel = CANCEL;
  d.firstFocus = BUTTON3;
  d.history = {{PHO_PHONE, "PHONE"}, {PHO_FIO, "FIO"}, {PHO_HOME, "HOME"}, {PHO_KVART, "KVART"}};
  d.insertCaption = runtime::cp("Добавление записи ");
  d.changeCaption = runtime::cp("Изменение записи ");
  d.memory = &memory();
  d.onRefresh = lookUpStreet;
  d.onAccepted = [](int control) {
    if (control == BUTTON3) chooseStreet();
  };
  forms::Engine form(std::move(d), request);
  form.run();
}

}  // namespace phonedir
