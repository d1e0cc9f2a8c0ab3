// The Qt backend between procedure threads and the GUI: modality per thread, message boxes
// and popups that hold only their own thread, the toolbar relay to the frame, activation and
// the active thread, and release of waiting threads when the program quits.

#include <QAbstractButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <atomic>

#include "gui/frame_window.h"
#include "gui/popup_menu.h"
#include "gui_harness.h"
#include "layout/windows.h"
#include "runtime/locale/charset.h"

namespace gui::test {
namespace {

namespace button = runtime::button;
using runtime::cp;

class Backend : public GuiTest {
 protected:
  // A message box that is up, or null.
  static QMessageBox* shownBox() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
  }
  static QMenu* shownMenu() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* menu = qobject_cast<QMenu*>(w);
      if (menu != nullptr && menu->isVisible()) return menu;
    }
    return nullptr;
  }
  static QAbstractButton* buttonFor(QMessageBox& box, int answer) {
    for (QAbstractButton* b : box.buttons()) {
      if (b->property("answer").toInt() == answer) return b;
    }
    return nullptr;
  }
};

TEST_F(Backend, ToolbarPressesAndMenuCommandsReachTheFrameProcedure) {
  auto log = std::make_shared<EventLog>();
  start(windowProc(phonedir::layout::frameWindow(), log));
  FrameWindow* frame = waitFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(until([&] { return frame->toolbarButton(2005) != nullptr; }));
  for (int n : {2005, 2000, 2004}) {
    qobject_cast<QAbstractButton*>(frame->toolbarButton(n))->click();
  }
  frame->menuAction(-2)->trigger();
  ASSERT_TRUE(until([&] { return log->has(runtime::ev::Accepted, -2); }));
  std::vector<int> fields;
  for (const Taken& t : log->with(runtime::ev::Accepted)) fields.push_back(t.field);
  EXPECT_EQ(fields, (std::vector<int>{2005, 2000, 2004, -2}));
  // The frame is never the active window's thread: a relay to it would go nowhere.
  EXPECT_EQ(backend().activeThread(), 0);
}

TEST_F(Backend, AMessageBoxHoldsOnlyTheWindowsOfItsOwnThread) {
  auto logA = std::make_shared<EventLog>();
  auto logB = std::make_shared<EventLog>();
  auto answer = std::make_shared<std::atomic<int>>(-1);
  start(windowProc(testWindow("B", false), logB));
  WindowView* b = waitView("B");
  start(windowProc(testWindow("A", false), logA, [answer] {
    answer->store(runtime::messageBox(cp("Удалить запись?"), cp("Удаление"),
                                      runtime::Icon::Question,
                                      button::Yes | button::No | button::Cancel, button::No));
  }));
  ASSERT_TRUE(until([&] { return shownBox() != nullptr; }));
  WindowView* a = viewOf("A");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_FALSE(a->isEnabled());
  EXPECT_TRUE(b->isEnabled());

  QMessageBox* box = shownBox();
  EXPECT_EQ(box->windowTitle(), "Удаление");
  EXPECT_EQ(box->text(), "Удалить запись?");
  EXPECT_EQ(box->icon(), QMessageBox::Question);
  // Buttons in the fixed order, with the locale's captions; the default one is the default.
  const QList<QAbstractButton*> buttons = box->buttons();
  std::vector<QAbstractButton*> shown(buttons.begin(), buttons.end());
  std::sort(shown.begin(), shown.end(), [](QAbstractButton* l, QAbstractButton* r) {
    return l->mapToGlobal(QPoint()).x() < r->mapToGlobal(QPoint()).x();
  });
  std::vector<QString> captions;
  for (QAbstractButton* btn : shown) captions.push_back(btn->text());
  EXPECT_EQ(captions, (std::vector<QString>{"&Да", "&Нет", "&Отменить"}));
  EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), buttonFor(*box, button::No));

  buttonFor(*box, button::Yes)->click();
  ASSERT_TRUE(until([&] { return answer->load() == button::Yes; }));
  EXPECT_TRUE(until([&] { return a->isEnabled(); }));
}

