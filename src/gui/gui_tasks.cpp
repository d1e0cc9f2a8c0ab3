#include "gui/gui_tasks.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdint>
#include <stdexcept>

namespace gui {

GuiTasks::GuiTasks(QObject* parent)
    : QObject(parent), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (wakeFd_ < 0) throw std::runtime_error("no event counter for the GUI thread");
  notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &GuiTasks::run);
}

GuiTasks::~GuiTasks() {
  delete notifier_;
  ::close(wakeFd_);
}

void GuiTasks::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (woken_) return;
    woken_ = true;
  }
  const std::uint64_t one = 1;
  // Cannot fail short of a counter overflow, which one write per wake-up never reaches.
  [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void GuiTasks::run() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(tasks_);
    woken_ = false;
  }
  for (auto& task : batch) task();
}

}  // namespace gui
