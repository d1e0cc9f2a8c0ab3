#pragma once
// The GUI thread's side of the Qt backend: owns the frame and every window view, applies the
// requests the backend marshals from procedure threads, keeps the activation order (whose
// newest window decides the active thread) and makes a thread's windows wait while that
// thread has a message box up. A window counts as used when it is activated or takes the
// user's input, never merely because the frame around it came to the front. When the window
// in front closes, the one used before it takes the keyboard back. Everything here runs on
// the GUI thread only.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "gui/pending_replies.h"
#include "runtime/backend.h"

class QMdiSubWindow;

namespace gui {

class FrameWindow;
class WindowView;

class WindowHost : public QObject {
  Q_OBJECT
 public:
  WindowHost(PendingReplies& replies, std::atomic<runtime::ThreadId>& activeThread);
  ~WindowHost() override;

  void openWindow(const runtime::WindowSnapshot& snapshot);
  void updateWindow(const runtime::WindowSnapshot& snapshot);
  void closeWindow(runtime::WindowId id);
  void activateWindow(runtime::WindowId id);
  // A thread's latest copy of the frame's toolbar. The frame shows the copy of the thread its
  // presses go to (the one of the window in use), or the latest when no window is in use:
  // another thread's focus gain arriving late must not take the toolbar from the window in
  // front.
  void updateToolbar(runtime::ThreadId thread,
                     const std::vector<runtime::ControlSnapshot>& buttons);
  void showMessage(const runtime::MessageRequest& request, PendingReplies::Token token);
  void showPopup(const runtime::PopupRequest& request, PendingReplies::Token token);
  void showHalt(const std::string& text, PendingReplies::Token token);
  void setWaitCursor(runtime::ThreadId thread, bool on);
  // Closes the message boxes and menus still up; their threads were released already.
  void closeRequests();
  // The program asked to close from outside: the frame closes as by its close button, or the
  // runtime is asked directly while there is no frame to close yet.
  void closeFromOutside();

  FrameWindow* frame() const;
  WindowView* view(runtime::WindowId id) const;
  std::vector<WindowView*> views() const;

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void subWindowActivated(QMdiSubWindow* sub);
  void noteInput(QWidget* target);
  WindowView* inUse() const;  // the window used last that is still open and shown
  void activateNewest();
  void activateView(WindowView& v);
  QWidget& focusControl(WindowView& v);  // the control its procedure gives the focus, or its own
  void cascade(QMdiSubWindow* sub);
  void minimised(QMdiSubWindow* sub);
  void noteActivated(runtime::WindowId id, bool announce);
  void publishActiveThread();
  void changeThreadModal(runtime::ThreadId thread, int delta);
  void applyThreadState(WindowView& view);
  QWidget* dialogParent() const;
  // Before the program is asked to close: false when that must not go ahead.
  bool readyToClose();
  void answerInformingBoxes();  // clicks the one button of every box that has only one
  // The text being typed in the window's focused entry goes to its procedure; false when the
  // entry's picture refused it.
  bool handInTyping(WindowView& v);
  void showToolbar(const std::vector<runtime::ControlSnapshot>& buttons);
  // A window of `thread` went: a thread left without windows loses its toolbar copy; one that
  // has another takes it back into use when the window went in use.
  void windowWent(runtime::ThreadId thread, bool wasInUse);

  PendingReplies& replies_;
  std::atomic<runtime::ThreadId>& activeThread_;
  QPointer<FrameWindow> frame_;
  std::map<runtime::WindowId, QPointer<WindowView>> views_;
  std::vector<runtime::WindowId> activation_;  // newest last; never the frame
  std::map<runtime::ThreadId, int> modal_;     // message boxes up per thread
  std::map<runtime::ThreadId, bool> busy_;
  std::vector<runtime::ControlSnapshot> toolbar_;                                // the one shown
  std::map<runtime::ThreadId, std::vector<runtime::ControlSnapshot>> toolbars_;  // per thread
  std::vector<runtime::ControlSnapshot> latestToolbar_;                          // any thread's
  std::vector<QPointer<QWidget>> requests_;  // boxes and menus still up
  std::vector<QPointer<QWidget>> retired_;   // closed windows awaiting deletion
  bool frameReturning_ = false;              // the frame is being activated right now
  bool closingRequests_ = false;
  bool closedFromOutside_ = false;           // a signal asked the program to close
  runtime::WindowId pendingActivation_ = 0;  // to activate once its procedure enables it
  QPointer<WindowView> focusOnActivate_;     // takes the keyboard once the frame is active
};

}  // namespace gui