// The frame's toolbar relays a press to the window in use; while that window's thread waits
// on a box the press is dropped, or it would act once the box is answered, on whatever the
// window shows then.
TEST_F(Backend, AToolbarPressWhileTheWindowInUseAsksIsDropped) {
  auto frameLog = std::make_shared<EventLog>();
  start(windowProc(phonedir::layout::frameWindow(), frameLog));
  FrameWindow* frame = waitFrame();
  ASSERT_NE(frame, nullptr);
  auto answer = std::make_shared<std::atomic<int>>(-1);
  start(windowProc(testWindow("A", true), std::make_shared<EventLog>(), [answer] {
    answer->store(runtime::messageBox(cp("Удалить запись?"), cp("Удаление"),
                                      runtime::Icon::Question, button::Yes | button::No,
                                      button::No));
  }));
  ASSERT_TRUE(until([&] { return shownBox() != nullptr; }));
  auto* insert = qobject_cast<QAbstractButton*>(frame->toolbarButton(2000));
  ASSERT_NE(insert, nullptr);
  insert->click();
  settle();
  EXPECT_FALSE(frameLog->has(runtime::ev::Accepted, 2000));
  buttonFor(*shownBox(), button::No)->click();
  ASSERT_TRUE(until([&] { return answer->load() == button::No; }));
  ASSERT_TRUE(until([&] { return viewOf("A") != nullptr && viewOf("A")->isEnabled(); }));
  insert->click();
  EXPECT_TRUE(until([&] { return frameLog->has(runtime::ev::Accepted, 2000); }));
}

// A window disabled under a box (or a lookup) of its thread gets the keyboard back where the
// user had it, not on its first control.
TEST_F(Backend, AWindowUnderABoxGetsTheKeyboardBackWhereItWas) {
  runtime::WindowDef def = testWindow("A", false);
  def.controls = {testControl(1, runtime::ControlKind::Entry, "?FIRST", {4, 4, 60, 10}),
                  testControl(2, runtime::ControlKind::Entry, "?SECOND", {4, 20, 60, 10}),
                  testControl(3, runtime::ControlKind::Button, "?ASK", {4, 36, 40, 14})};
  def.controls[2].text = "Спросить";
  auto asked = std::make_shared<std::atomic<bool>>(false);
  auto log = std::make_shared<EventLog>();
  start(windowProc(def, log, [asked] {
    while (const int code = runtime::event()) {
      if (code == runtime::ev::Accepted && runtime::field() == 3) {
        runtime::messageBox(cp("Сохранить?"), cp("Вопрос"), runtime::Icon::Question,
                            button::Yes | button::No, button::No);
        asked->store(true);
      }
    }
  }));
  WindowView* view = waitView("A");
  ASSERT_NE(view, nullptr);
  QWidget* second = view->control(2);
  view->window()->activateWindow();
  second->setFocus();
  ASSERT_TRUE(until([&] { return QApplication::focusWidget() == second; }));
  qobject_cast<QAbstractButton*>(view->control(3))->click();  // the focus stays
  ASSERT_TRUE(until([&] { return shownBox() != nullptr; }));
  buttonFor(*shownBox(), button::No)->click();
  ASSERT_TRUE(until([&] { return asked->load() && view->isEnabled(); }));
  view->window()->activateWindow();
  EXPECT_TRUE(until([&] { return QApplication::focusWidget() == second; }));
}

TEST_F(Backend, ABoxClosedWithoutAButtonAnswersCancelOrItsDefault) {
  struct Case {
    int buttons, defaultButton, expected;
  };
  const Case cases[] = {
      {button::Yes | button::No, button::No, button::No},
      {button::Yes | button::No | button::Cancel, button::Yes, button::Cancel},
      {button::Ok, button::Ok, button::Ok},
      {button::Retry | button::Cancel, button::Retry, button::Cancel},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.buttons);
    auto answer = std::make_shared<std::atomic<int>>(-1);
    start([answer, t] {
      answer->store(
          runtime::messageBox("?", "", runtime::Icon::Exclamation, t.buttons, t.defaultButton));
    });
    ASSERT_TRUE(until([&] { return shownBox() != nullptr; }));
    QTest::keyClick(shownBox(), Qt::Key_Escape);
    ASSERT_TRUE(until([&] { return answer->load() != -1; }));
    EXPECT_EQ(answer->load(), t.expected);
    ASSERT_TRUE(until([&] { return shownBox() == nullptr; }));
  }
}

TEST_F(Backend, QuittingReleasesAThreadWaitingOnTheUser) {
  auto answers = std::make_shared<std::vector<int>>();
  auto done = std::make_shared<std::atomic<bool>>(false);
  start([answers, done] {
    answers->push_back(runtime::messageBox("?", "", runtime::Icon::Question,
                                           button::Yes | button::No, button::No));
    // Once quitting, nothing is shown any more and every request answers at once.
    answers->push_back(runtime::popup("&One|&Two"));
    done->store(true);
  });
  ASSERT_TRUE(until([&] { return shownBox() != nullptr; }));
  backend().quit(0);
  ASSERT_TRUE(until([&] { return done->load(); }));
  EXPECT_EQ(*answers, (std::vector<int>{button::No, 0}));
  EXPECT_EQ(backend().exitCode(), 0);
}

