// Closing the frame closes the program: every other thread's newest window is asked first, and
// any one of them may keep the program running.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "runtime/locale/charset.h"
#include "runtime_fixture.h"

namespace runtime {
namespace {

class CloseDownTest : public RuntimeTest {
 protected:
  // The frame, and on a thread of its own a list that opens a card on ?ASK. On CloseDown the
  // card asks whether to throw its changes away, and stays open on No.
  void startProgram() {
    runMain([this] {
      openWindow(frame_);
      start([this] {
        openWindow(list_);
        while (const int e = event()) {
          if (e == ev::CloseDown) ++listCloseDowns;
          if (accepted() == 3) card();
        }
        closeWindow();
      });
      while (event() != 0) {
      }
      closeWindow();
    });
    ASSERT_TRUE(waitIdle());
  }

  void card() {
    openWindow(card_);
    while (const int e = event()) {
      if (e != ev::CloseDown) continue;
      ++cardCloseDowns;
      if (messageBox(cp("Вы уверены, что хотите отменить изменения в этой записи?"), cp("Внимание"),
                     Icon::Question, button::Yes | button::No, button::Yes) == button::No) {
        refuseClose();
      }
    }
    closeWindow();
  }

  std::atomic<int> listCloseDowns{0};
  std::atomic<int> cardCloseDowns{0};

 private:
  const WindowDef frame_ = [] {
    WindowDef w = simpleWindow("START");
    w.frame = true;
    return w;
  }();
  const WindowDef list_ = simpleWindow("LIST");
  const WindowDef card_ = simpleWindow("CARD");
};

TEST_F(CloseDownTest, ARefusalKeepsEveryWindowAndTheNextCloseEndsTheProgram) {
  startProgram();
  ASSERT_TRUE(driver.focus("LIST"));
  ASSERT_TRUE(driver.press("?ASK"));
  backend.takeTranscript();

  backend.queueAnswer("No");
  ASSERT_TRUE(driver.closeFrame());
  EXPECT_EQ(cardCloseDowns.load(), 1);
  EXPECT_EQ(listCloseDowns.load(), 0) << "only the newest window of a thread is asked";
  for (const char* proc : {"START", "LIST", "CARD"}) EXPECT_TRUE(backend.windowOf(proc)) << proc;
  EXPECT_FALSE(stopping());
  EXPECT_FALSE(backend.exitCode());

  closeFrame();  // as SIGTERM does; the question now takes its default, Yes
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(cardCloseDowns.load(), 2);
  EXPECT_EQ(listCloseDowns.load(), 1);
  EXPECT_EQ(backend.exitCode(), 0);
  const auto transcript = backend.takeTranscript();
  const std::vector<std::string> expected = {
      R"(message "Внимание" "Вы уверены, что хотите отменить изменения в этой записи?" Yes,No -> No)",
      R"(message "Внимание" "Вы уверены, что хотите отменить изменения в этой записи?" Yes,No -> Yes (default))",
      "close CARD",
      "close LIST",
      "close START",
  };
  EXPECT_EQ(transcript, expected);
}

// A session ending while the program starts: the close comes before the main procedure runs,
// which then never starts, and the program ends with exit code 0 instead of waiting forever.
TEST_F(CloseDownTest, ACloseBeforeTheMainProcedureStartsEndsTheProgram) {
  closeFrame();
  std::atomic<bool> ran{false};
  runMain([&ran] { ran = true; });
  EXPECT_EQ(backend.exitCode(), std::optional<int>(0));
  EXPECT_TRUE(waitFinished());
  EXPECT_FALSE(ran.load());
  EXPECT_TRUE(backend.takeTranscript().empty());
}

// A work window's thread that is still opening its files when the frame is closed opens its
// window afterwards; it is asked then, and the program ends.
TEST_F(CloseDownTest, AWindowOpenedWhileTheProgramClosesIsAskedToo) {
  WindowDef frame = simpleWindow("START");
  frame.frame = true;
  const WindowDef list = simpleWindow("LIST");
  std::atomic<bool> started{false};
  std::atomic<bool> closing{false};
  runMain([&] {
    openWindow(frame);
    start([&] {
      started = true;
      while (!closing.load()) std::this_thread::yield();
      openWindow(list);
      while (const int e = event()) {
        if (e == ev::CloseDown) ++listCloseDowns;
      }
      closeWindow();
    });
    while (event() != 0) {
    }
    closeWindow();
  });
  while (!started.load()) std::this_thread::yield();
  closeFrame();
  closing = true;
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(listCloseDowns.load(), 1);
  EXPECT_EQ(backend.exitCode(), std::optional<int>(0));
}

TEST_F(CloseDownTest, LongWorkEndsWhenTheFrameCloses) {
  startProgram();
  std::atomic<bool> working{false};
  start([&] {
    const auto progress = std::make_unique<int32_t>(0);
    openWindow(simpleWindow("CONVERT"));
    bind(2, bindLong(*progress));
    working = true;
    for (;;) {
      ++*progress;
      display();
      if (stopping()) stopThread();
    }
  });
  while (!working) std::this_thread::yield();
  closeFrame();
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(backend.exitCode(), 0);
}

}  // namespace
}  // namespace runtime
