// The browse's side of the frame toolbar: which of its controls the toolbar stands for, how
// the toolbar's buttons follow them, and how the list calls its card form and follows the
// card's navigation requests (save, then go on to the next record).

#include <algorithm>
#include <string>
#include <utility>

#include "browse/engine.h"
#include "layout/frame_window.h"
#include "runtime/event.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "storage/record_fields.h"

namespace browse {
namespace {

namespace tb = phonedir::layout::toolbar;

// The list event each navigation number stands for.
int listEventFor(int number) {
  switch (number) {
    case tb::Bottom:
      return runtime::ev::ScrollBottom;
    case tb::Top:
      return runtime::ev::ScrollTop;
    case tb::PageDown:
      return runtime::ev::PageDown;
    case tb::PageUp:
      return runtime::ev::PageUp;
    case tb::Down:
      return runtime::ev::ScrollDown;
    case tb::Up:
      return runtime::ev::ScrollUp;
    case tb::Locate:
      return runtime::ev::Locate;
    default:
      return 0;
  }
}

void followButton(int control, int number) {
  if (control != 0 && !runtime::readControl(control).disabled) {
    runtime::enable(number);
  } else {
    runtime::disable(number);
  }
}

}  // namespace

void Engine::ASSIGNBUTTONS() {
  BROWSEBUTTONS = def_.buttons;
  DISPLAYBROWSETOOLBAR();
}

void Engine::DISPLAYBROWSETOOLBAR() {
  const Buttons& b = BROWSEBUTTONS;
  // Called on every event of the list: when neither the toolbar nor the buttons it follows
  // changed since this list last set it, there is nothing to set.
  const ToolbarInputs inputs{b.list,
                             b.insert,
                             b.change,
                             b.erase,
                             b.select,
                             buttonEnabled(b.select),
                             buttonEnabled(b.insert),
                             buttonEnabled(b.change),
                             buttonEnabled(b.erase)};
  if (TOOLBARMODE == 2 && toolbarSet_ == runtime::toolbarVersion() && toolbarInputs_ == inputs)
    return;
  setToolbar();
  toolbarSet_ = runtime::toolbarVersion();
  toolbarInputs_ = inputs;
}

void Engine::setToolbar() {
  const Buttons& b = BROWSEBUTTONS;
  if (b.list == 0 && b.insert == 0 && b.change == 0 && b.erase == 0 && b.select == 0) {
    runtime::disable(tb::Insert, tb::Help);
    return;
  }
  runtime::enable(tb::Bottom, tb::Locate);
  // A button the list does not have is disabled on the toolbar too, rather than left as the
  // previous window set it.
  followButton(b.select, tb::Select);
  followButton(b.insert, tb::Insert);
  followButton(b.change, tb::Change);
  followButton(b.erase, tb::Delete);
  runtime::disable(tb::History);
  TOOLBARMODE = 2;
  // Set on every event of the list: converted once.
  static const std::pair<int, std::string> tips[] = {
      {tb::Down, runtime::cp("Следующая запись")},
      {tb::Bottom, runtime::cp("Последняя страница")},
      {tb::Top, runtime::cp("Первая страница")},
      {tb::PageDown, runtime::cp("Следующая страница")},
      {tb::PageUp, runtime::cp("Предыдущая страница")},
      {tb::Up, runtime::cp("Предыдущая запись")},
      {tb::Insert, runtime::cp("Добавить новую запись")}};
  for (const auto& [button, tip] : tips) runtime::setTip(button, tip);
}

void Engine::LISTBOXDISPATCH() {
  DISPLAYBROWSETOOLBAR();
  const int number = runtime::accepted();
  if (number == 0) return;
  if (const int event = listEventFor(number); event != 0) {
    runtime::post(event, BROWSEBUTTONS.list);
  }
  // Help (2012) presses F1, which no list answers.
}

void Engine::UPDATEDISPATCH() {
  const Buttons& b = BROWSEBUTTONS;
  // Called on every event: the toolbar's delete and change follow the list's buttons already
  // when neither the toolbar nor those buttons changed since the list last set the toolbar.
  const bool following = TOOLBARMODE == 2 && toolbarSet_ == runtime::toolbarVersion() &&
                         toolbarInputs_.erase == b.erase && toolbarInputs_.change == b.change &&
                         toolbarInputs_.eraseOn == buttonEnabled(b.erase) &&
                         toolbarInputs_.changeOn == buttonEnabled(b.change);
  if (!following) {
    followButton(b.erase, tb::Delete);
    followButton(b.change, tb::Change);
  }
  switch (runtime::accepted()) {
    case tb::Insert:
      press(b.insert);
      break;
    case tb::Change:
      press(b.change);
      break;
    case tb::Delete:
      press(b.erase);
      break;
    default:
      break;
  }
}

void Engine::SELECTDISPATCH() {
  if (runtime::accepted() == tb::Select) press(BROWSEBUTTONS.select);
}

// --- the card form ---

namespace {
// An empty record without position: the form inserts from it.
void primeEmpty(storage::KeyedFile& file) {
  file.getByNumber(0);
  storage::clearRecord(file.decl(), file.buffer());
}
}  // namespace

bool Engine::pressUpdateButton(int control) {
  const Buttons& b = def_.buttons;
  if (control == 0 || (control != b.insert && control != b.change && control != b.erase))
    return false;
  if (!SYNCWINDOW() && control != b.insert) {
    rowGone();
  } else if (control == b.insert) {
    BUTTONINSERT();
  } else if (control == b.change) {
    BUTTONCHANGE();
  } else {
    BUTTONDELETE();
  }
  return true;
}

void Engine::BUTTONINSERT() {
  primeEmpty(*def_.primary);
  request_.LOCALREQUEST = phonedir::INSERTRECORD;
  CALLUPDATE();
  afterUpdate(false);
}

void Engine::BUTTONCHANGE() {
  request_.LOCALREQUEST = phonedir::CHANGERECORD;
  CALLUPDATE();
  afterUpdate(false);
}

void Engine::BUTTONDELETE() {
  request_.LOCALREQUEST = phonedir::DELETERECORD;
  CALLUPDATE();
  if (request_.LOCALRESPONSE == phonedir::REQUESTCOMPLETED && RECORDCOUNT > 0) {
    const int32_t row = std::clamp<int32_t>(CURRENTCHOICE, 1, RECORDCOUNT);
    queue_.erase(queue_.begin() + (row - 1));
    --RECORDCOUNT;
    showPage();
  }
  afterUpdate(true);
}

// After the form: an inserted or changed record is highlighted at its place in the present
// order; otherwise the page is refreshed where it stands.
void Engine::afterUpdate(bool deleted) {
  {
    storage::HeldReads held(view_);
    if (!deleted && request_.LOCALRESPONSE == phonedir::REQUESTCOMPLETED) {
      LOCATEMODE = 3;
      LOCATERECORD();
    } else {
      REFRESHMODE = 2;
      REFRESHPAGE();
    }
    INITIALIZEBROWSE();
  }
  POSTNEWSELECTION();
  runtime::select(def_.buttons.list);
  request_.LOCALREQUEST = request_.ORIGINALREQUEST;
  request_.LOCALRESPONSE = phonedir::REQUESTCANCELLED;
  REFRESHWINDOW();
}

void Engine::CALLUPDATE() {
  if (!def_.callForm) return;
  view_.close();
  showPage();
  for (;;) {
    phonedir::GLOBALREQUEST = request_.LOCALREQUEST;
    phonedir::VCRREQUEST = 0;
    def_.callForm();
    request_.LOCALRESPONSE = phonedir::GLOBALRESPONSE;
    if (runtime::stopping()) break;
    const int vcr = phonedir::VCRREQUEST;
    if (vcr == 0) break;
    int event = 0;
    switch (vcr) {
      case tb::Insert:
        request_.LOCALREQUEST = phonedir::INSERTRECORD;
        [[fallthrough]];
      case tb::Down:
        if (request_.LOCALREQUEST == phonedir::INSERTRECORD) {
          primeEmpty(*def_.primary);
          continue;
        }
        event = runtime::ev::ScrollDown;
        break;
      case tb::Up:
        event = runtime::ev::ScrollUp;
        break;
      case tb::PageDown:
        event = runtime::ev::PageDown;
        break;
      case tb::PageUp:
        event = runtime::ev::PageUp;
        break;
      case tb::Top:
        event = runtime::ev::ScrollTop;
        break;
      case tb::Bottom:
        event = runtime::ev::ScrollBottom;
        break;
      default:
        continue;  // the form again, unchanged
    }
    const int64_t cardRecord = highlightedRecord();
    POSTVCREDIT1();
    CURRENTEVENT = event;
    // Another station deleted the card's record: the locate stands on the record that
    // followed it, which is the next record already.
    const bool gone = cardRecord != 0 && highlightedRecord() != cardRecord;
    if (event == runtime::ev::ScrollDown && gone) {
      runtime::control(def_.buttons.list).selected = CURRENTCHOICE;
    } else if (event <= runtime::ev::ScrollDown) {
      SCROLLONE();
    } else if (event <= runtime::ev::PageDown) {
      SCROLLPAGE();
    } else {
      SCROLLEND();
    }
    POSTVCREDIT2();
    // Another station emptied the file: no record is left for the card to show.
    if (RECORDCOUNT == 0) break;
  }
  RESET();
  clearLocators();
}

void Engine::POSTVCREDIT1() {
  RESET();
  LOCATEMODE = 3;
  LOCATERECORD();
  REFRESHWINDOW();
}

void Engine::POSTVCREDIT2() {
  runtime::control(def_.buttons.list).selected = CURRENTCHOICE;
  NEWSELECTION();
  // Read again with change detection armed, as for a card opened from the list: the card
  // that comes next must not write over what another station changes meanwhile.
  if (readRow(CURRENTCHOICE)) {
    view_.watch();
    view_.reget(rowBuffer_.POSITION);
  }
  view_.close();
  showPage();
}

}  // namespace browse