TEST_F(Backend, PopupItemsAreNumberedWithoutSeparators) {
  auto answer = std::make_shared<std::atomic<int>>(-1);
  start(
      [answer] { answer->store(runtime::popup(cp("&Добавить|~&Изменить|&Удалить|-|&Выбрать"))); });
  ASSERT_TRUE(until([&] { return shownMenu() != nullptr; }));
  QMenu* menu = shownMenu();
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 5);
  EXPECT_EQ(actions[0]->text(), "&Добавить");
  EXPECT_FALSE(actions[1]->isEnabled());
  EXPECT_TRUE(actions[3]->isSeparator());
  actions[4]->trigger();
  ASSERT_TRUE(until([&] { return answer->load() != -1; }));
  EXPECT_EQ(answer->load(), 4);
  menu->close();
  ASSERT_TRUE(until([&] { return shownMenu() == nullptr; }));

  // Dismissed without a choice: none.
  answer->store(-1);
  start([answer] { answer->store(runtime::popup("&One|&Two")); });
  ASSERT_TRUE(until([&] { return shownMenu() != nullptr; }));
  shownMenu()->close();
  ASSERT_TRUE(until([&] { return answer->load() != -1; }));
  EXPECT_EQ(answer->load(), 0);
}

TEST(PopupMenu, ParsesItemsSeparatorsAndGreyedEntries) {
  struct Case {
    const char* menu;
    std::vector<int> numbers;  // 0 for a separator
    std::vector<bool> enabled;
  };
  const Case cases[] = {
      {"&A|&B|&C", {1, 2, 3}, {true, true, true}},
      {"~&A|-|&B", {1, 0, 2}, {false, true, true}},
      {"&A||&B|", {1, 2}, {true, true}},
      {"-", {0}, {true}},
      {"", {}, {}},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.menu);
    std::vector<int> numbers;
    std::vector<bool> enabled;
    for (const PopupItem& item : parsePopupMenu(t.menu)) {
      numbers.push_back(item.number);
      enabled.push_back(item.enabled);
      EXPECT_FALSE(item.text.startsWith('~'));
    }
    EXPECT_EQ(numbers, t.numbers);
    EXPECT_EQ(enabled, t.enabled);
  }
}

TEST_F(Backend, GainOfFocusRestoresAndActivatesAMinimisedWorkWindow) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  FrameWindow* frame = waitFrame();
  ASSERT_NE(frame, nullptr);
  auto logA = std::make_shared<EventLog>();
  const runtime::ThreadId a = start(windowProc(testWindow("A", true), logA));
  WindowView* viewA = waitView("A");
  const runtime::ThreadId b =
      start(windowProc(testWindow("B", true), std::make_shared<EventLog>()));
  ASSERT_NE(waitView("B"), nullptr);
  ASSERT_NE(viewA, nullptr);
  EXPECT_EQ(backend().activeThread(), b);

  auto* subA = qobject_cast<QMdiSubWindow*>(viewA->outer());
  ASSERT_NE(subA, nullptr);
  subA->showMinimized();
  ASSERT_TRUE(until([&] { return subA->isMinimized(); }));
  settle();
  logA->clear();

  runtime::postToThread(a, runtime::ev::GainFocus);
  ASSERT_TRUE(until([&] {
    return !subA->isMinimized() && frame->mdiArea()->currentSubWindow() == subA &&
           backend().activeThread() == a;
  }));
  settle();
  EXPECT_EQ(logA->with(runtime::ev::GainFocus).size(), 1u) << "announced once, by the runtime";
}

TEST_F(Backend, TheActiveThreadIsTheNewestWindowsNeverTheFrames) {
  // The frame's thread first shows a window of its own (as the number conversion does).
  auto frameLog = std::make_shared<EventLog>();
  start(windowProc(phonedir::layout::frameWindow(), frameLog,
                   [frameLog] { windowProc(testWindow("F", false), frameLog)(); }));
  WindowView* own = waitView("F");
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(backend().activeThread(), 0) << "the frame would relay presses to itself";
  own->close();
  ASSERT_TRUE(until([&] { return viewOf("F") == nullptr; }));
  EXPECT_EQ(backend().activeThread(), 0);
  const runtime::ThreadId work =
      start(windowProc(testWindow("W", true), std::make_shared<EventLog>()));
  ASSERT_NE(waitView("W"), nullptr);
  EXPECT_EQ(backend().activeThread(), work);
  auto cardLog = std::make_shared<EventLog>();
  const runtime::ThreadId card = start(windowProc(testWindow("C", false), cardLog));
  WindowView* c = waitView("C");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(backend().activeThread(), card);
  c->close();
  ASSERT_TRUE(until([&] { return viewOf("C") == nullptr; }));
  EXPECT_EQ(backend().activeThread(), work);
}

