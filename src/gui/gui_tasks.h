#pragma once
// Work that procedure threads hand to the GUI thread, run there in the order it was handed
// over. The hand-over goes through a mutex of ours and the GUI thread is only woken by a
// call that carries nothing: what a procedure thread wrote is thus seen by the GUI thread
// through synchronisation that every tool can follow, Qt's own locks included or not.

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace gui {

class GuiTasks : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // Any thread. The task runs on the thread this object lives on.
  void post(std::function<void()> task);

  // Runs the tasks handed over so far; called by Qt on the GUI thread.
  Q_INVOKABLE void run();

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  bool scheduled_ = false;  // a run() is on its way
};

}  // namespace gui
