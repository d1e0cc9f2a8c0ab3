#pragma once
// Work that procedure threads hand to the GUI thread, run there in the order it was handed
// over. A procedure thread never calls into Qt to do so: it queues the task under a mutex of
// ours and, when the queue was empty, writes to an event counter that the GUI thread's event
// loop watches. Everything a procedure thread wrote before handing a task over is thus seen by
// the GUI thread through synchronisation that ThreadSanitizer follows, and no Qt structure is
// ever touched from two threads on our account.

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace gui {

class GuiTasks : public QObject {
  Q_OBJECT
 public:
  // On the GUI thread.
  explicit GuiTasks(QObject* parent = nullptr);
  ~GuiTasks() override;
  GuiTasks(const GuiTasks&) = delete;
  GuiTasks& operator=(const GuiTasks&) = delete;

  // Any thread. The task runs on the GUI thread.
  void post(std::function<void()> task);

 private:
  void run();

  int wakeFd_ = -1;  // an event counter: readable while tasks wait
  QSocketNotifier* notifier_ = nullptr;
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  bool woken_ = false;  // the counter was written and not yet read
};

}  // namespace gui
