#pragma once
// The headless backend: keeps the latest snapshot of every window, answers message boxes and
// popups from a queue of scripted answers (the default button when the queue is empty), and
// writes what happens to a transcript. Tests and the scenario runner drive the program
// through it: they inject input as events and wait until every thread is idle.

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "runtime/backend.h"
#include "runtime/event.h"

namespace runtime {

class HeadlessBackend : public Backend {
 public:
  // --- Backend ---
  void openWindow(const WindowSnapshot& window) override;
  void updateWindow(const WindowSnapshot& window) override;
  void closeWindow(WindowId id) override;
  void activateWindow(WindowId id) override;
  void updateToolbar(ThreadId thread, const std::vector<ControlSnapshot>& buttons) override;
  int messageBox(const MessageRequest& request) override;
  int popup(const PopupRequest& request) override;
  void halt(const std::string& text) override;
  void beep() override;
  void setWaitCursor(ThreadId thread, bool on) override;
  ThreadId activeThread() override;
  void quit(int exitCode) override;

  // --- driver ---
  // An answer for the next box ("OK", "Yes", "No", "Cancel", "Retry", "Abort", "Ignore") or
  // popup ("item N", "none").
  void queueAnswer(const std::string& answer);
  // The user put the focus on a control (the driver delivers the event): the window's next
  // snapshot then reports nothing new.
  void focusGiven(WindowId window, int control);
  // Adds a line of the driver's own to the transcript, in order with the backend's.
  void note(const std::string& line);
  // The transcript lines since the last call.
  std::vector<std::string> takeTranscript();

  std::vector<WindowSnapshot> windows() const;  // open windows, oldest first
  std::optional<WindowSnapshot> window(WindowId id) const;
  // The active window: the newest-activated open window that is not the frame; the frame
  // when it is the only one.
  std::optional<WindowSnapshot> activeWindow() const;
  std::optional<WindowSnapshot> windowOf(const std::string& proc) const;
  // The active window's control with that label, without a copy of the window: what input
  // for it needs.
  struct Target {
    WindowId window = 0;
    int focus = 0;  // the window's
    int number = 0;
    ControlKind kind = ControlKind::Button;
    std::vector<int> alertKeys;
  };
  std::optional<Target> activeTarget(const std::string& label) const;
  // The newest window of that procedure, as a target for input to the window itself.
  struct WindowTarget {
    WindowId window = 0;
    int focus = 0;
    bool blocked = false;
  };
  std::optional<WindowTarget> windowTargetOf(const std::string& proc) const;
  std::optional<ControlSnapshot> activeControl(const std::string& label) const;
  std::vector<ControlSnapshot> toolbar() const;
  bool waitCursor(ThreadId thread) const;

  std::optional<int> exitCode() const;  // set once the program asked to quit

  // Button values by name and back ("Yes" <-> button::Yes); 0 / "" when unknown.
  static int buttonValue(const std::string& name);
  static std::string buttonName(int value);

 private:
  std::optional<WindowId> activeLocked() const;
  const WindowSnapshot* windowOfLocked(const std::string& proc) const;
  void applyFocus(const WindowSnapshot& window);
  void measureLists(const WindowSnapshot& window);

  struct Focus {
    int requested = 0;  // the control the procedure last gave the focus
    int target = 0;     // the control that took it
  };

  mutable std::mutex mutex_;
  std::map<WindowId, WindowSnapshot> windows_;
  std::vector<WindowId> order_;  // activation order, newest last
  std::vector<ControlSnapshot> toolbar_;
  std::deque<std::string> answers_;
  std::vector<std::string> transcript_;
  std::map<ThreadId, bool> waitCursor_;
  std::map<WindowId, Focus> focus_;
  std::map<WindowId, std::map<int, int>> reportedRows_;  // list -> rows it reported
  std::optional<int> exitCode_;
};

}  // namespace runtime
