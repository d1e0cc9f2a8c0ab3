#include "runtime/runtime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <future>
#include <set>
#include <stdexcept>
#include <thread>

#include "runtime/locale/charset.h"
#include "runtime_fixture.h"

namespace runtime {
namespace {

constexpr ThreadId kNoSuchThread = 200;

TEST_F(RuntimeTest, ThreadNumbersAreSmallDistinctAndNeverZero) {
  std::mutex m;
  std::set<ThreadId> seen;
  std::atomic<bool> release{false};
  std::vector<ThreadId> started;
  for (int i = 0; i < 20; ++i) {
    started.push_back(start([&] {
      {
        std::lock_guard lock(m);
        seen.insert(thread());
      }
      while (!release) std::this_thread::yield();
    }));
  }
  while (true) {
    std::lock_guard lock(m);
    if (seen.size() == started.size()) break;
  }
  release = true;
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(std::set<ThreadId>(started.begin(), started.end()), seen);
  EXPECT_EQ(*seen.begin(), 1);
  EXPECT_EQ(*seen.rbegin(), 20);
  EXPECT_EQ(thread(), 0) << "the test's own thread is not a procedure thread";
}

TEST_F(RuntimeTest, EventPostedToAnotherThreadIsServedByItsLoop) {
  const WindowDef def = simpleWindow("A");
  std::atomic<ThreadId> servedBy{0};
  const ThreadId a = start([&] {
    openWindow(def);
    while (int e = event()) {
      if (e == ev::Timer) {
        servedBy = thread();
        post(ev::CloseWindow);
      }
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  start([&] { postToThread(a, ev::Timer); });
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(servedBy.load(), a);
}

TEST_F(RuntimeTest, ClosingIsTheProceduresChoice) {
  const WindowDef def = simpleWindow("A");
  std::atomic<int> refusals{0};
  start([&] {
    openWindow(def);
    while (int e = event()) {
      if (e == ev::CloseWindow && refusals++ == 0) refuseClose();
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  ASSERT_TRUE(driver.close());
  EXPECT_TRUE(backend.windowOf("A").has_value()) << "the first close was refused";
  ASSERT_TRUE(driver.close());
  ASSERT_TRUE(waitFinished());
  EXPECT_FALSE(backend.windowOf("A").has_value());
  EXPECT_EQ(refusals.load(), 2);
}

// A small procedure end to end: an entry bound to a variable, a button that asks a question,
// and a button that closes the window.
TEST_F(RuntimeTest, ProcedureDrivenEndToEnd) {
  const WindowDef def = simpleWindow("PROC");
  char name[10];
  std::memset(name, ' ', sizeof name);
  int32_t count = 7;
  std::atomic<int> answer{0};
  std::atomic<int> rejected{0};
  std::string seenOnAccept;
  std::atomic<ThreadId> acceptThread{0};
  const ThreadId proc = start([&] {
    openWindow(def);
    bind(1, bindString(name));
    bind(2, bindLong(count));
    while (int e = event()) {
      if (e == ev::Rejected) ++rejected;
      switch (accepted()) {
        case 1:
          seenOnAccept = std::string(name, sizeof name);
          acceptThread = thread();
          break;
        case 3:
          answer = messageBox(cp("Сохранить?"), cp("Вопрос"), Icon::Question,
                              button::Yes | button::No, button::Yes);
          break;
        case 4:
          post(ev::CloseWindow);
          break;
      }
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  ASSERT_TRUE(driver.type("?LOC:NAME", "Пётр"));
  EXPECT_EQ(seenOnAccept, cp("Пётр      "));
  EXPECT_EQ(acceptThread.load(), proc);
  EXPECT_EQ(driver.control("?LOC:NAME")->value, "Пётр");

  // Text the picture refuses leaves the variable alone and comes back as a rejection.
  ASSERT_TRUE(driver.type("?LOC:COUNT", "12x"));
  ASSERT_TRUE(driver.type("?LOC:NAME", "Слишком длинное имя"));
  ASSERT_TRUE(driver.type("?LOC:NAME", "日本"));
  EXPECT_EQ(rejected.load(), 3);
  EXPECT_EQ(driver.control("?LOC:COUNT")->value, "7");
  EXPECT_EQ(driver.control("?LOC:NAME")->value, "Пётр");

  backend.takeTranscript();
  backend.queueAnswer("No");
  ASSERT_TRUE(driver.press("?ASK"));
  EXPECT_EQ(answer.load(), button::No);
  ASSERT_TRUE(driver.press("?ASK"));  // nothing queued: the default button
  EXPECT_EQ(answer.load(), button::Yes);
  ASSERT_TRUE(driver.press("?OK"));
  ASSERT_TRUE(waitFinished());
  const std::vector<std::string> expected = {
      R"(message "Вопрос" "Сохранить?" Yes,No -> No)",
      R"(message "Вопрос" "Сохранить?" Yes,No -> Yes (default))",
      "close PROC",
  };
  EXPECT_EQ(backend.takeTranscript(), expected);
}

// The user tabs out of a field whose text is then rejected: the procedure puts the focus back
// into the field, and the Tab's move of the focus, queued behind the rejected text, still
// reaches the procedure but no longer moves the focus on.
TEST_F(RuntimeTest, TheProceduresFocusOutlastsTheUsersMovesQueuedBeforeIt) {
  const WindowDef def = simpleWindow("PROC");
  char name[10];
  std::memset(name, ' ', sizeof name);
  int32_t count = 7;
  std::promise<void> held;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> tabbedTo{0};
  start([&] {
    openWindow(def);
    bind(1, bindString(name));
    bind(2, bindLong(count));
    select(2);
    while (int e = event()) {
      if (accepted() == 3) {  // holds the thread while the user's input piles up
        held.set_value();
        released.wait();
      }
      if (e == ev::Rejected) select(field());
      if (e == ev::Selected) tabbedTo = field();
      if (accepted() == 4) post(ev::CloseWindow);
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  const WindowId window = backend.windowOf("PROC")->id;
  Event press;
  press.code = ev::Accepted;
  press.field = 3;
  deliver(window, press);
  held.get_future().wait();
  Event typed;
  typed.code = ev::Accepted;
  typed.field = 2;
  typed.text = "12x";
  deliver(window, typed);
  Event tab;
  tab.code = ev::Selected;
  tab.field = 1;
  deliver(window, tab);
  release.set_value();
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(tabbedTo.load(), 1);
  EXPECT_EQ(backend.windowOf("PROC")->focus, 2);
  EXPECT_EQ(count, 7);
  ASSERT_TRUE(driver.press("?OK"));
  ASSERT_TRUE(waitFinished());
}

TEST_F(RuntimeTest, NewerWindowOfAThreadBlocksOnlyItsOlderOnes) {
  const WindowDef outer = simpleWindow("OUTER");
  const WindowDef inner = simpleWindow("INNER");
  const WindowDef other = simpleWindow("OTHER");
  start([&] {
    openWindow(outer);
    while (event() != 0) {
      if (accepted() == 3) {
        openWindow(inner);
        while (event() != 0) {
        }
        closeWindow();
      }
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  start([&] {
    openWindow(other);
    while (event() != 0) {
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  ASSERT_TRUE(driver.focus("OUTER"));
  ASSERT_TRUE(driver.press("?ASK"));
  EXPECT_TRUE(backend.windowOf("OUTER")->blocked);
  EXPECT_FALSE(backend.windowOf("INNER")->blocked);
  EXPECT_FALSE(backend.windowOf("OTHER")->blocked);
  ASSERT_TRUE(driver.close());  // the inner window is active
  EXPECT_FALSE(backend.windowOf("INNER").has_value());
  EXPECT_FALSE(backend.windowOf("OUTER")->blocked);
}

TEST_F(RuntimeTest, SharedToolbarTakesChangesFromAnyThread) {
  WindowDef frame = simpleWindow("START");
  frame.frame = true;
  ControlDef b;
  b.kind = ControlKind::Button;
  b.parent = "toolbar";
  for (int n : {2000, 2001}) {
    b.number = n;
    b.label = "?TB" + std::to_string(n);
    b.tip = "Кнопка";
    frame.controls.push_back(b);
  }
  start([&] {
    openWindow(frame);
    while (event() != 0) {
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  start([&] {
    disable(2000, 2001);
    setTip(2001, cp("Изменение"));
  });
  ASSERT_TRUE(waitIdle());
  const auto toolbar = backend.toolbar();
  ASSERT_EQ(toolbar.size(), 2u);
  EXPECT_TRUE(toolbar[0].disabled);
  EXPECT_TRUE(toolbar[1].disabled);
  EXPECT_EQ(toolbar[1].tip, "Изменение");
}

TEST_F(RuntimeTest, HaltStopsEveryThread) {
  const WindowDef def = simpleWindow("A");
  start([&] {
    openWindow(def);
    while (event() != 0) {
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  start([&] { halt(cp("Ошибка диска")); });
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(backend.exitCode(), 0);
  const auto transcript = backend.takeTranscript();
  EXPECT_NE(std::find(transcript.begin(), transcript.end(), R"(halt "Ошибка диска")"),
            transcript.end());
  EXPECT_EQ(start([] {}), 0) << "nothing starts once the program is stopping";
}

TEST_F(RuntimeTest, AFailingProcedureStopsTheProgramWithAMessage) {
  const WindowDef def = simpleWindow("A");
  start([&] {
    openWindow(def);
    throw std::runtime_error("unexpected");
  });
  ASSERT_TRUE(waitFinished());
  const std::vector<std::string> expected = {R"(open A "Окно")",
                                             R"(halt "Внутренняя ошибка программы")", "close A"};
  EXPECT_EQ(backend.takeTranscript(), expected);
  EXPECT_EQ(backend.exitCode(), 0);
}

// A thread's thread-local state is destroyed after its procedure has ended, and may still call
// the runtime: starting another thread must not wait for it while holding the runtime's lock.
TEST_F(RuntimeTest, StartingAThreadNeverJoinsAnEndingOneUnderTheLock) {
  struct ExitHook {
    std::function<void()> atExit;
    ~ExitHook() {
      if (atExit) atExit();
    }
  };
  std::promise<void> ending;
  std::atomic<bool> startCalled{false};
  start([&] {
    thread_local ExitHook hook;
    hook.atExit = [&] {
      ending.set_value();
      while (!startCalled) std::this_thread::yield();
      // Long enough for start() to reach the join of this very thread.
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      postToThread(kNoSuchThread, ev::Timer);
    };
  });
  ending.get_future().wait();
  auto next = std::async(std::launch::async, [&] {
    startCalled = true;
    return start([] {});
  });
  ASSERT_EQ(next.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "deadlock";
  EXPECT_NE(next.get(), 0);
}

TEST(ControlDeathTest, AWrongControlNumberStopsNamingTheNumberAndTheWindow) {
#ifdef NDEBUG
  GTEST_SKIP() << "release builds keep the inert stand-in";
#endif
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        HeadlessBackend backend;
        init(backend);
        const WindowDef def = simpleWindow("CARD");
        start([&] {
          openWindow(def);
          control(99).disabled = true;
        });
        waitFinished();
      },
      "control 99 is not in window CARD");
}

TEST_F(RuntimeTest, ControlZeroIsTheStandInOfWindowEvents) {
  const WindowDef def = simpleWindow("A");
  std::atomic<bool> standIn{false};
  start([&] {
    openWindow(def);
    event();  // OpenWindow: no control
    standIn = control(field()).number == 0;
    closeWindow();
  });
  ASSERT_TRUE(waitFinished());
  EXPECT_TRUE(standIn.load());
}

}  // namespace
}  // namespace runtime
