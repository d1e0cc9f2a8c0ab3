// A personal card and a phone card open at once, each on the thread of its directory, in the
// real program on the Qt backend: each works (edited and saved) and each drives the frame's
// toolbar while it is the active window, the other waiting meanwhile with its edits intact.
// Run under ThreadSanitizer too: two procedure threads, the frame's and the GUI thread.

#include <QAbstractButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "layout/frame_window.h"
#include "layout/gorod_window.h"
#include "layout/personal_card_window.h"
#include "layout/personal_window.h"
#include "layout/phone_card_window.h"
#include "program_harness.h"

namespace gui::test {
namespace {

namespace gorod = phonedir::layout::gorod;
namespace phone_card = phonedir::layout::phone_card;
namespace personal = phonedir::layout::personal;
namespace personal_card = phonedir::layout::personal_card;

constexpr int kNextRecord = 2008;
const char* const kSaveAndNext = "Сохранение изменений и переход к следующей записи";

void doubleClick(PageList* list, int row) {
  QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(row).center());
  QTest::mouseDClick(list, Qt::LeftButton, {}, list->rowRect(row).center());
}

bool hasRow(PageList* list, int column, const QString& text) {
  for (int row = 1; row <= list->pageRows(); ++row) {
    if (list->cellText(row, column) == text) return true;
  }
  return false;
}

class TwoCards : public ProgramTest {
 protected:
  // The card of `proc` that replaced the window `old` (a new view may take the old one's
  // memory, so windows are told apart by their ids), once it shows.
  WindowView* newCard(const std::string& proc, runtime::WindowId old) {
    WindowView* found = nullptr;
    const bool shown = until([&] {
      found = viewOf(proc);
      return found != nullptr && found->id() != old && found->isVisible();
    });
    return shown ? found : nullptr;
  }
};

TEST_F(TwoCards, APersonalAndAPhoneCardWorkAtOnceEachDrivingTheToolbarWhileActive) {
  makeTown(500);
  FrameWindow* frame = startProgram();
  ASSERT_NE(frame, nullptr);
  WindowView* people = viewOf("PERSONAL");
  PageList* peopleList = waitList(people, personal::LIST_2);
  ASSERT_NE(peopleList, nullptr);
  frame->menuAction(phonedir::layout::frame::GJROD)->trigger();
  WindowView* city = waitView("GOROD");
  PageList* cityList = waitList(city, gorod::LIST);
  ASSERT_NE(cityList, nullptr);
  auto* nextButton = qobject_cast<QAbstractButton*>(frame->toolbarButton(kNextRecord));
  ASSERT_NE(nextButton, nullptr);

  // The phone card on the city directory's second subscriber.
  const QString phone = cityList->cellText(2, 0);
  const QString nextPhone = cityList->cellText(3, 0);
  doubleClick(cityList, 2);
  WindowView* phoneCard = waitView("UPDATEPHONE");
  ASSERT_NE(phoneCard, nullptr);
  const runtime::ThreadId cityThread = phoneCard->thread();
  ASSERT_TRUE(until([&] { return entryText(phoneCard, phone_card::PHO_PHONE) == phone; }));

  // The personal directory made active, and its card on the first entry.
  auto* peopleSub = qobject_cast<QMdiSubWindow*>(people->outer());
  ASSERT_NE(peopleSub, nullptr);
  frame->mdiArea()->setActiveSubWindow(peopleSub);
  ASSERT_TRUE(until([&] { return backend().activeThread() == people->thread(); }));
  settle();
  const QString entry = peopleList->cellText(1, 0);
  const QString nextEntry = peopleList->cellText(2, 0);
  doubleClick(peopleList, 1);
  WindowView* personCard = waitView("PERS_UPD");
  ASSERT_NE(personCard, nullptr);
  const runtime::ThreadId peopleThread = personCard->thread();
  ASSERT_NE(peopleThread, cityThread);
  ASSERT_TRUE(until([&] { return backend().activeThread() == peopleThread; }));
  ASSERT_TRUE(until([&] { return nextButton->toolTip() == kSaveAndNext; }));
  enterText(personCard, personal_card::PER_PRIM, "первая правка");

  // The phone card made active: the toolbar's presses go to its thread now. The phone card
  // takes no toolbar navigation, so a press does nothing there, and nothing to the personal
  // card either, which keeps its edit unsaved while the phone card is edited and saved.
  phoneCard->activateWindow();
  ASSERT_TRUE(until([&] { return backend().activeThread() == cityThread; }));
  enterText(phoneCard, phone_card::PHO_HOME, "15");
  nextButton->click();
  settle();
  EXPECT_EQ(viewOf("UPDATEPHONE"), phoneCard);
  EXPECT_EQ(entryText(phoneCard, phone_card::PHO_PHONE).toStdString(), phone.toStdString());
  EXPECT_EQ(viewOf("PERS_UPD"), personCard);
  EXPECT_EQ(entryText(personCard, personal_card::PER_PRIM).toStdString(), "первая правка");
  clickButton(phoneCard, phone_card::OK);
  ASSERT_TRUE(until([&] { return viewOf("UPDATEPHONE") == nullptr; }));
  int phoneRow = 0;
  ASSERT_TRUE(until([&] {
    for (int row = 1; row < cityList->pageRows(); ++row) {
      if (cityList->cellText(row, 0) == phone && cityList->cellText(row, 3) == "15") {
        phoneRow = row;
        return true;
      }
    }
    return false;
  }));
  settle();
  // And a second phone card, open while the personal card still is.
  doubleClick(cityList, phoneRow + 1);
  WindowView* phoneCard2 = waitView("UPDATEPHONE");
  ASSERT_NE(phoneCard2, nullptr);
  ASSERT_TRUE(until([&] { return entryText(phoneCard2, phone_card::PHO_PHONE) == nextPhone; }));

  // The personal card made active again: the toolbar's next record is its own now.
  personCard->activateWindow();
  ASSERT_TRUE(until([&] { return backend().activeThread() == peopleThread; }));
  settle();
  const runtime::WindowId firstPersonCard = personCard->id();
  nextButton->click();
  WindowView* personCard2 = newCard("PERS_UPD", firstPersonCard);
  ASSERT_NE(personCard2, nullptr) << "the personal card reopens on the next entry";
  ASSERT_TRUE(until([&] { return entryText(personCard2, personal_card::PER_PHONE) == nextEntry; }));
  EXPECT_EQ(entryText(phoneCard2, phone_card::PHO_PHONE).toStdString(), nextPhone.toStdString())
      << "the phone card was left alone";

  // Both closed: the personal list shows the saved edit.
  clickButton(personCard2, personal_card::CANCEL);
  ASSERT_TRUE(until([&] { return viewOf("PERS_UPD") == nullptr; }));
  clickButton(phoneCard2, phone_card::CANCEL);
  ASSERT_TRUE(until([&] { return viewOf("UPDATEPHONE") == nullptr; }));
  settle();
  ASSERT_TRUE(until([&] { return hasRow(peopleList, 3, "первая правка"); }));
  EXPECT_TRUE(hasRow(peopleList, 0, entry));
}

}  // namespace
}  // namespace gui::test
