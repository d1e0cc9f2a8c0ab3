// The street list on the Qt backend over a town of three hundred streets: it fills the rows
// the list really shows; typing goes to the locator and shows in the entry above the list;
// the thumb follows the highlighted street from the top to the last page and back; a right
// click highlights the street under the mouse and brings the popup for it; a double click
// opens the street card on that street outside select mode, and chooses it in select mode,
// where the city directory positions at the chosen street; there Enter in the list chooses
// too.

#include "layout/street_window.h"

#include <QScrollBar>
#include <QTest>
#include <mutex>

#include "data/files.h"
#include "demo_town.h"
#include "layout/frame_window.h"
#include "layout/gorod_window.h"
#include "layout/street_card_window.h"
#include "program_harness.h"
#include "runtime/locale/charset.h"
#include "shell/globals.h"
#include "street/street.h"

namespace gui::test {
namespace {

namespace street = phonedir::layout::street;
namespace card = phonedir::layout::street_card;
namespace gorod = phonedir::layout::gorod;

constexpr int kStreets = 300;

// A double click as the mouse makes one: the first press selects the row.
void doubleClick(PageList* list, int row) {
  QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(row).center());
  QTest::mouseDClick(list, Qt::LeftButton, {}, list->rowRect(row).center());
}

class StreetList : public ProgramTest {
 protected:
  // The street list called as a lookup is, by a window of the program's on its thread.
  WindowView* callStreetList(int32_t request) {
    start([request] {
      phonedir::GLOBALREQUEST = request;
      phonedir::STREET();
    });
    return waitView("STREET");
  }
};

TEST_F(StreetList, RowsLocatorThumbPopupAndCard) {
  makeTown(500, kStreets - datatool::kDemoStreets);
  ASSERT_NE(startProgram(), nullptr);
  WindowView* view = callStreetList(0);
  PageList* list = waitList(view, street::BROWSE_1);
  ASSERT_NE(list, nullptr);
  QScrollBar* thumb = list->scrollBar();

  // A full page of whole rows, the first streets of the alphabet, the first highlighted.
  ASSERT_GT(list->rowsVisible(), 10);
  EXPECT_EQ(list->pageRows(), list->rowsVisible());
  EXPECT_EQ(list->selectedRow(), 1);
  const QString first = list->cellText(1, 0);
  EXPECT_TRUE(first.startsWith("б-р ")) << first.toStdString();
  EXPECT_EQ(list->headerText(0), "Улица");
  EXPECT_TRUE(thumb->isVisibleTo(list));
  // The thumb stands at the first street's letters among the alphabet's stops: near the top.
  const int atTop = thumb->value();
  EXPECT_LT(atTop, 10);

  // Typed text goes to the locator; the entry above the list shows it, and the list stands
  // at the first street not below it.
  typeText(list, "ул. Л");
  ASSERT_TRUE(until([&] { return entryText(view, street::STR_NAME) == "ул. Л"; }));
  settle();
  EXPECT_EQ(list->cellText(list->selectedRow(), 0), "ул. Ленина");
  const int atL = thumb->value();
  EXPECT_GT(atL, 0);
  EXPECT_LT(atL, 100);
  // Backspace takes the last character back; a scroll clears the locator.
  pressKey(list, Qt::Key_Backspace);
  ASSERT_TRUE(until([&] { return entryText(view, street::STR_NAME).trimmed() == "ул."; }));
  pressKey(list, Qt::Key_Down);
  ASSERT_TRUE(until([&] { return entryText(view, street::STR_NAME).isEmpty(); }));

  // The thumb follows the highlight: at the top, then forward page by page, never back,
  // to the last page, where the End key also leaves it.
  pressKey(list, Qt::Key_Home, Qt::ControlModifier);
  ASSERT_TRUE(until([&] { return list->cellText(1, 0) == first; }));
  settle();
  EXPECT_EQ(thumb->value(), atTop);
  std::vector<int> thumbs = {atTop};
  QString last = list->cellText(list->selectedRow(), 0);
  for (int page = 0; page < kStreets; ++page) {
    pressKey(list, Qt::Key_PageDown);
    settle();
    const QString now = list->cellText(list->selectedRow(), 0);
    if (now == last) break;  // the last page
    last = now;
    thumbs.push_back(thumb->value());
  }
  EXPECT_GE(thumbs.size(), static_cast<size_t>(kStreets / list->rowsVisible()));
  EXPECT_TRUE(std::is_sorted(thumbs.begin(), thumbs.end()));
  EXPECT_GT(thumbs.back(), atL);
  EXPECT_EQ(list->selectedRow(), list->pageRows()) << "the last street";
  const int atEnd = thumb->value();
  pressKey(list, Qt::Key_Home, Qt::ControlModifier);
  ASSERT_TRUE(until([&] { return thumb->value() == atTop; }));
  pressKey(list, Qt::Key_End, Qt::ControlModifier);
  ASSERT_TRUE(until([&] { return list->cellText(list->pageRows(), 0) == last; }));
  settle();
  EXPECT_EQ(thumb->value(), atEnd);
  EXPECT_EQ(list->selectedRow(), list->pageRows());
  pressKey(list, Qt::Key_Home);
  ASSERT_TRUE(until([&] { return thumb->value() == atTop; }));
  settle();

  // A right click highlights the street under the mouse, then the popup acts on it: outside
  // select mode choosing is greyed.
  const QString third = list->cellText(3, 0);
  QTest::mouseClick(list, Qt::RightButton, {}, list->rowRect(3).center());
  ASSERT_TRUE(until([&] { return shownMenu() != nullptr; }));
  EXPECT_EQ(list->selectedRow(), 3);
  EXPECT_EQ(menuItems(*shownMenu()),
            (QStringList{"&Добавить", "&Изменить", "&Удалить", "-", "~&Выбрать"}));
  // "Изменить" opens the card on the street the click highlighted.
  shownMenu()->actions()[1]->trigger();
  WindowView* cardView = waitView("STREET_UPD");
  ASSERT_NE(cardView, nullptr);
  EXPECT_TRUE(until([&] { return entryText(cardView, card::STR_NAME) == third; }));
  clickButton(cardView, card::CANCEL);
  ASSERT_TRUE(until([&] { return viewOf("STREET_UPD") == nullptr; }));
  settle();  // the list rebuilds its page after the card

  // The menu key and Shift+F10 bring the same popup, under the highlighted row.
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers{}},
        std::pair{Qt::Key_F10, Qt::KeyboardModifiers{Qt::ShiftModifier}}}) {
    // The offscreen platform gives the activation back to no window after a popup.
    list->window()->activateWindow();
    list->setFocus();
    ASSERT_TRUE(until([&] { return QApplication::focusWidget() == list; }));
    settle();  // the window's return rebuilds the page around the same street
    EXPECT_EQ(list->cellText(list->selectedRow(), 0), third);
    pressKey(list, key, modifiers);
    ASSERT_TRUE(until([&] { return shownMenu() != nullptr; }));
    EXPECT_NEAR(shownMenu()->geometry().top(),
                list->mapToGlobal(list->rowRect(list->selectedRow()).bottomLeft()).y(), 2);
    EXPECT_EQ(menuItems(*shownMenu()),
              (QStringList{"&Добавить", "&Изменить", "&Удалить", "-", "~&Выбрать"}));
    shownMenu()->close();
    ASSERT_TRUE(until([&] { return shownMenu() == nullptr; }));
    settle();
  }
  EXPECT_EQ(viewOf("STREET_UPD"), nullptr);

  // A double click opens the card on the street clicked.
  const QString fifth = list->cellText(5, 0);
  doubleClick(list, 5);
  cardView = waitView("STREET_UPD");
  ASSERT_NE(cardView, nullptr);
  EXPECT_TRUE(until([&] { return cardView->windowTitle().trimmed() == "Изменение записи"; }));
  EXPECT_TRUE(until([&] { return entryText(cardView, card::STR_NAME) == fifth; }));
  clickButton(cardView, card::CANCEL);
  ASSERT_TRUE(until([&] { return viewOf("STREET_UPD") == nullptr; }));
  ASSERT_TRUE(until([&] { return list->selectedRow() == 5; }));
  EXPECT_EQ(list->cellText(5, 0), fifth);

  // The list takes input again once its thread has shown it after the card; a close before
  // that is refused with a beep, as on any window whose thread is busy.
  ASSERT_TRUE(until([&] { return view->isEnabled(); }));
  view->outer()->close();
  ASSERT_TRUE(until([&] { return viewOf("STREET") == nullptr; }));
}

