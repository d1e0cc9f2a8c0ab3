#include "browse/engine.h"
#include "data/files.h"
#include "data/records.h"
#include "layout/street_window.h"
#include "layout/window_resize.h"
#include "layout/windows.h"
#include "runtime/event.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "runtime/window_guard.h"
#include "shell/globals.h"
#include "storage/record_fields.h"
#include "street/street.h"

namespace phonedir {
namespace {

namespace ctl = layout::street;

// Keeps STREET open on this thread for as long as the list is.
struct StreetOpen {
  StreetOpen() { OPENFILE_STREET(); }
  ~StreetOpen() { CLOSEFILE_STREET(); }
};

}  // namespace

void STREET() {
  RequestScope request;
  StreetOpen file;
  runtime::WindowGuard window(layout::streetWindow());
  runtime::bind(ctl::STR_NAME, runtime::bindCString(STR.NAME));
  runtime::Window& w = runtime::window();
  w.minWidth = w.width;
  w.minHeight = w.height;
  layout::WINDOWRESIZETYPE WINRESIZE;
  WINRESIZE.INITIALIZE(layout::strategy::Standard);
  const bool selecting = request.LOCALREQUEST == SELECTRECORD;
  if (selecting) {
    runtime::control(ctl::SELECT_2).isDefault = true;  // Enter in the list chooses the street
    runtime::enable(ctl::SELECT_2);
  } else {
    runtime::hide(ctl::SELECT_2);
    runtime::disable(ctl::SELECT_2);
  }

  storage::KeyedFile& street = files().STREET;
  browse::Def def;
  def.primary = &street;
  def.row = {{&street, "NAME"}};
  def.columns = 1;
  def.orders = {browse::SortOrder{
      STR_NAME_KEY, {&street, "NAME"}, browse::Stops::Cyrillic, true, {}, ctl::STR_NAME}};
  def.buttons = {ctl::BROWSE_1, ctl::INSERT_3, ctl::CHANGE_3, ctl::DELETE_3, ctl::SELECT_2};
  def.alertKeys = {runtime::key::MouseLeft2, runtime::key::Space,     runtime::key::Insert,
                   runtime::key::Delete,     runtime::key::CtrlEnter, runtime::key::MouseRight};
  def.fileLabel = "Street";
  def.callForm = STREET_UPD;
  browse::Engine* engine = nullptr;
  auto selectEnabled = [&] { return selecting && !runtime::readControl(ctl::SELECT_2).disabled; };
  def.popupTail = [&] { return runtime::cp(selectEnabled() ? "|-||&Выбрать" : "|-||~&Выбрать"); };
  def.popupChoice = [&](int item) {
    if (item == 4 && selectEnabled()) runtime::post(runtime::ev::Accepted, ctl::SELECT_2);
  };
  def.alertKey = [&](int code) {
    if (code != runtime::key::MouseLeft2 || !selecting) return false;
    if (selectEnabled()) runtime::post(runtime::ev::Accepted, ctl::SELECT_2);
    return true;
  };
  def.onRefreshWindow = [&] {
    if (!selecting) return;
    if (engine->RECORDCOUNT > 0) {
      runtime::enable(ctl::SELECT_2);
    } else {
      runtime::disable(ctl::SELECT_2);
    }
  };
  browse::Engine list(std::move(def), request);
  engine = &list;
  list.prepare();

  while (const int event = runtime::event()) {
    if (event == runtime::ev::Sized) {
      WINRESIZE.RESIZE();
      runtime::display();
    } else if (event == runtime::ev::CloseDown) {
      WINRESIZE.DESTROY();
    }
    list.serve(event);
    if (event == runtime::ev::Selected && runtime::field() == ctl::STR_NAME) {
      runtime::select(ctl::BROWSE_1);
      continue;
    }
    switch (runtime::accepted()) {
      case ctl::STR_NAME: {
        const std::string name(
            storage::storedText(street.decl().fields[street.decl().fieldIndex("NAME")], &STR));
        if (name.find_first_not_of(' ') != std::string::npos) {
          list.locateByValue();
          list.takeLocatorEntry(1, name);
          runtime::select(ctl::BROWSE_1);
          list.POSTNEWSELECTION();
        }
        break;
      }
      case ctl::SELECT_2:
        if (!list.SYNCWINDOW()) {
          list.rowGone();
          break;
        }
        request.LOCALRESPONSE = REQUESTCOMPLETED;
        runtime::post(runtime::ev::CloseWindow);
        break;
      default:
        list.pressUpdateButton(runtime::accepted());
        break;
    }
  }
}

}  // namespace phonedir
