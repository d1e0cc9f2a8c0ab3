#include "city/city.h"
#include "data/files.h"
#include "data/transactions.h"
#include "forms/engine.h"
#include "layout/phone_card_window.h"
#include "layout/windows.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "street/street.h"

namespace phonedir {
namespace {

namespace ctl = layout::phone_card;

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
  } else {
    // The list left what was typed into it in the street's name: the card's street again.
    lookUpStreet();
  }
  runtime::display();
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
  d.bindings = {{ctl::STR_NAME, runtime::bindCString(STR.NAME)},
                {ctl::PHO_PHONE, runtime::bindString(PHO.PHONE)},
                {ctl::PHO_FIO, runtime::bindCString(PHO.FIO)},
                {ctl::PHO_HOME, runtime::bindString(PHO.HOME)},
                {ctl::PHO_KVART, runtime::bindString(PHO.KVART)}};
  d.ok = ctl::OK;
  d.cancel = ctl::CANCEL;
  d.firstFocus = ctl::BUTTON3;
  d.history = {{ctl::PHO_PHONE, "PHONE"},
               {ctl::PHO_FIO, "FIO"},
               {ctl::PHO_HOME, "HOME"},
               {ctl::PHO_KVART, "KVART"}};
  d.insertCaption = runtime::cp("Добавление записи ");
  d.changeCaption = runtime::cp("Изменение записи ");
  d.memory = &memory();
  d.onRefresh = lookUpStreet;
  d.onAccepted = [](int control) {
    if (control == ctl::BUTTON3) chooseStreet();
  };
  forms::Engine form(std::move(d), request);
  form.run();
}

}  // namespace phonedir
