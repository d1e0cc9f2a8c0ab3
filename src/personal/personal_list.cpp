#include "browse/engine.h"
#include "data/files.h"
#include "layout/personal_window.h"
#include "layout/windows.h"
#include "personal/personal.h"
#include "runtime/event.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "runtime/window_guard.h"
#include "shell/globals.h"
#include "shell/procedure.h"

namespace phonedir {
namespace {

namespace ctl = layout::personal;

struct FileOpen {
  FileOpen() { OPENFILE_PERSONAL(); }
  ~FileOpen() { CLOSEFILE_PERSONAL(); }
};

browse::Def personalList() {
  storage::KeyedFile& personal = files().PERSONAL;
  browse::Def d;
  d.primary = &personal;
  d.row = {{&personal, "PHONE"}, {&personal, "KOD"}, {&personal, "NAME"}, {&personal, "PRIM"}};
  d.columns = 4;
  const browse::FieldRef name{&personal, "NAME"};
  d.orders = {
      {PER_BY_PHONE, {&personal, "PHONE"}, browse::Stops::Text, false, {}, 0},
      {PER_BY_NAME, name, browse::Stops::Cyrillic, false, {}, 0},
      {PER_BY_NAME, name, browse::Stops::Cyrillic, false, {}, 0},
  };
  d.orderFor = [](int key) { return key == 1 || key == 2 ? key : 3; };
  d.buttons = {ctl::LIST_2, ctl::INSERT_2, ctl::CHANGE_2, ctl::DELETE_2, 0};
  d.alertKeys = {runtime::key::MouseLeft2, runtime::key::Insert, runtime::key::Delete,
                 runtime::key::CtrlEnter, runtime::key::MouseRight};
  d.fileLabel = "Personal";
  d.firstFocus = ctl::PROMPT1;
  d.callForm = PERS_UPD;
  return d;
}

}  // namespace

void PERSONAL() {
  RequestScope request;
  SingleInstance instance(RUNNING_PERSONAL, request.LOCALREQUEST);
  if (!instance.mayRun()) return;
  FileOpen file;
  runtime::WindowGuard window(layout::personalWindow());
  browse::Engine list(personalList(), request);
  list.prepare();

  while (const int event = runtime::event()) {
    list.serve(event);
    switch (const int accepted = runtime::accepted()) {
      case ctl::BUTTON1:
      case ctl::BUTTON2:
        list.SYNCWINDOW();
        list.LOC_KEY = accepted == ctl::BUTTON1 ? 1 : 2;
        list.SELECTSORT();
        runtime::control(ctl::PROMPT1).text =
            runtime::cp(accepted == ctl::BUTTON1 ? "Список отсортирован по номерам телефонов"
                                                 : "Список отсортирован по фамилиям");
        runtime::display();
        break;
      case ctl::BUTTON7:
        list.SYNCWINDOW();
        runtime::post(runtime::ev::CloseWindow);
        break;
      default:
        list.pressUpdateButton(runtime::accepted());
        break;
    }
  }
}

}  // namespace phonedir