// The way a user meets the street list: the city directory's address order, "Справочник
// улиц", a typed name, a double click.
TEST_F(StreetList, ChosenFromTheCityDirectoryByTypingAndADoubleClick) {
  makeTown(2000, kStreets - datatool::kDemoStreets);
  FrameWindow* frame = startProgram();
  ASSERT_NE(frame, nullptr);
  frame->menuAction(phonedir::layout::frame::GJROD)->trigger();
  WindowView* city = waitView("GOROD");
  PageList* cityList = waitList(city, gorod::LIST);
  ASSERT_NE(cityList, nullptr);
  clickButton(city, gorod::BUTTON3);
  settle();
  clickButton(city, gorod::BUTTON8);
  WindowView* view = waitView("STREET");
  PageList* list = waitList(view, street::BROWSE_1);
  ASSERT_NE(list, nullptr);

  typeText(list, "пр. К");
  ASSERT_TRUE(until([&] { return entryText(view, street::STR_NAME) == "пр. К"; }));
  settle();
  const QString chosen = list->cellText(list->selectedRow(), 0);
  EXPECT_EQ(chosen, "пр. Калинина");
  EXPECT_GT(list->scrollBar()->value(), 0);

  // In select mode the popup offers the choice.
  QTest::mouseClick(list, Qt::RightButton, {}, list->rowRect(list->selectedRow()).center());
  ASSERT_TRUE(until([&] { return shownMenu() != nullptr; }));
  EXPECT_EQ(menuItems(*shownMenu()),
            (QStringList{"&Добавить", "&Изменить", "&Удалить", "-", "&Выбрать"}));
  shownMenu()->close();
  ASSERT_TRUE(until([&] { return shownMenu() == nullptr; }));
  settle();

  const QImage shot = screenshot(frame, host().views());
  keepScreenshot(shot, "street.png");

  doubleClick(list, list->selectedRow());
  ASSERT_TRUE(until([&] { return viewOf("STREET") == nullptr; }));
  // The city directory stands at the first subscriber of the chosen street.
  ASSERT_TRUE(until([&] { return cityList->cellText(cityList->selectedRow(), 2) == chosen; }));
}

