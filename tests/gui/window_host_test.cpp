// The window host's activation: which thread the frame's toolbar presses go to while the
// frame, its work windows and windows of their own take turns in front, and which window
// takes the keyboard back when the one in front of it goes away.

#include <QAbstractButton>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTest>
#include <atomic>

#include "gui/frame_window.h"
#include "gui_harness.h"
#include "layout/windows.h"
#include "runtime/locale/charset.h"

namespace gui::test {
namespace {

using runtime::ControlKind;
using runtime::WindowDef;

constexpr int kFirst = 1;  // two buttons in every window here: the keyboard has somewhere to go
constexpr int kSecond = 2;

WindowDef windowWithButtons(const std::string& proc, bool mdiChild) {
  WindowDef def = testWindow(proc, mdiChild);
  def.controls = {testControl(kFirst, ControlKind::Button, "?FIRST", {4, 4, 60, 14}),
                  testControl(kSecond, ControlKind::Button, "?SECOND", {4, 24, 60, 14})};
  return def;
}

class WindowHostTest : public GuiTest {
 protected:
  FrameWindow* openFrame() {
    start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
    return waitFrame();
  }
};

// A window of its own (the street list of a directory) stands in front of the frame, its
// directory waiting behind it; the frame coming to the front, as a press on its toolbar brings
// it, activates some other work window in the area. The toolbar's presses stay with the window
// in front until the user works in another one.
TEST_F(WindowHostTest, TheFrameComingToTheFrontLeavesTheToolbarWithTheWindowInFront) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  auto otherLog = std::make_shared<EventLog>();
  const runtime::ThreadId other = start(windowProc(windowWithButtons("OTHER", true), otherLog));
  WindowView* otherView = waitView("OTHER");
  ASSERT_NE(otherView, nullptr);
  const runtime::ThreadId owner =
      start(windowProc(windowWithButtons("OWNER", true), std::make_shared<EventLog>(), [] {
        windowProc(windowWithButtons("LIST", false), std::make_shared<EventLog>())();
      }));
  WindowView* list = waitView("LIST");
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(until([&] { return list->isActiveWindow(); }));
  settle();
  ASSERT_EQ(backend().activeThread(), owner);
  otherLog->clear();

  frame->activateWindow();
  ASSERT_TRUE(until([&] { return frame->isActiveWindow(); }));
  settle();
  EXPECT_EQ(backend().activeThread(), owner) << "the toolbar would act on the other directory";
  EXPECT_FALSE(otherLog->has(runtime::ev::GainFocus));
  WindowView* ownerView = viewOf("OWNER");
  ASSERT_NE(ownerView, nullptr);
  EXPECT_TRUE(until([&] { return frame->mdiArea()->activeSubWindow() == ownerView->outer(); }))
      << "the other directory came in front of the one the list belongs to";

