#include "gui_harness.h"

#include <QDeadlineTimer>
#include <chrono>
#include <thread>

#include "gui/frame_window.h"
#include "runtime/binding.h"
#include "runtime/locale/charset.h"

namespace gui::test {
namespace {

constexpr int kBoundMs = 20000;  // only ever reached when something is broken

QApplication& application() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace

void EventLog::add(const Taken& t) {
  std::lock_guard lock(mutex_);
  events_.push_back(t);
}

std::vector<Taken> EventLog::all() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<Taken> EventLog::with(int code, int field) const {
  std::lock_guard lock(mutex_);
  std::vector<Taken> out;
  for (const Taken& t : events_) {
    if (t.code == code && (field == 0 || t.field == field)) out.push_back(t);
  }
  return out;
}

void EventLog::clear() {
  std::lock_guard lock(mutex_);
  events_.clear();
}

std::function<void()> windowProc(runtime::WindowDef def, std::shared_ptr<EventLog> log,
                                 Prepare prepare) {
  return [def = std::move(def), log, prepare] {
    runtime::openWindow(def);
    if (prepare) prepare();
    while (const int code = runtime::event()) {
      Taken t;
      t.code = code;
      t.field = runtime::field();
      t.keyCode = runtime::keyCode();
      t.keyChar = runtime::keyChar();
      // Window events and the frame's relayed toolbar numbers name no control of this window.
      const runtime::Control* c = runtime::window().find(t.field);
      if (c != nullptr && c->kind == runtime::ControlKind::List) {
        t.selected = c->selected;
        t.thumb = c->thumb;
      }
      if (c != nullptr && c->kind == runtime::ControlKind::Entry && c->binding.data != nullptr) {
        t.value = runtime::toUtf8(runtime::readBinding(c->binding));
      }
      t.width = runtime::window().width;
      t.height = runtime::window().height;
      log->add(t);
    }
    runtime::closeWindow();
  };
}

void GuiTest::SetUp() {
  application();
  backend_ = std::make_unique<QtBackend>();
  runtime::init(*backend_);
}

void GuiTest::TearDown() {
  // As the program ends: waiting threads are released, then every thread is stopped.
  backend_->quit(0);
  runtime::shutdown();
  backend_.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

runtime::ThreadId GuiTest::start(std::function<void()> proc) {
  return runtime::start(std::move(proc));
}

bool GuiTest::until(const std::function<bool()>& done) {
  QDeadlineTimer deadline(kBoundMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void GuiTest::settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    runtime::waitIdle();
  }
  QCoreApplication::processEvents();
}

WindowView* GuiTest::viewOf(const std::string& proc) {
  for (WindowView* v : host().views()) {
    if (v->objectName().toStdString() == proc) return v;
  }
  return nullptr;
}

WindowView* GuiTest::waitView(const std::string& proc) {
  WindowView* found = nullptr;
  until([&] {
    found = viewOf(proc);
    return found != nullptr && found->outer()->isVisible();
  });
  return found;
}

QLineEdit* GuiTest::waitFocusedEntry(const std::string& proc, int number) {
  WindowView* view = waitView(proc);
  auto* entry = view != nullptr ? qobject_cast<QLineEdit*>(view->control(number)) : nullptr;
  if (entry == nullptr || !until([&] { return QApplication::focusWidget() == entry; }))
    return nullptr;
  settle();
  return entry;
}

FrameWindow* GuiTest::waitFrame() {
  until([&] { return host().frame() != nullptr && host().frame()->isVisible(); });
  return host().frame();
}

runtime::WindowDef testWindow(const std::string& proc, bool mdiChild, bool resizable) {
  runtime::WindowDef w;
  w.proc = proc;
  w.caption = proc;
  w.width = 200;
  w.height = 120;
  w.fontSize = 8;
  w.mdiChild = mdiChild;
  w.resizable = resizable;
  return w;
}

runtime::ControlDef testControl(int number, runtime::ControlKind kind, const std::string& label,
                                runtime::Rect rect) {
  runtime::ControlDef c;
  c.number = number;
  c.kind = kind;
  c.label = label;
  c.rect = rect;
  return c;
}

}  // namespace gui::test
