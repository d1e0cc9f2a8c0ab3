#include "forms/engine.h"

#include <cstring>

#include "data/standard_warning.h"
#include "layout/frame_window.h"
#include "runtime/backend.h"
#include "runtime/event.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "storage/record_fields.h"

namespace forms {
namespace {

namespace tb = phonedir::layout::toolbar;

using phonedir::CHANGERECORD;
using phonedir::DELETERECORD;
using phonedir::INSERTRECORD;
using phonedir::REQUESTCANCELLED;
using phonedir::REQUESTCOMPLETED;

}  // namespace

// --- what a form keeps between calls ---

std::string Memory::history() const {
  std::lock_guard lock(mutex_);
  return history_;
}

void Memory::setHistory(std::string record) {
  std::lock_guard lock(mutex_);
  history_ = std::move(record);
}

bool Memory::position(int& x, int& y) const {
  std::lock_guard lock(mutex_);
  x = x_;
  y = y_;
  return positionKnown_;
}

void Memory::setPosition(int x, int y) {
  std::lock_guard lock(mutex_);
  x_ = x;
  y_ = y;
  positionKnown_ = true;
}

// --- the form ---

Engine::Engine(Def def, phonedir::RequestScope& request)
    : def_(std::move(def)), request_(request) {}

Engine::~Engine() {
  if (FILESOPENED && def_.closeFiles) def_.closeFiles();
  if (WINDOWOPENED) runtime::closeWindow();
}

std::string Engine::image() const {
  return std::string(static_cast<const char*>(def_.file->buffer()), def_.file->decl().recordSize);
}

bool Engine::recordChanged() const {
  return image() != saved_;
}

void Engine::refocus() {
  runtime::select(def_.firstFocus);
}

void Engine::PREPAREPROCEDURE() {
  if (def_.openFiles) def_.openFiles();
  FILESOPENED = true;
  saved_ = image();
  if (request_.LOCALREQUEST == DELETERECORD) {
    if (phonedir::STANDARDWARNING(32) != runtime::button::Ok) return;
    for (;;) {
      request_.LOCALRESPONSE = REQUESTCANCELLED;
      runtime::setWaitCursor(true);
      const int32_t rc = def_.erase();
      runtime::setWaitCursor(false);
      if (rc == 0) {
        request_.LOCALRESPONSE = REQUESTCOMPLETED;
        return;
      }
      if (phonedir::STANDARDWARNING(18) != runtime::button::Yes) return;
    }
  }
  runtime::openWindow(*def_.window);
  WINDOWOPENED = true;
  for (const auto& [control, binding] : def_.bindings) runtime::bind(control, binding);
  runtime::Window& w = runtime::window();
  w.escapeButton = def_.cancel;  // Esc cancels the card
  w.minWidth = w.width;
  w.minHeight = w.height;
  WINRESIZE.INITIALIZE(phonedir::layout::strategy::Standard);
  if (def_.remembersPosition && def_.memory != nullptr) {
    int x = 0, y = 0;
    if (def_.memory->position(x, y)) {
      w.x = x;
      w.y = y;
    } else {
      def_.memory->setPosition(w.x, w.y);
    }
  }
  for (const HistoryField& h : def_.history)
    runtime::alert(h.control, runtime::key::CtrlApostrophe);
}

void Engine::REFRESHWINDOW() {
  if (def_.onRefresh) def_.onRefresh();
  runtime::display();
}

void Engine::ASSIGNBUTTONS() {
  TOOLBARMODE = 1;
  runtime::disable(tb::First, tb::Last);
  runtime::enable(tb::History);
  for (int button = tb::First; button <= tb::Last; ++button) {
    if (offersOnToolbar(button)) runtime::enable(button);
  }
  using runtime::cp;
  if (request_.ORIGINALREQUEST == INSERTRECORD) {
    const std::string tip = cp("Сохранить запись и добавить другую");
    runtime::setTip(tb::Down, tip);
    runtime::setTip(tb::Insert, tip);
  } else if (request_.ORIGINALREQUEST == CHANGERECORD) {
    runtime::setTip(tb::Bottom, cp("Сохранение изменений и переход к последней записи"));
    runtime::setTip(tb::Top, cp("Сохранение изменений и переход к первой записи"));
    runtime::setTip(tb::PageDown, cp("Сохранение изменений и переход к следующей странице"));
    runtime::setTip(tb::PageUp, cp("Сохранение изменений и переход к предыдущей странице"));
    runtime::setTip(tb::Down, cp("Сохранение изменений и переход к следующей записи"));
    runtime::setTip(tb::Up, cp("Сохранение изменений и переход к предыдущей записи"));
    runtime::setTip(tb::Insert, cp("Сохранение изменений и добавление новой записи"));
  }
}

bool Engine::offersOnToolbar(int button) const {
  // Only these are pressed for the card: another window may have set the toolbar since (its
  // focus gain arriving after this card's), and a press the card does not offer is not its own.
  if (request_.ORIGINALREQUEST == INSERTRECORD) return button == tb::Down || button == tb::Insert;
  if (request_.ORIGINALREQUEST == CHANGERECORD) {
    return button == tb::Insert || (button >= tb::Bottom && button <= tb::Up);
  }
  return false;
}

void Engine::CLOSINGWINDOW() {
  UPDATE_RELOOP = false;
  if (request_.LOCALRESPONSE == REQUESTCOMPLETED) return;
  const int32_t request = request_.LOCALREQUEST;
  if ((request == INSERTRECORD || request == CHANGERECORD) && recordChanged()) {
    RECORDCHANGED = true;
    if (phonedir::STANDARDWARNING(23) == runtime::button::No) {
      refocus();
      UPDATE_RELOOP = true;
    }
  }
}

void Engine::HISTORYFIELD() {
  const int focus = runtime::focus();
  for (const HistoryField& h : def_.history) {
    if (h.control != focus) continue;
    const storage::FileDecl& decl = def_.file->decl();
    const int index = decl.fieldIndex(h.field);
    if (index < 0) break;
    std::string record = def_.memory != nullptr ? def_.memory->history() : std::string();
    if (record.size() != decl.recordSize) {
      // Nothing saved yet in this run: the field becomes blank (or zero).
      record.assign(decl.recordSize, '\0');
      storage::clearRecord(decl, record.data());
    }
    const storage::Field& f = decl.fields[index];
    std::memcpy(static_cast<char*>(def_.file->buffer()) + f.offset, record.data() + f.offset,
                f.width);
    break;
  }
  runtime::display();
}

void Engine::saveChange() {
  for (;;) {
    request_.LOCALRESPONSE = REQUESTCANCELLED;
    runtime::setWaitCursor(true);
    RECORDCHANGED = recordChanged();
    UPDATE_ERROR = RECORDCHANGED ? def_.update(true) : 0;
    runtime::setWaitCursor(false);
    if (UPDATE_ERROR == 0) {
      if (RECORDCHANGED || phonedir::VCRREQUEST == 0) request_.LOCALRESPONSE = REQUESTCOMPLETED;
      runtime::post(runtime::ev::CloseWindow);
      return;
    }
    if (UPDATE_ERROR == 1) {
      const int answer = phonedir::STANDARDWARNING(16);
      if (answer == runtime::button::Yes) continue;
      if (answer == runtime::button::No) {
        runtime::post(runtime::ev::CloseWindow);
        return;
      }
    }
    // Another station changed the record (the buffer now holds its version), or the user
    // chose to go on editing. Refreshed, not only redrawn: what the card looks up from the
    // record (the phone card's street name) must follow the record.
    REFRESHWINDOW();
    refocus();
    if (def_.takesToolbar) phonedir::VCRREQUEST = 0;
    return;
  }
}

bool Engine::save() {
  if (def_.memory != nullptr) def_.memory->setHistory(image());
  if (request_.LOCALREQUEST == INSERTRECORD) {
    if (def_.file->add() == 0) {
      request_.LOCALRESPONSE = REQUESTCOMPLETED;
      runtime::post(runtime::ev::CloseWindow);
      return true;
    }
    phonedir::STANDARDWARNING(14);
    refocus();
    if (def_.takesToolbar) phonedir::VCRREQUEST = 0;
    return false;
  }
  if (request_.LOCALREQUEST == CHANGERECORD) saveChange();
  return true;
}

bool Engine::windowEvent(int event) {
  namespace ev = runtime::ev;
  switch (event) {
    case ev::AlertKey:
      if (runtime::keyCode() == runtime::key::CtrlApostrophe) HISTORYFIELD();
      return true;
    case ev::Rejected:
      runtime::beep();
      runtime::display(runtime::field());
      runtime::select(runtime::field());
      return true;
    case ev::CloseWindow:
      CLOSINGWINDOW();
      if (UPDATE_RELOOP) runtime::refuseClose();
      return !UPDATE_RELOOP;
    case ev::CloseDown:
      request_.LOCALRESPONSE = REQUESTCANCELLED;
      CLOSINGWINDOW();
      if (UPDATE_RELOOP) {
        runtime::refuseClose();
        return false;
      }
      WINRESIZE.DESTROY();
      return true;
    case ev::OpenWindow:
      if (def_.takesToolbar) ASSIGNBUTTONS();
      if (!WINDOWINITIALIZED) {
        REFRESHWINDOW();
        WINDOWINITIALIZED = true;
      }
      refocus();
      return true;
    case ev::GainFocus:
      // A card that navigates by the frame toolbar takes it back whenever it becomes active,
      // so the toolbar always serves the window the user works in.
      if (def_.takesToolbar && WINDOWINITIALIZED) ASSIGNBUTTONS();
      REFRESHWINDOW();
      WINDOWINITIALIZED = true;
      return true;
    case ev::Moved:
      if (def_.remembersPosition && def_.memory != nullptr)
        def_.memory->setPosition(runtime::window().x, runtime::window().y);
      return true;
    case ev::Sized:
      WINRESIZE.RESIZE();
      runtime::display();
      REFRESHWINDOW();
      return true;
    default:
      break;
  }
  const int accepted = runtime::accepted();
  if (accepted == tb::History) HISTORYFIELD();
  if (event == ev::Completed && !save()) return false;
  if (def_.takesToolbar && TOOLBARMODE == 1) {
    if (offersOnToolbar(accepted)) {
      phonedir::VCRREQUEST = accepted;
      runtime::post(ev::Accepted, def_.ok);
    }
    // Help (2012) presses F1, which no card answers.
  }
  return true;
}

void Engine::run() {
  PREPAREPROCEDURE();
  if (!WINDOWOPENED) return;
  ACTIONMESSAGE = request_.LOCALREQUEST == INSERTRECORD   ? def_.insertCaption
                  : request_.LOCALREQUEST == CHANGERECORD ? def_.changeCaption
                                                          : std::string();
  runtime::window().caption = ACTIONMESSAGE;
  runtime::enable(tb::History);
  while (const int event = runtime::event()) {
    if (!windowEvent(event)) continue;
    const int accepted = runtime::accepted();
    if (accepted == 0) continue;
    if (accepted == def_.ok) {
      const int32_t original = request_.ORIGINALREQUEST;
      if (original == INSERTRECORD || original == CHANGERECORD) {
        runtime::select();  // the validation pass ends in Completed
      } else {
        runtime::post(runtime::ev::Completed);
      }
    } else if (accepted == def_.cancel) {
      request_.LOCALRESPONSE = REQUESTCANCELLED;
      if (def_.takesToolbar) phonedir::VCRREQUEST = 0;
      runtime::post(runtime::ev::CloseWindow);
    } else if (def_.onAccepted) {
      def_.onAccepted(accepted);
    }
  }
}

}  // namespace forms