TEST_F(Backend, AUserCloseIsOnlyARequestToTheProcedure) {
  auto log = std::make_shared<EventLog>();
  // This procedure refuses the first close and accepts the second.
  start([log] {
    const runtime::WindowDef def = testWindow("R", false);  // the model keeps pointing at it
    runtime::openWindow(def);
    int refused = 0;
    while (const int code = runtime::event()) {
      Taken t;
      t.code = code;
      log->add(t);
      if (code == runtime::ev::CloseWindow && refused++ == 0) runtime::refuseClose();
    }
    runtime::closeWindow();
  });
  WindowView* view = waitView("R");
  ASSERT_NE(view, nullptr);
  view->close();
  ASSERT_TRUE(until([&] { return log->has(runtime::ev::CloseWindow); }));
  settle();
  ASSERT_EQ(viewOf("R"), view);
  EXPECT_TRUE(view->isVisible());
  view->close();
  EXPECT_TRUE(until([&] { return viewOf("R") == nullptr; }));
}

// Three procedure threads at once open and fill windows, change the shared toolbar and wait
// on message boxes, while the GUI thread draws and answers: run under ThreadSanitizer, this
// is the Qt backend's test of its hand-over between threads.
TEST_F(Backend, ThreeThreadsDriveWindowsBoxesAndTheToolbarAtOnce) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  FrameWindow* frame = waitFrame();
  ASSERT_NE(frame, nullptr);
  constexpr int kThreads = 3;
  constexpr int kRounds = 4;
  auto done = std::make_shared<std::atomic<int>>(0);
  auto answers = std::make_shared<std::atomic<int>>(0);
  for (int k = 0; k < kThreads; ++k) {
    start([k, done, answers] {
      runtime::WindowDef def = testWindow("T" + std::to_string(k), k != 0);
      runtime::ControlDef list =
          testControl(1, runtime::ControlKind::List, "?LIST", {4, 4, 190, 80});
      list.format = "40L(2)|~Телефон~C(0)@s10@80L(2)|~Фамилия~C(0)@s17@";
      def.controls = {list, testControl(2, runtime::ControlKind::Prompt, "?P", {4, 90, 60, 10})};
      for (int round = 0; round < kRounds; ++round) {
        runtime::openWindow(def);
        for (int row = 0; row < 5; ++row) {
          runtime::control(1).rows.push_back({std::to_string(round * 10 + row), "ab"});
        }
        runtime::control(1).selected = 1 + round % 5;
        runtime::control(2).text = cp("Раунд ") + std::to_string(round);
        runtime::display();
        runtime::setTip(2000 + k, cp("Поток ") + std::to_string(k) + " " + std::to_string(round));
        if (runtime::messageBox(cp("Дальше?"), cp("Поток"), runtime::Icon::Question,
                                button::Yes | button::No, button::No) == button::Yes) {
          answers->fetch_add(1);
        }
        runtime::closeWindow();
      }
      done->fetch_add(1);
    });
  }
  ASSERT_TRUE(until([&] {
    if (QMessageBox* box = shownBox()) buttonFor(*box, button::Yes)->click();
    return done->load() == kThreads;
  }));
  EXPECT_EQ(answers->load(), kThreads * kRounds);
  // The toolbar ends as each thread left it.
  for (int k = 0; k < kThreads; ++k) {
    const QString tip = QString("Поток %1 %2").arg(k).arg(kRounds - 1);
    EXPECT_TRUE(until([&] { return frame->toolbarButton(2000 + k)->toolTip() == tip; })) << k;
  }
  settle();
  EXPECT_TRUE(host().views().empty());
}

TEST_F(Backend, TheWaitCursorShowsOverItsOwnThreadsWindowsOnly) {
  start(windowProc(testWindow("Busy", false), std::make_shared<EventLog>(),
                   [] { runtime::setWaitCursor(true); }));
  start(windowProc(testWindow("Idle", false), std::make_shared<EventLog>()));
  WindowView* busy = waitView("Busy");
  WindowView* idle = waitView("Idle");
  ASSERT_NE(busy, nullptr);
  ASSERT_NE(idle, nullptr);
  EXPECT_TRUE(until([&] { return busy->cursor().shape() == Qt::WaitCursor; }));
  EXPECT_NE(idle->cursor().shape(), Qt::WaitCursor);
}

}  // namespace
}  // namespace gui::test
