#pragma once
// The Backend interface: what the runtime asks of whatever shows the windows. The Qt backend
// (the program) and the headless backend (tests, the scenario runner) implement it.
//
// Calls come from procedure threads, never with a runtime lock held. Input travels the other
// way: the backend hands user input to runtime::deliver() as events.

#include <string>
#include <vector>

#include "runtime/snapshot.h"

namespace runtime {

enum class Icon { None, Information, Exclamation, Question, Hand };

// Message-box buttons; a box's answer is one of these values.
namespace button {
inline constexpr int Ok = 1;
inline constexpr int Yes = 2;
inline constexpr int No = 4;
inline constexpr int Abort = 8;
inline constexpr int Retry = 16;
inline constexpr int Ignore = 32;
inline constexpr int Cancel = 64;
inline constexpr int Help = 128;
}  // namespace button

struct MessageRequest {
  ThreadId thread = 0;
  std::string title;  // UTF-8
  std::string text;
  Icon icon = Icon::None;
  int buttons = button::Ok;  // a set of button values
  int defaultButton = button::Ok;
  std::vector<std::string> captions;  // per button value in order Ok..Help, with '&'
};

struct PopupRequest {
  ThreadId thread = 0;
  std::string menu;  // UTF-8, the menu text syntax: items split by '|', '~' disabled, '-' a line
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual void openWindow(const WindowSnapshot& window) = 0;
  virtual void updateWindow(const WindowSnapshot& window) = 0;
  virtual void closeWindow(WindowId id) = 0;
  // Makes a window the active one, restoring it when minimised.
  virtual void activateWindow(WindowId id) = 0;
  // The frame's toolbar buttons (2000..2012), shared by every thread, as `thread` changed them
  // last (0: a thread the runtime did not start).
  virtual void updateToolbar(ThreadId thread, const std::vector<ControlSnapshot>& buttons) = 0;

  // Block the calling procedure thread until answered. A box returns a button value; a popup
  // the chosen item (1-based), 0 for none.
  virtual int messageBox(const MessageRequest& request) = 0;
  virtual int popup(const PopupRequest& request) = 0;

  // Shows the halt text; the runtime then stops every thread and asks the backend to quit.
  virtual void halt(const std::string& text) = 0;
  virtual void beep() = 0;
  virtual void setWaitCursor(ThreadId thread, bool on) = 0;

  // The thread that owns the active window; 0 when none.
  virtual ThreadId activeThread() = 0;

  // The program is asked to close from outside (a signal). A backend that shows the frame
  // closes it as its close button does, so that what the user is typing and the boxes up are
  // seen to first, and returns true; false leaves the close to the runtime. Called under the
  // runtime's lock: it may only hand the work on, never call the runtime.
  virtual bool closeFromOutside() { return false; }

  // The program's main procedure has returned (or halted): leave the backend's loop.
  virtual void quit(int exitCode) = 0;
};

}  // namespace runtime
