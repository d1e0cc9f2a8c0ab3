#include "browse/engine.h"
#include "data/files.h"
#include "layout/windows.h"
#include "personal/personal.h"
#include "runtime/event.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "shell/procedure.h"

namespace phonedir {
namespace {

// Controls of the personal directory.
constexpr int BUTTON1 = 1;  // telephone order
constexpr int BUTTON2 = 2;  // name order
constexpr int BUTTON7 = 3;  // close
constexpr int PROMPT1 = 6;  // names the order
constexpr int LIST_2 = 8;
constexpr int INSERT_2 = 9;
constexpr int CHANGE_2 = 10;
constexpr int DELETE_2 = 11;

struct FileOpen {
  FileOpen() { OPENFILE_PERSONAL(); }
  ~FileOpen() { CLOSEFILE_PERSONAL(); }
};

struct WindowOpen {
  explicit WindowOpen(const runtime::WindowDef& def) { runtime::openWindow(def); }
  ~WindowOpen() { runtime::closeWindow(); }
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
  d.buttons = {LIST_2, INSERT_2, CHANGE_2, DELETE_2, 0};
  d.alertKeys = {runtime::key::MouseLeft2, runtime::key::Insert, runtime::key::Delete,
                 runtime::key::CtrlEnter, runtime::key::MouseRight};
  d.fileLabel = "Personal";
  d.firstFocus = PROMPT1;
  d.callForm = PERS_UPD;
  return d;
}

}  // namespace

void PERSONAL() {
  RequestScope request;
  SingleInstance instance(RUNNING_PERSONAL, request.LOCALREQUEST);
  if (!instance.mayRun()) return;
  FileOpen file;
  WindowOpen window(layout::personalWindow());
  browse::Engine list(personalList(), request);
  list.prepare();

  while (const int event = runtime::event()) {
    list.serve(event);
    switch (const int accepted = runtime::accepted()) {
      case BUTTON1:
      case BUTTON2:
        list.SYNCWINDOW();
        list.LOC_KEY = accepted == BUTTON1 ? 1 : 2;
        list.SELECTSORT();
        runtime::control(PROMPT1).text =
            runtime::cp(accepted == BUTTON1 ? "Список отсортирован по номерам телефонов"
                                            : "Список отсортирован по фамилиям");
        runtime::display();
        break;
      case BUTTON7:
        list.SYNCWINDOW();
        runtime::post(runtime::ev::CloseWindow);
        break;
      case INSERT_2:
        list.SYNCWINDOW();
        list.BUTTONINSERT();
        break;
      case CHANGE_2:
        list.SYNCWINDOW();
        list.BUTTONCHANGE();
        break;
      case DELETE_2:
        list.SYNCWINDOW();
        list.BUTTONDELETE();
        break;
      default:
        break;
    }
  }
}

}  // namespace phonedir
