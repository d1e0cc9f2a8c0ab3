// The city and personal directories of the real program inside the frame, over a demo town:
// the city list's five columns with telephone numbers through their picture, a thumb that
// tracks the highlighted subscriber, the phone card over the list on the subscriber clicked;
// the personal directory as the program starts; a search by a phone mask with its results.
// Their pictures are kept when asked for.

#include <QLabel>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include "layout/frame_window.h"
#include "layout/gorod_window.h"
#include "layout/personal_window.h"
#include "layout/phone_card_window.h"
#include "layout/poisk_window.h"
#include "program_harness.h"
#include "runtime/locale/charset.h"
#include "runtime/locale/collation.h"

namespace gui::test {
namespace {

namespace gorod = phonedir::layout::gorod;
namespace phone_card = phonedir::layout::phone_card;
namespace personal = phonedir::layout::personal;
namespace poisk = phonedir::layout::poisk;

void doubleClick(PageList* list, int row) {
  QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(row).center());
  QTest::mouseDClick(list, Qt::LeftButton, {}, list->rowRect(row).center());
}

class WorkDirectories : public ProgramTest {};

TEST_F(WorkDirectories, TheCityDirectoryWithThePhoneCardOverIt) {
  makeTown(2000);
  FrameWindow* frame = startProgram();
  ASSERT_NE(frame, nullptr);
  frame->menuAction(phonedir::layout::frame::GJROD)->trigger();
  WindowView* city = waitView("GOROD");
  PageList* list = waitList(city, gorod::LIST);
  ASSERT_NE(list, nullptr);

  ASSERT_EQ(list->columnCount(), 5);
  QStringList headers;
  for (int c = 0; c < 5; ++c) headers << list->headerText(c);
  EXPECT_EQ(headers, (QStringList{"Телефон", "Фамилия", "Улица", "Дом", "Кв."}));
  EXPECT_EQ(list->pageRows(), list->rowsVisible());
  EXPECT_FALSE(list->sidewaysBar()->isVisibleTo(list)) << "the five columns fit";

  // Telephone order from the first number: the thumb at the top, then moving down with the
  // highlight page by page.
  QScrollBar* thumb = list->scrollBar();
  // The first stop is the first number cut to its leading digits, so the first number
  // itself stands just past it.
  EXPECT_LE(thumb->value(), 2);
  std::vector<int> thumbs = {thumb->value()};
  for (int page = 0; page < 8; ++page) {
    const QString before = list->cellText(1, 0);
    pressKey(list, Qt::Key_PageDown);
    ASSERT_TRUE(until([&] { return list->cellText(1, 0) != before; }));
    settle();
    thumbs.push_back(thumb->value());
  }
  EXPECT_TRUE(std::is_sorted(thumbs.begin(), thumbs.end()));
  EXPECT_GT(thumbs.back(), thumbs.front());
  for (int i = 0; i < 3; ++i) pressKey(list, Qt::Key_Down);
  settle();

  // Six digits as three pairs, the first digit blank when it is a zero.
  const QRegularExpression number("^( [1-9]|[1-9]\\d)-\\d\\d-\\d\\d$");
  for (int row = 1; row <= list->pageRows(); ++row) {
    EXPECT_TRUE(number.match(list->cellText(row, 0)).hasMatch())
        << row << " " << list->cellText(row, 0).toStdString();
  }

  const int row = list->selectedRow();
  doubleClick(list, row);
  WindowView* card = waitView("UPDATEPHONE");
  ASSERT_NE(card, nullptr);
  settle();
  EXPECT_EQ(entryText(card, phone_card::PHO_PHONE).toStdString(),
            list->cellText(row, 0).toStdString());
  EXPECT_EQ(entryText(card, phone_card::PHO_FIO).toStdString(),
            list->cellText(row, 1).toStdString());
  EXPECT_EQ(entryText(card, phone_card::STR_NAME).toStdString(),
            list->cellText(row, 2).toStdString());
  EXPECT_EQ(entryText(card, phone_card::PHO_HOME).toStdString(),
            list->cellText(row, 3).toStdString());

  keepScreenshot(screenshot(frame, host().views()), "city.png");

  clickButton(card, phone_card::CANCEL);
  ASSERT_TRUE(until([&] { return viewOf("UPDATEPHONE") == nullptr; }));
}

TEST_F(WorkDirectories, ThePersonalDirectoryAtStart) {
  makeTown(100);
  FrameWindow* frame = startProgram();
  ASSERT_NE(frame, nullptr);
  WindowView* view = viewOf("PERSONAL");
  PageList* list = waitList(view, personal::LIST_2);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->pageRows(), list->rowsVisible()) << "the demo has more entries than rows";
  EXPECT_EQ(list->selectedRow(), 1);
  auto* prompt = qobject_cast<QLabel*>(view->control(personal::PROMPT1));
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(prompt->text().toStdString(), "Список отсортирован по фамилиям");
  for (int row = 2; row <= list->pageRows(); ++row) {
    // In the program's own collation, where Ё follows Е.
    const auto name = [&](int r) { return runtime::cp(list->cellText(r, 2).toStdString()); };
    EXPECT_LE(runtime::compareText(name(row - 1), name(row)), 0) << row;
  }
  keepScreenshot(screenshot(frame, host().views()), "personal.png");
}

TEST_F(WorkDirectories, ASearchByAPhoneMaskListsWhatItFound) {
  makeTown(2000);
  FrameWindow* frame = startProgram();
  ASSERT_NE(frame, nullptr);
  frame->menuAction(phonedir::layout::frame::POISK)->trigger();
  WindowView* search = waitView("POISK");
  ASSERT_NE(search, nullptr);
  enterText(search, poisk::LOC_PHONE, "35*");
  clickButton(search, poisk::BUTTON6);
  PageList* list = waitList(search, poisk::LIST);
  ASSERT_NE(list, nullptr);
  settle();
  // Every number shown begins with 35, whether it has six digits or five.
  const QRegularExpression found("^(35-\\d\\d-\\d\\d| 3-5\\d-\\d\\d)$");
  for (int row = 1; row <= list->pageRows(); ++row)
    EXPECT_TRUE(found.match(list->cellText(row, 0)).hasMatch())
        << list->cellText(row, 0).toStdString();
  keepScreenshot(screenshot(frame, host().views()), "search.png");
}

}  // namespace
}  // namespace gui::test
