#include "gui/gui_tasks.h"

#include <QMetaObject>

namespace gui {

void GuiTasks::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (scheduled_) return;
    scheduled_ = true;
  }
  // By name and without arguments: the call Qt queues holds nothing of ours.
  QMetaObject::invokeMethod(this, "run", Qt::QueuedConnection);
}

void GuiTasks::run() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(tasks_);
    scheduled_ = false;
  }
  for (auto& task : batch) task();
}

}  // namespace gui
