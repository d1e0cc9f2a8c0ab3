// A procedure ended by a halt or a fault leaves its windows behind with the variables they were
// bound to gone: they close without being shown again. Heap variables make any late read an
// AddressSanitizer report.

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "runtime/locale/charset.h"
#include "runtime_fixture.h"

namespace runtime {
namespace {

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(RuntimeTest, ACardEndedOverItsListClosesBothUnseen) {
  const WindowDef list = simpleWindow("LIST");
  const WindowDef card = simpleWindow("CARD");
  for (const bool fault : {false, true}) {
    SCOPED_TRACE(fault ? "a fault" : "a halt");
    start([&] {
      const auto listCount = std::make_unique<int32_t>(1);
      openWindow(list);
      bind(2, bindLong(*listCount));
      while (event() != 0) {
        if (accepted() != 3) continue;
        const auto cardCount = std::make_unique<int32_t>(2);
        openWindow(card);
        bind(2, bindLong(*cardCount));
        if (fault) throw std::runtime_error("unexpected");
        halt(cp("Ошибка диска"));
      }
      closeWindow();
    });
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(driver.press("?ASK"));
    ASSERT_TRUE(waitFinished());
    const auto transcript = backend.takeTranscript();
    EXPECT_TRUE(contains(transcript, "close CARD"));
    EXPECT_TRUE(contains(transcript, "close LIST"));
    EXPECT_EQ(backend.exitCode(), 0);
    shutdown();
    init(backend);
  }
}

// Holds the next message box until the test lets it go, as a user who has not answered yet.
class HeldBoxBackend : public HeadlessBackend {
 public:
  int messageBox(const MessageRequest& r) override {
    {
      std::unique_lock lock(mutex_);
      shown_ = true;
      cv_.notify_all();
      cv_.wait(lock, [this] { return released_; });
    }
    return HeadlessBackend::messageBox(r);
  }
  void waitShown() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return shown_; });
  }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool shown_ = false;
  bool released_ = false;
};

using HeldBoxTest = RuntimeTestOver<HeldBoxBackend>;

TEST_F(HeldBoxTest, AHaltElsewhereEndsAProcedureWaitingOnABox) {
  const WindowDef def = simpleWindow("B");
  std::atomic<bool> actedOnAnswer{false};
  start([&] {
    const auto count = std::make_unique<int32_t>(3);
    openWindow(def);
    bind(2, bindLong(*count));
    if (messageBox(cp("Удалить?"), cp("Вопрос"), Icon::Question, button::Yes | button::No,
                   button::Yes) == button::Yes) {
      actedOnAnswer = true;  // a deletion, say: never on an answer nobody gave
    }
    while (event() != 0) {
    }
    closeWindow();
  });
  backend.waitShown();
  start([] { halt(cp("Ошибка диска")); });
  while (!backend.exitCode()) std::this_thread::yield();
  backend.release();
  ASSERT_TRUE(waitFinished());
  EXPECT_FALSE(actedOnAnswer);
  const auto transcript = backend.takeTranscript();
  EXPECT_TRUE(contains(transcript, R"(halt "Ошибка диска")"));
  EXPECT_TRUE(contains(transcript, "close B"));
}

// Notes the window as the backend had it when a popup came up.
class PopupWitness : public HeadlessBackend {
 public:
  int popup(const PopupRequest& r) override {
    underPopup = windowOf("A");
    return HeadlessBackend::popup(r);
  }
  std::optional<WindowSnapshot> underPopup;
};

using PopupTest = RuntimeTestOver<PopupWitness>;

TEST_F(PopupTest, APopupShowsTheWindowAsItIs) {
  const WindowDef def = simpleWindow("A");
  start([&] {
    openWindow(def);
    while (event() != 0) {
      if (accepted() != 3) continue;
      control(3).text = cp("Выбрано");
      disable(4);
      popup(cp("&Добавить|&Изменить"));
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  ASSERT_TRUE(driver.press("?ASK"));
  ASSERT_TRUE(backend.underPopup.has_value());
  EXPECT_EQ(backend.underPopup->controls.at(2).text, "Выбрано");
  EXPECT_TRUE(backend.underPopup->controls.at(3).disabled);
}

}  // namespace
}  // namespace runtime
