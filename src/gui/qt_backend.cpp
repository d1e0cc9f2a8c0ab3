#include "gui/qt_backend.h"

#include <QApplication>
#include <QThread>

#include "gui/frame_window.h"
#include "gui/qt_texts.h"
#include "gui/window_host.h"
#include "gui/window_view.h"

namespace gui {

QtBackend::QtBackend() : host_(std::make_unique<WindowHost>(replies_, activeThread_)) {
  installQtTexts();
  // Windows close when their procedures close them, never because the last one went.
  QApplication::setQuitOnLastWindowClosed(false);
  aboutToQuit_ = QObject::connect(qApp, &QCoreApplication::aboutToQuit, host_.get(), [this] {
    replies_.releaseAll();
    host_->closeRequests();
  });
}

QtBackend::~QtBackend() {
  QObject::disconnect(aboutToQuit_);
  replies_.releaseAll();
}

void QtBackend::post(std::function<void()> task) {
  tasks_.post(std::move(task));
}

void QtBackend::openWindow(const runtime::WindowSnapshot& window) {
  post([this, window] { host_->openWindow(window); });
}

void QtBackend::updateWindow(const runtime::WindowSnapshot& window) {
  const runtime::WindowId id = window.id;
  {
    std::lock_guard lock(pendingMutex_);
    const bool scheduled = pendingWindows_.count(id) != 0;
    pendingWindows_[id] = window;
    if (scheduled) return;
  }
  post([this, id] {
    std::optional<runtime::WindowSnapshot> latest;
    {
      std::lock_guard lock(pendingMutex_);
      const auto it = pendingWindows_.find(id);
      if (it == pendingWindows_.end()) return;
      latest = std::move(it->second);
      pendingWindows_.erase(it);
    }
    host_->updateWindow(*latest);
  });
}

void QtBackend::closeWindow(runtime::WindowId id) {
  post([this, id] { host_->closeWindow(id); });
}

void QtBackend::activateWindow(runtime::WindowId id) {
  post([this, id] { host_->activateWindow(id); });
}

void QtBackend::updateToolbar(runtime::ThreadId thread,
                              const std::vector<runtime::ControlSnapshot>& buttons) {
  {
    std::lock_guard lock(pendingMutex_);
    const bool scheduled = !pendingToolbars_.empty();
    std::erase_if(pendingToolbars_, [thread](const auto& p) { return p.first == thread; });
    pendingToolbars_.emplace_back(thread, buttons);
    if (scheduled) return;
  }
  post([this] {
    std::vector<std::pair<runtime::ThreadId, std::vector<runtime::ControlSnapshot>>> copies;
    {
      std::lock_guard lock(pendingMutex_);
      copies.swap(pendingToolbars_);
    }
    for (const auto& [thread, buttons] : copies) host_->updateToolbar(thread, buttons);
  });
}

int QtBackend::wait(int fallback, const std::function<void(PendingReplies::Token)>& show) {
  // Only procedure threads may wait: the GUI thread waiting on itself would never be answered.
  if (QThread::currentThread() == host_->thread()) return fallback;
  const auto token = replies_.open(fallback);
  if (!token) return fallback;
  show(*token);
  return replies_.wait(*token);
}

int QtBackend::messageBox(const runtime::MessageRequest& request) {
  // Released while quitting with the default button, as the runtime answers once stopping.
  return wait(request.defaultButton, [this, &request](PendingReplies::Token token) {
    post([this, request, token] { host_->showMessage(request, token); });
  });
}

int QtBackend::popup(const runtime::PopupRequest& request) {
  return wait(0, [this, &request](PendingReplies::Token token) {
    post([this, request, token] { host_->showPopup(request, token); });
  });
}

void QtBackend::halt(const std::string& text) {
  wait(runtime::button::Ok, [this, &text](PendingReplies::Token token) {
    post([this, text, token] { host_->showHalt(text, token); });
  });
}

bool QtBackend::closeFromOutside() {
  post([this] { host_->closeFromOutside(); });
  return true;
}

void QtBackend::beep() {
  post([] { QApplication::beep(); });
}

void QtBackend::setWaitCursor(runtime::ThreadId thread, bool on) {
  post([this, thread, on] { host_->setWaitCursor(thread, on); });
}

runtime::ThreadId QtBackend::activeThread() {
  return activeThread_.load();
}

void QtBackend::quit(int exitCode) {
  exitCode_.store(exitCode);
  // Threads waiting on the user are let go now: after the loop ends nobody answers them.
  replies_.releaseAll();
  post([this, exitCode] {
    host_->closeRequests();
    QCoreApplication::exit(exitCode);
  });
}

}  // namespace gui