  // A press into the other directory is work in it: the toolbar is its own from then on.
  QTest::mouseClick(otherView->control(kSecond), Qt::LeftButton);
  ASSERT_TRUE(until([&] { return backend().activeThread() == other; }));
  EXPECT_TRUE(until([&] { return otherLog->has(runtime::ev::GainFocus); }));
}

// The window in front goes (closed, or its message box answered): the window under it is
// active again with the keyboard on one of its controls, without a window manager's help.
TEST_F(WindowHostTest, TheWindowUnderTheOneThatWentTakesTheKeyboardBack) {
  enum class Over { Card, List, Box };
  struct Case {
    Over over;
    bool underInArea;  // the window under it is a work window inside the frame
  };
  const Case cases[] = {{Over::Card, false}, {Over::List, true}, {Over::Box, false}};
  for (const Case& t : cases) {
    SCOPED_TRACE(static_cast<int>(t.over));
    FrameWindow* frame = openFrame();
    ASSERT_NE(frame, nullptr);
    const std::string under = "UNDER" + std::to_string(static_cast<int>(t.over));
    auto answered = std::make_shared<std::atomic<bool>>(false);
    start(windowProc(
        windowWithButtons(under, t.underInArea), std::make_shared<EventLog>(), [t, answered] {
          if (t.over == Over::Box) {
            runtime::messageBox(runtime::cp("Отменить правку?"), "", runtime::Icon::Question,
                                runtime::button::Yes | runtime::button::No, runtime::button::No);
            answered->store(true);
          } else {
            windowProc(windowWithButtons("OVER", false), std::make_shared<EventLog>())();
          }
        }));
    WindowView* below = waitView(under);
    ASSERT_NE(below, nullptr);
    if (t.over == Over::Box) {
      QMessageBox* box = nullptr;
      ASSERT_TRUE(until([&] {
        box = qobject_cast<QMessageBox*>(QApplication::activeWindow());
        return box != nullptr;
      }));
      box->buttons().first()->click();
      ASSERT_TRUE(until([&] { return answered->load(); }));
    } else {
      WindowView* over = waitView("OVER");
      ASSERT_NE(over, nullptr);
      ASSERT_TRUE(until([&] { return over->isActiveWindow(); }));
      over->close();
      ASSERT_TRUE(until([&] { return viewOf("OVER") == nullptr; }));
    }
    EXPECT_TRUE(until([&] {
      return below->isActiveWindow() && QApplication::focusWidget() != nullptr &&
             below->isAncestorOf(QApplication::focusWidget());
    })) << "the keyboard went nowhere";
    if (t.underInArea) {
      EXPECT_EQ(frame->mdiArea()->activeSubWindow(), below->outer());
    }
    // The next case starts from a program of its own.
    TearDown();
    SetUp();
  }
}

// A work window under a card of its own thread, made active again (Ctrl+Tab, a click on it),
// brings the card forward: the work window takes no keys while the card is open.
TEST_F(WindowHostTest, AWorkWindowMadeActiveUnderItsCardBringsTheCardForward) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  start(windowProc(windowWithButtons("LIST", true), std::make_shared<EventLog>(), [] {
    windowProc(windowWithButtons("CARD", false), std::make_shared<EventLog>())();
  }));
  start(windowProc(windowWithButtons("OTHER", true), std::make_shared<EventLog>()));
  WindowView* card = waitView("CARD");
  WindowView* list = waitView("LIST");
  WindowView* other = waitView("OTHER");
  ASSERT_TRUE(card != nullptr && list != nullptr && other != nullptr);
  frame->activateWindow();
  frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(other->outer()));
  ASSERT_TRUE(until([&] { return frame->isActiveWindow() && !card->isActiveWindow(); }));
  settle();  // the frame's own coming to the front is over
  frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(list->outer()));
  EXPECT_TRUE(until([&] { return card->isActiveWindow(); }));
  card->close();
  ASSERT_TRUE(until([&] { return viewOf("CARD") == nullptr; }));
}

// A window that closes while in use hands the keyboard to the window it stood over (a street
// list to the card that called it), even when the user worked in another window meanwhile.
TEST_F(WindowHostTest, AClosingWindowHandsTheKeyboardToTheWindowItStoodOver) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  start(windowProc(windowWithButtons("OTHER", true), std::make_shared<EventLog>()));
  WindowView* other = waitView("OTHER");
  ASSERT_NE(other, nullptr);
  start(windowProc(windowWithButtons("CARD", false), std::make_shared<EventLog>(), [] {
    windowProc(windowWithButtons("LOOKUP", false), std::make_shared<EventLog>())();
  }));
  WindowView* lookup = waitView("LOOKUP");
  ASSERT_NE(lookup, nullptr);
  ASSERT_TRUE(until([&] { return lookup->isActiveWindow(); }));
  // The user goes to the other window and back to the lookup.
  frame->activateWindow();
  ASSERT_TRUE(until([&] { return frame->isActiveWindow(); }));
  settle();
  frame->mdiArea()->setActiveSubWindow(nullptr);
  frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(other->outer()));
  ASSERT_TRUE(until([&] { return backend().activeThread() == other->thread(); }));
  lookup->activateWindow();
  ASSERT_TRUE(until([&] { return lookup->isActiveWindow(); }));
  settle();

  lookup->close();
  ASSERT_TRUE(until([&] { return viewOf("LOOKUP") == nullptr; }));
  WindowView* card = viewOf("CARD");
  ASSERT_NE(card, nullptr);
  EXPECT_TRUE(until([&] { return card->isActiveWindow(); })) << "the keyboard went elsewhere";
}