// In select mode choosing is the window's default button: Enter in the list chooses the
// highlighted street, while Enter in the entry above the list only positions the list.
TEST_F(StreetList, EnterInTheListChoosesInSelectMode) {
  makeTown(500, kStreets - datatool::kDemoStreets);
  ASSERT_NE(startProgram(), nullptr);
  struct Result {
    std::mutex mutex;
    bool returned = false;
    int32_t response = 0;
    std::string street;
  };
  auto result = std::make_shared<Result>();
  start([result] {
    phonedir::GLOBALREQUEST = phonedir::SELECTRECORD;
    phonedir::STREET();
    std::lock_guard lock(result->mutex);
    result->returned = true;
    result->response = phonedir::GLOBALRESPONSE;
    result->street = runtime::toUtf8(std::string(phonedir::STR.NAME));
  });
  WindowView* view = waitView("STREET");
  PageList* list = waitList(view, street::BROWSE_1);
  ASSERT_NE(list, nullptr);

  enterText(view, street::STR_NAME, "пр. К");
  ASSERT_TRUE(until([&] { return list->cellText(list->selectedRow(), 0) == "пр. Калинина"; }));
  settle();
  EXPECT_EQ(viewOf("STREET"), view) << "Enter in the entry chose nothing";

  pressKey(list, Qt::Key_Return);
  ASSERT_TRUE(until([&] {
    std::lock_guard lock(result->mutex);
    return result->returned;
  }));
  std::lock_guard lock(result->mutex);
  EXPECT_EQ(result->response, phonedir::REQUESTCOMPLETED);
  EXPECT_EQ(result->street, "пр. Калинина");
}

}  // namespace
}  // namespace gui::test
