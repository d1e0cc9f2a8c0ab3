#include <cstring>

#include "browse/engine.h"
#include "city/city.h"
#include "data/files.h"
#include "layout/windows.h"
#include "runtime/event.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "shell/procedure.h"
#include "storage/record_fields.h"
#include "street/street.h"

namespace phonedir {
namespace {

// Controls of the city directory.
constexpr int BUTTON1 = 1;  // telephone order
constexpr int BUTTON2 = 2;  // surname order
constexpr int BUTTON3 = 3;  // address order
constexpr int BUTTON4 = 4;  // close
constexpr int LIST = 7;
constexpr int GROUP1 = 8;
constexpr int PHO_PHONE = 9;
constexpr int GROUP2 = 11;
constexpr int PHO_FIO = 12;
constexpr int GROUP3 = 14;
constexpr int BUTTON8 = 16;  // the street list
constexpr int LOC_HOME_ENTRY = 17;
constexpr int LOC_KVART_ENTRY = 19;
constexpr int BUTTON9 = 20;  // position by the house and flat
constexpr int INSERT = 21;
constexpr int CHANGE = 22;
constexpr int DELETE = 23;

struct FilesOpen {
  FilesOpen() {
    OPENFILE_PHONE();
    OPENFILE_STREET();
  }
  ~FilesOpen() {
    CLOSEFILE_PHONE();
    CLOSEFILE_STREET();
  }
};

struct WindowOpen {
  explicit WindowOpen(const runtime::WindowDef& def) { runtime::openWindow(def); }
  ~WindowOpen() { runtime::closeWindow(); }
};

browse::Def cityList() {
  storage::KeyedFile& phone = files().PHONE;
  storage::KeyedFile& street = files().STREET;
  browse::Def d;
  d.primary = &phone;
  d.lookups = {{&street, STR_NUM_KEY, {"STREET"}}};
  d.row = {{&phone, "PHONE"}, {&phone, "FIO"},    {&street, "NAME"}, {&phone, "HOME"},
           {&phone, "KVART"}, {&phone, "STREET"}, {&street, "NUM"}};
  d.columns = 5;
  const browse::FieldRef number{&phone, "PHONE"};
  d.orders = {
      {PHO_NUM_KEY, number, browse::Stops::Text, true, {}, PHO_PHONE},
      {PHO_NAME_KEY, {&phone, "FIO"}, browse::Stops::Cyrillic, true, {}, PHO_FIO},
      {PHO_ADRESS_KEY,
       {&phone, "STREET"},
       browse::Stops::Number,
       true,
       {{&phone, "HOME"}, {&phone, "KVART"}},
       0},
      {PHO_NUM_KEY, number, browse::Stops::Text, true, {}, PHO_PHONE},
  };
  d.orderFor = [](int key) { return key >= 1 && key <= 3 ? key : 4; };
  d.buttons = {LIST, INSERT, CHANGE, DELETE, 0};
  d.alertKeys = {runtime::key::MouseLeft2, runtime::key::Space,     runtime::key::Insert,
                 runtime::key::Delete,     runtime::key::CtrlEnter, runtime::key::MouseRight};
  d.fileLabel = "Phone";
  d.callForm = UPDATEPHONE;
  return d;
}

// Shows the locator group of the order a sort button chose.
void showGroup(int group) {
  for (int g : {GROUP1, GROUP2, GROUP3}) {
    if (g == group) {
      runtime::unhide(g);
    } else {
      runtime::hide(g);
    }
  }
}

}  // namespace

void GOROD() {
  RequestScope request;
  SingleInstance instance(RUNNING_GOROD, request.LOCALREQUEST);
  if (!instance.mayRun()) return;
  FilesOpen filesOpen;
  WindowOpen window(layout::gorodWindow());
  char LOC_HOME[4];
  char LOC_KVART[4];
  std::memset(LOC_HOME, ' ', sizeof LOC_HOME);
  std::memset(LOC_KVART, ' ', sizeof LOC_KVART);
  runtime::bind(PHO_PHONE, runtime::bindString(PHO.PHONE));
  runtime::bind(PHO_FIO, runtime::bindCString(PHO.FIO));
  runtime::bind(LOC_HOME_ENTRY, runtime::bindString(LOC_HOME));
  runtime::bind(LOC_KVART_ENTRY, runtime::bindString(LOC_KVART));
  showGroup(GROUP1);

  browse::Engine list(cityList(), request);
  list.prepare();
  auto houseAndFlat = [&] {
    std::memcpy(PHO.HOME, LOC_HOME, sizeof PHO.HOME);
    std::memcpy(PHO.KVART, LOC_KVART, sizeof PHO.KVART);
    list.locateByValue();
  };

  while (const int event = runtime::event()) {
    list.serve(event);
    if (event == runtime::ev::Selected &&
        (runtime::field() == PHO_PHONE || runtime::field() == PHO_FIO)) {
      runtime::select(LIST);
      continue;
    }
    switch (const int accepted = runtime::accepted()) {
      case BUTTON1:
      case BUTTON2:
      case BUTTON3:
        list.SYNCWINDOW();
        list.LOC_KEY = accepted;
        showGroup(accepted == BUTTON1 ? GROUP1 : accepted == BUTTON2 ? GROUP2 : GROUP3);
        list.SELECTSORT();
        runtime::select(LIST);
        break;
      case BUTTON4:
        list.SYNCWINDOW();
        runtime::post(runtime::ev::CloseWindow);
        break;
      case PHO_PHONE:
      case PHO_FIO: {
        const std::string typed =
            accepted == PHO_PHONE ? std::string(PHO.PHONE, sizeof PHO.PHONE)
                                  : std::string(storage::storedText(
                                        PHONE_FILE().fields[PHONE_FILE().fieldIndex("FIO")], &PHO));
        if (typed.find_first_not_of(' ') == std::string::npos) break;
        list.locateByValue();
        list.takeLocatorEntry(accepted == PHO_PHONE ? 1 : 2, typed);
        runtime::select(LIST);
        list.POSTNEWSELECTION();
        break;
      }
      case BUTTON8: {
        list.SYNCWINDOW();
        const int32_t saved = GLOBALREQUEST;
        GLOBALREQUEST = SELECTRECORD;
        STREET();
        if (GLOBALRESPONSE == REQUESTCOMPLETED) {
          PHO.STREET = STR.NUM;
          houseAndFlat();
          runtime::select(LOC_HOME_ENTRY);
        }
        GLOBALREQUEST = saved;
        break;
      }
      case LOC_HOME_ENTRY:
        houseAndFlat();
        runtime::select(LOC_KVART_ENTRY);
        break;
      case LOC_KVART_ENTRY:
        houseAndFlat();
        runtime::select(LIST);
        break;
      case BUTTON9:
        list.SYNCWINDOW();
        houseAndFlat();
        runtime::select(LIST);
        break;
      case INSERT:
        list.SYNCWINDOW();
        list.BUTTONINSERT();
        break;
      case CHANGE:
        list.SYNCWINDOW();
        list.BUTTONCHANGE();
        break;
      case DELETE:
        list.SYNCWINDOW();
        list.BUTTONDELETE();
        break;
      default:
        break;
    }
  }
}

}  // namespace phonedir