// The toolbar is shared by every thread, and a thread sets it as its window gains the focus.
// The frame shows it as the thread of the window in use set it last: a change another thread
// makes meanwhile (its focus gain arriving late) does not take it from the window in front.
TEST_F(WindowHostTest, TheToolbarShowsItAsTheThreadOfTheWindowInUseSetItLast) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  constexpr int kInsert = 2000, kChange = 2001;
  start(windowProc(windowWithButtons("MINE", true), std::make_shared<EventLog>(), [] {
    runtime::enable(kInsert);
    runtime::disable(kChange);
  }));
  WindowView* mine = waitView("MINE");
  ASSERT_NE(mine, nullptr);
  QAbstractButton* insert = qobject_cast<QAbstractButton*>(frame->toolbarButton(kInsert));
  QAbstractButton* change = qobject_cast<QAbstractButton*>(frame->toolbarButton(kChange));
  ASSERT_NE(insert, nullptr);
  ASSERT_NE(change, nullptr);
  ASSERT_TRUE(until([&] { return insert->isEnabled() && !change->isEnabled(); }));

  start([] {  // another thread's change, made while MINE is in use
    runtime::disable(kInsert);
    runtime::enable(kChange);
  });
  ASSERT_TRUE(runtime::waitIdle());
  settle();
  EXPECT_TRUE(insert->isEnabled());
  EXPECT_FALSE(change->isEnabled());

  start(windowProc(windowWithButtons("OTHER", true), std::make_shared<EventLog>(), [] {
    runtime::disable(kInsert);
    runtime::enable(kChange);
  }));
  ASSERT_NE(waitView("OTHER"), nullptr);
  EXPECT_TRUE(until([&] { return !insert->isEnabled() && change->isEnabled(); }))
      << "the window in use now sets it";
  frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(mine->outer()));
  EXPECT_TRUE(until([&] { return insert->isEnabled() && !change->isEnabled(); }))
      << "back with the first window, as its thread set it";
}

// The program asked to close from outside (a signal): the text being typed in a card reaches
// its procedure before the close-down asks the card to close, so that its closing check sees
// the edit; a box that only informs is answered, so that its procedure can go on to close.
TEST_F(WindowHostTest, AProgramAskedToCloseTakesTheTypedTextAndAnswersABoxThatOnlyInforms) {
  ASSERT_NE(openFrame(), nullptr);
  constexpr int kName = 3;
  struct Fields {
    char name[10] = {};
  };
  auto fields = std::make_shared<Fields>();
  WindowDef card = testWindow("CARD", false);
  card.controls = {testControl(kName, ControlKind::Entry, "?NAME", {4, 44, 60, 10})};
  card.controls[0].picture = "s10";
  auto cardLog = std::make_shared<EventLog>();
  start(windowProc(card, cardLog, [fields] {
    runtime::bind(kName, runtime::bindString(fields->name));
    runtime::select(kName);
    runtime::display();
  }));
  QLineEdit* entry = waitFocusedEntry("CARD", kName);
  ASSERT_NE(entry, nullptr);
  cardLog->clear();
  QTest::keyClicks(entry, "Abc");

  auto infoLog = std::make_shared<EventLog>();
  start(windowProc(windowWithButtons("INFO", true), infoLog, [] {
    runtime::messageBox(runtime::cp("Данных нет"), "", runtime::Icon::Information,
                        runtime::button::Ok, runtime::button::Ok);
  }));
  ASSERT_TRUE(until([&] { return qobject_cast<QMessageBox*>(QApplication::activeWindow()); }));

  runtime::closeFromOutside();
  ASSERT_TRUE(until([&] { return cardLog->has(runtime::ev::CloseDown); }));
  const std::vector<Taken> taken = cardLog->all();
  ASSERT_GE(taken.size(), 2u);
  EXPECT_EQ(taken[0].code, runtime::ev::Accepted);
  EXPECT_EQ(taken[0].field, kName) << "the entry first";
  EXPECT_EQ(taken[0].value, "Abc       ");
  EXPECT_TRUE(until([&] { return infoLog->has(runtime::ev::CloseDown); }))
      << "the box was answered and its window asked to close";
}

}  // namespace
}  // namespace gui::test
