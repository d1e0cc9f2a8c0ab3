#pragma once
// The Qt backend: shows the runtime's windows with Qt Widgets and turns the user's input into
// events. Its Backend functions are called from procedure threads and are marshalled to the
// GUI thread; only message boxes, popups and the halt notice make the caller wait, and those
// are released with their default answers once the program quits, so that joining the
// procedure threads after the event loop can never hang.

#include <QMetaObject>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "gui/gui_tasks.h"
#include "gui/pending_replies.h"
#include "runtime/backend.h"

namespace gui {

class WindowHost;

class QtBackend : public runtime::Backend {
 public:
  // On the GUI thread, once the QApplication exists.
  QtBackend();
  ~QtBackend() override;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  // --- runtime::Backend (any thread) ---
  void openWindow(const runtime::WindowSnapshot& window) override;
  void updateWindow(const runtime::WindowSnapshot& window) override;
  void closeWindow(runtime::WindowId id) override;
  void activateWindow(runtime::WindowId id) override;
  void updateToolbar(runtime::ThreadId thread,
                     const std::vector<runtime::ControlSnapshot>& buttons) override;
  int messageBox(const runtime::MessageRequest& request) override;
  int popup(const runtime::PopupRequest& request) override;
  void halt(const std::string& text) override;
  void beep() override;
  void setWaitCursor(runtime::ThreadId thread, bool on) override;
  runtime::ThreadId activeThread() override;
  bool closeFromOutside() override;
  void quit(int exitCode) override;

  // The exit code the program asked to quit with.
  int exitCode() const { return exitCode_.load(); }
  // The windows, for the GUI thread only.
  WindowHost& host() { return *host_; }

 private:
  void post(std::function<void()> task);
  int wait(int fallback, const std::function<void(PendingReplies::Token)>& show);

  std::atomic<runtime::ThreadId> activeThread_{0};
  std::atomic<int> exitCode_{0};
  PendingReplies replies_;
  std::unique_ptr<WindowHost> host_;
  GuiTasks tasks_;
  QMetaObject::Connection aboutToQuit_;

  // Snapshots on their way to the GUI thread: a window that changes faster than it is drawn
  // is drawn in its newest state only.
  std::mutex pendingMutex_;
  std::map<runtime::WindowId, runtime::WindowSnapshot> pendingWindows_;
  // Toolbar copies not yet handed to the host: each thread's latest, oldest first.
  std::vector<std::pair<runtime::ThreadId, std::vector<runtime::ControlSnapshot>>> pendingToolbars_;
};

}  // namespace gui
