// The frame's toolbar, shared by every thread: changes reach the backend in order and, per
// procedure, as one copy when it next waits.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "runtime/locale/charset.h"
#include "runtime_fixture.h"

namespace runtime {
namespace {

// Counts the toolbar copies it is given. On request it holds the next copy back until another
// arrives (or a moment has passed): were two copies able to pass each other, the older one
// would land last.
class ToolbarWitness : public HeadlessBackend {
 public:
  void updateToolbar(ThreadId thread, const std::vector<ControlSnapshot>& buttons) override {
    std::unique_lock lock(mutex_);
    const int mine = ++copies_;
    cv_.notify_all();
    if (hold_) {
      hold_ = false;
      holding_ = true;
      cv_.notify_all();
      cv_.wait_for(lock, std::chrono::milliseconds(300), [&] { return copies_ > mine; });
    }
    lock.unlock();
    HeadlessBackend::updateToolbar(thread, buttons);
  }
  void holdNext() {
    std::lock_guard lock(mutex_);
    hold_ = true;
  }
  void waitHolding() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return holding_; });
  }
  int copies() {
    std::lock_guard lock(mutex_);
    return copies_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int copies_ = 0;
  bool hold_ = false;
  bool holding_ = false;
};

class ToolbarTest : public RuntimeTestOver<ToolbarWitness> {
 protected:
  void SetUp() override {
    RuntimeTestOver::SetUp();
    WindowDef frame = simpleWindow("START");
    frame.frame = true;
    ControlDef b;
    b.kind = ControlKind::Button;
    b.parent = "toolbar";
    for (int n : {2000, 2001, 2002}) {
      b.number = n;
      b.label = "?TB" + std::to_string(n);
      b.tip = "Кнопка";
      frame.controls.push_back(b);
    }
    start([frame] {
      openWindow(frame);
      while (event() != 0) {
      }
      closeWindow();
    });
    ASSERT_TRUE(waitIdle());
  }
};

TEST_F(ToolbarTest, TheLastChangeIsTheOneThatStays) {
  backend.holdNext();
  start([] { disable(2000); });
  backend.waitHolding();
  start([] { setTip(2001, cp("Последняя")); });
  ASSERT_TRUE(waitIdle());
  const auto toolbar = backend.toolbar();
  ASSERT_EQ(toolbar.size(), 3u);
  EXPECT_TRUE(toolbar[0].disabled);
  EXPECT_EQ(toolbar[1].tip, "Последняя");
}

TEST_F(ToolbarTest, AProceduresChangesGoOutAsOneCopy) {
  const WindowDef def = simpleWindow("A");
  start([&] {
    openWindow(def);
    while (event() != 0) {
      if (accepted() != 3) continue;
      disable(2000, 2002);
      enable(2001);
      setTip(2002, cp("Удаление записи"));
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  const int before = backend.copies();
  ASSERT_TRUE(driver.press("?ASK"));
  EXPECT_EQ(backend.copies(), before + 1);
  const auto toolbar = backend.toolbar();
  EXPECT_TRUE(toolbar[0].disabled);
  EXPECT_FALSE(toolbar[1].disabled);
  EXPECT_TRUE(toolbar[2].disabled);
  EXPECT_EQ(toolbar[2].tip, "Удаление записи");
}

}  // namespace
}  // namespace runtime
