#pragma once
// Widget tests: one QApplication on the offscreen platform for the whole test program, a Qt
// backend under the runtime per test, procedure threads that open windows and write down
// every event they take, and a helper that processes Qt events until a condition holds.
// Nothing here depends on window focus or on timing: every wait is for a state, with a
// generous bound only so that a fault fails the test instead of hanging it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gui/qt_backend.h"
#include "gui/window_host.h"
#include "gui/window_view.h"
#include "runtime/runtime.h"

namespace gui::test {

// One event as the procedure took it, with what the runtime made of its payload.
struct Taken {
  int code = 0;
  int field = 0;
  int keyCode = 0;
  int keyChar = 0;
  int selected = 0;           // a list's selected row after the event
  int thumb = 0;              // a list's thumb after the event
  std::string value;          // an entry's bound variable after the event, as UTF-8
  int width = 0, height = 0;  // the window's size in the model after the event
};

class EventLog {
 public:
  void add(const Taken& t);
  std::vector<Taken> all() const;
  // The taken events with this code (and field, when not 0).
  std::vector<Taken> with(int code, int field = 0) const;
  bool has(int code, int field = 0) const { return !with(code, field).empty(); }
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Taken> events_;
};

// What a window procedure does between opening its window and serving its events.
using Prepare = std::function<void()>;

// A procedure that opens `def` (copied: the model keeps pointing at it), runs `prepare`, then
// writes every event to `log` until its window is closed.
std::function<void()> windowProc(runtime::WindowDef def, std::shared_ptr<EventLog> log,
                                 Prepare prepare = {});

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  runtime::ThreadId start(std::function<void()> proc);
  // Processes Qt events until `done` holds; false when the generous bound ran out.
  bool until(const std::function<bool()>& done);
  // Lets queued work settle: Qt events, then every procedure thread idle, then Qt again.
  void settle();

  QtBackend& backend() { return *backend_; }
  WindowHost& host() { return backend_->host(); }
  // The open view of a procedure's window, once it is shown; null until then.
  WindowView* viewOf(const std::string& proc);
  WindowView* waitView(const std::string& proc);
  FrameWindow* waitFrame();
  // The entry `number` of a procedure's window once the window has given it the focus and
  // has settled; null when that never happens.
  QLineEdit* waitFocusedEntry(const std::string& proc, int number);

 private:
  std::unique_ptr<QtBackend> backend_;
};

// A window definition for tests that need a window of a particular shape.
runtime::WindowDef testWindow(const std::string& proc, bool mdiChild, bool resizable = false);
runtime::ControlDef testControl(int number, runtime::ControlKind kind, const std::string& label,
                                runtime::Rect rect);

}  // namespace gui::test
