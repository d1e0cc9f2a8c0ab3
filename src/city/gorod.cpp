#include <cstring>

#include "browse/engine.h"
#include "city/city.h"
#include "data/files.h"
#include "layout/gorod_window.h"
#include "layout/windows.h"
#include "runtime/event.h"
#include "runtime/runtime.h"
#include "runtime/window_guard.h"
#include "shell/globals.h"
#include "shell/procedure.h"
#include "storage/record_fields.h"
#include "storage/view.h"
#include "street/street.h"

namespace phonedir {
namespace {

namespace ctl = layout::gorod;

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
      {PHO_NUM_KEY, number, browse::Stops::Text, true, {}, ctl::PHO_PHONE},
      {PHO_NAME_KEY, {&phone, "FIO"}, browse::Stops::Cyrillic, true, {}, ctl::PHO_FIO},
      {PHO_ADRESS_KEY,
       {&phone, "STREET"},
       browse::Stops::Number,
       true,
       {{&phone, "HOME"}, {&phone, "KVART"}},
       0},
      {PHO_NUM_KEY, number, browse::Stops::Text, true, {}, ctl::PHO_PHONE},
  };
  d.orderFor = [](int key) { return key >= 1 && key <= 3 ? key : 4; };
  d.buttons = {ctl::LIST, ctl::INSERT, ctl::CHANGE, ctl::DELETE, 0};
  d.alertKeys = {runtime::key::MouseLeft2, runtime::key::Space,     runtime::key::Insert,
                 runtime::key::Delete,     runtime::key::CtrlEnter, runtime::key::MouseRight};
  d.fileLabel = "Phone";
  d.callForm = UPDATEPHONE;
  return d;
}

// Shows the locator group of the order a sort button chose.
void showGroup(int group) {
  for (int g : {ctl::GROUP1, ctl::GROUP2, ctl::GROUP3}) {
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
  runtime::WindowGuard window(layout::gorodWindow());
  char LOC_HOME[4];
  char LOC_KVART[4];
  std::memset(LOC_HOME, ' ', sizeof LOC_HOME);
  std::memset(LOC_KVART, ' ', sizeof LOC_KVART);
  runtime::bind(ctl::PHO_PHONE, runtime::bindString(PHO.PHONE));
  runtime::bind(ctl::PHO_FIO, runtime::bindCString(PHO.FIO));
  runtime::bind(ctl::LOC_HOME, runtime::bindString(LOC_HOME));
  runtime::bind(ctl::LOC_KVART, runtime::bindString(LOC_KVART));
  showGroup(ctl::GROUP1);

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
        (runtime::field() == ctl::PHO_PHONE || runtime::field() == ctl::PHO_FIO)) {
      runtime::select(ctl::LIST);
      continue;
    }
    switch (const int accepted = runtime::accepted()) {
      case ctl::BUTTON1:
      case ctl::BUTTON2:
      case ctl::BUTTON3: {
        const storage::HeldReads held = list.holdReads();
        list.SYNCWINDOW();
        list.LOC_KEY = accepted;
        showGroup(accepted == ctl::BUTTON1   ? ctl::GROUP1
                  : accepted == ctl::BUTTON2 ? ctl::GROUP2
                                             : ctl::GROUP3);
        list.SELECTSORT();
        runtime::select(ctl::LIST);
        break;
      }
      case ctl::BUTTON4:
        list.SYNCWINDOW();
        runtime::post(runtime::ev::CloseWindow);
        break;
      case ctl::PHO_PHONE:
      case ctl::PHO_FIO: {
        const std::string typed =
            accepted == ctl::PHO_PHONE
                ? std::string(PHO.PHONE, sizeof PHO.PHONE)
                : std::string(storage::storedText(
                      PHONE_FILE().fields[PHONE_FILE().fieldIndex("FIO")], &PHO));
        if (typed.find_first_not_of(' ') == std::string::npos) break;
        list.locateByValue();
        list.takeLocatorEntry(accepted == ctl::PHO_PHONE ? 1 : 2, typed);
        runtime::select(ctl::LIST);
        list.POSTNEWSELECTION();
        break;
      }
      case ctl::BUTTON8: {
        list.SYNCWINDOW();
        const int32_t saved = GLOBALREQUEST;
        GLOBALREQUEST = SELECTRECORD;
        STREET();
        // The street list set the frame's toolbar for itself; it is the directory's again,
        // though the focus goes to the house, not the list.
        list.ASSIGNBUTTONS();
        if (GLOBALRESPONSE == REQUESTCOMPLETED) {
          PHO.STREET = STR.NUM;
          houseAndFlat();
          runtime::select(ctl::LOC_HOME);
        }
        GLOBALREQUEST = saved;
        break;
      }
      case ctl::LOC_HOME:
        houseAndFlat();
        runtime::select(ctl::LOC_KVART);
        break;
      case ctl::LOC_KVART:
        houseAndFlat();
        runtime::select(ctl::LIST);
        break;
      case ctl::BUTTON9:
        list.SYNCWINDOW();
        houseAndFlat();
        runtime::select(ctl::LIST);
        break;
      default:
        list.pressUpdateButton(runtime::accepted());
        break;
    }
  }
}

}  // namespace phonedir
