// The street list and its card against another station working on the same file: a change
// made between the card's read and its save is never overwritten, and a street deleted
// under the list leaves a neighbour highlighted and is never changed, deleted or chosen in
// another's place.

#include "street/street.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "../data/data_fixture.h"
#include "../data/data_fixture_files.h"
#include "data/files.h"
#include "data/records.h"
#include "layout/frame_window.h"
#include "layout/windows.h"
#include "runtime/headless_driver.h"
#include "runtime/locale/charset.h"
#include "shell/globals.h"
#include "storage/keyed_file.h"

namespace phonedir {
namespace {

class StreetStationTest : public test::DataTest {
 protected:
  void SetUp() override {
    test::DataTest::SetUp();
    STR_RECORD r{};
    storage::KeyedFile file(STREET_FILE(), &r);
    ASSERT_EQ(file.create(), 0);
    ASSERT_EQ(file.open(), 0);
    const char* names[] = {"Абрикосовая", "Берёзовая", "Вишнёвая", "Гагарина", "Дачная"};
    for (int i = 0; i < 5; ++i) {
      clearRecord(r);
      r.NUM = i + 1;
      const std::string name = runtime::cp(names[i]);
      std::copy(name.begin(), name.end(), r.NAME);
      ASSERT_EQ(file.add(), 0);
    }
  }

  // The other station: a process of its own.
  int otherStation(const std::string& args) {
    const std::string command = std::string(RECORD_STATION) + " . street " + args;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string streetName(int32_t num) {
    STR_RECORD r{};
    storage::KeyedFile file(STREET_FILE(), &r);
    EXPECT_EQ(file.open(), 0);
    r.NUM = num;
    if (file.get(STR_NUM_KEY) != 0) return "(none)";
    return runtime::toUtf8(r.NAME);
  }

  std::string value(const std::string& label) {
    const auto c = driver.control(label);
    return c ? c->value : std::string("(no control)");
  }

  bool transcriptHas(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(start, 0) == 0; });
  }

  runtime::HeadlessDriver driver{backend};
};

TEST_F(StreetStationTest, AChangeFromAnotherStationIsNeverOverwritten) {
  runtime::start(&STREET);
  ASSERT_TRUE(runtime::waitIdle());
  driver.scroll("?BROWSE:1", runtime::ev::ScrollDown);
  driver.key("?BROWSE:1", runtime::key::CtrlEnter);
  ASSERT_EQ(value("?STR:NAME"), "Берёзовая");

  ASSERT_EQ(otherStation("rename 2 Берёзовый_бульвар"), 0);
  driver.type("?STR:NAME", "Моя улица");
  driver.press("?OK");
  const auto transcript = backend.takeTranscript();
  EXPECT_TRUE(transcriptHas(
      transcript,
      "message \"Ошибка при обновлении записи\" \"Эта запись была изменена с другой станции."));
  EXPECT_EQ(value("?STR:NAME"), "Берёзовый_бульвар") << "the card shows the other station's values";
  EXPECT_EQ(streetName(2), "Берёзовый_бульвар") << "nothing of this station's change is written";

  // Saving again now writes over the version the user has seen.
  driver.type("?STR:NAME", "Моя улица");
  driver.press("?OK");
  EXPECT_EQ(streetName(2), "Моя улица");
  EXPECT_EQ(test::integrityCheck("STREET.db"), "ok");
}

// Subscribers name their street by its number, so a number another street has is refused,
// on an insert and on a change, from this station or another: the card stays open with what
// the user typed, and nothing is written.
TEST_F(StreetStationTest, ANumberAnotherStreetHasIsRefused) {
  runtime::start(&STREET);
  ASSERT_TRUE(runtime::waitIdle());
  backend.takeTranscript();
  driver.key("?BROWSE:1", runtime::key::Insert);
  ASSERT_TRUE(backend.windowOf("STREET_UPD"));
  driver.type("?STR:NUM", "3");
  driver.type("?STR:NAME", "Новая");
  driver.press("?OK");
  EXPECT_TRUE(transcriptHas(backend.takeTranscript(),
                            "message \"Ошибка при добавлении записи\" \"Возникла ошибка при "
                            "попытке обновления записи.  Ошибка: Запись с таким ключом уже есть"));
  ASSERT_TRUE(backend.windowOf("STREET_UPD")) << "the card stays open";
  EXPECT_EQ(value("?STR:NAME"), "Новая");
  EXPECT_EQ(streetName(3), "Вишнёвая");
  driver.type("?STR:NUM", "6");
  driver.press("?OK");
  EXPECT_FALSE(backend.windowOf("STREET_UPD"));
  EXPECT_EQ(streetName(6), "Новая");

  // Берёзовая, number 2, changed to Вишнёвая's number.
  driver.scroll("?BROWSE:1", runtime::ev::ScrollTop);
  driver.scroll("?BROWSE:1", runtime::ev::ScrollDown);
  driver.key("?BROWSE:1", runtime::key::CtrlEnter);
  ASSERT_EQ(value("?STR:NAME"), "Берёзовая");
  driver.type("?STR:NUM", "3");
  backend.queueAnswer("Нет");  // no second try
  driver.press("?OK");
  EXPECT_TRUE(transcriptHas(backend.takeTranscript(), "message \"Ошибка при обновлении записи\""));
  EXPECT_EQ(streetName(2), "Берёзовая");
  EXPECT_EQ(streetName(3), "Вишнёвая");
  EXPECT_EQ(test::integrityCheck("STREET.db"), "ok");
}

// The card the toolbar moves on to the next street watches that street as a card opened on it
// from the list does: another station's change made meanwhile is not written over.
TEST_F(StreetStationTest, ACardMovedOnByTheToolbarDoesNotOverwriteAnotherStationsChange) {
  runtime::start(&STREET);
  ASSERT_TRUE(runtime::waitIdle());
  driver.key("?BROWSE:1", runtime::key::CtrlEnter);
  ASSERT_EQ(value("?STR:NAME"), "Абрикосовая");
  const auto card = backend.windowOf("STREET_UPD");
  ASSERT_TRUE(card);
  runtime::Event next;  // the frame's "next record", as the frame relays it
  next.code = runtime::ev::Accepted;
  next.field = layout::frame::TBARBRWDOWN;
  runtime::deliver(card->id, next);
  ASSERT_TRUE(runtime::waitIdle());
  ASSERT_EQ(value("?STR:NAME"), "Берёзовая");

  ASSERT_EQ(otherStation("rename 2 Берёзовый_бульвар"), 0);
  backend.takeTranscript();
  driver.type("?STR:NAME", "Моя улица");
  driver.press("?OK");
  EXPECT_TRUE(transcriptHas(
      backend.takeTranscript(),
      "message \"Ошибка при обновлении записи\" \"Эта запись была изменена с другой станции."));
  EXPECT_EQ(streetName(2), "Берёзовый_бульвар");
}

TEST_F(StreetStationTest, AStreetDeletedElsewhereLeavesANeighbourHighlighted) {
  runtime::start(&STREET);
  ASSERT_TRUE(runtime::waitIdle());
  driver.scroll("?BROWSE:1", runtime::ev::ScrollDown);
  driver.scroll("?BROWSE:1", runtime::ev::ScrollDown);
  ASSERT_EQ(otherStation("delete 3"), 0);
  driver.focus("STREET");
  auto list = driver.control("?BROWSE:1");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->rows.size(), 4u);
  EXPECT_EQ(list->rows.at(list->selected - 1).at(0), "Гагарина");

  driver.close();
  EXPECT_TRUE(runtime::waitFinished());
}

// A street edited by hand so that it cannot be read, alone in its file: the opening reads of
// the list (the first street, the last, the page) all meet it, and the error is told once
// before the list closes.
TEST_F(StreetStationTest, AnUnreadableStreetIsToldOnceAndClosesTheList) {
  ASSERT_EQ(test::editFile("STREET.db",
                           "DELETE FROM records WHERE NUM <> 3; UPDATE records SET "
                           "NAME = x'" +
                               std::string(60, '4') + "'"),
            "");
  runtime::start(&STREET);
  ASSERT_TRUE(runtime::waitFinished());
  const auto transcript = backend.takeTranscript();
  EXPECT_EQ(std::count_if(transcript.begin(), transcript.end(),
                          [](const std::string& l) { return l.rfind("message", 0) == 0; }),
            1)
      << ::testing::PrintToString(transcript);
  EXPECT_TRUE(transcriptHas(transcript, "message \"Ошибка извлечения записи\""));
}

// A street deleted while its card is open: the first save meets the conflict, the next one
// an error the user can leave by, and neither writes the street back or changes another.
TEST_F(StreetStationTest, AStreetDeletedUnderItsCardIsNotWrittenBack) {
  runtime::start(&STREET);
  ASSERT_TRUE(runtime::waitIdle());
  driver.scroll("?BROWSE:1", runtime::ev::ScrollDown);
  driver.key("?BROWSE:1", runtime::key::CtrlEnter);
  ASSERT_EQ(value("?STR:NAME"), "Берёзовая");
  ASSERT_EQ(otherStation("delete 2"), 0);
  driver.type("?STR:NAME", "Моя улица");
  driver.press("?OK");
  backend.takeTranscript();
  backend.queueAnswer("OK");
  backend.queueAnswer("No");
  backend.queueAnswer("Yes");
  driver.press("?OK");
  const auto transcript = backend.takeTranscript();
  EXPECT_TRUE(transcriptHas(transcript,
                            "message \"Ошибка при обновлении записи\" "
                            "\"Возникла ошибка(Запись не найдена (33))"));
  EXPECT_FALSE(transcriptHas(transcript, "message \"Ошибка при обновлении записи\" \"Эта запись"));
  EXPECT_TRUE(transcriptHas(transcript, "close STREET_UPD"));
  EXPECT_EQ(streetName(2), "(none)");
  EXPECT_EQ(streetName(1), "Абрикосовая");
  EXPECT_EQ(streetName(3), "Вишнёвая");
  driver.close();
  EXPECT_TRUE(runtime::waitFinished());
}

// Change and delete need the highlighted street itself: once another station has deleted it,
// neither goes ahead, with a beep, and no other street stands in for it.
TEST_F(StreetStationTest, NoChangeOrDeleteReachesAStreetDeletedElsewhere) {
  runtime::start(&STREET);
  ASSERT_TRUE(runtime::waitIdle());
  driver.scroll("?BROWSE:1", runtime::ev::ScrollDown);
  ASSERT_EQ(otherStation("delete 2"), 0);
  backend.takeTranscript();
  driver.key("?BROWSE:1", runtime::key::CtrlEnter);
  auto transcript = backend.takeTranscript();
  EXPECT_TRUE(transcriptHas(transcript, "beep"));
  EXPECT_FALSE(transcriptHas(transcript, "open STREET_UPD")) << "no card for a street gone";
  auto list = driver.control("?BROWSE:1");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->rows.size(), 4u) << "the page is rebuilt without it";

  ASSERT_TRUE(driver.selectRow("?BROWSE:1", 2));
  ASSERT_EQ(driver.control("?BROWSE:1")->rows.at(1).at(0), "Вишнёвая");
  ASSERT_EQ(otherStation("delete 3"), 0);
  backend.queueAnswer("OK");
  driver.key("?BROWSE:1", runtime::key::Delete);
  transcript = backend.takeTranscript();
  EXPECT_TRUE(transcriptHas(transcript, "beep"));
  EXPECT_FALSE(transcriptHas(transcript, "message \"Подтвердите удаление\""));
  EXPECT_EQ(streetName(1), "Абрикосовая");
  EXPECT_EQ(streetName(4), "Гагарина");
  EXPECT_EQ(streetName(5), "Дачная");
  driver.close();
  EXPECT_TRUE(runtime::waitFinished());
  EXPECT_EQ(test::integrityCheck("STREET.db"), "ok");
}

// A lookup never answers with a street that no longer exists: the list stays open on its
// rebuilt page, and the next choice is answered as usual.
TEST_F(StreetStationTest, AStreetDeletedElsewhereIsNotChosen) {
  int32_t response = 0;
  int32_t chosen = 0;
  runtime::start([&] {
    GLOBALREQUEST = SELECTRECORD;
    STREET();
    response = GLOBALRESPONSE;
    chosen = STR.NUM;
  });
  ASSERT_TRUE(runtime::waitIdle());
  ASSERT_TRUE(driver.selectRow("?BROWSE:1", 3));
  ASSERT_EQ(otherStation("delete 3"), 0);
  driver.key("?BROWSE:1", runtime::key::MouseLeft2);
  ASSERT_TRUE(runtime::waitIdle());
  const auto list = driver.control("?BROWSE:1");
  ASSERT_TRUE(list) << "the list is still open";
  ASSERT_EQ(list->rows.size(), 4u);

  ASSERT_TRUE(driver.selectRow("?BROWSE:1", 1));
  driver.key("?BROWSE:1", runtime::key::MouseLeft2);
  EXPECT_TRUE(runtime::waitFinished());
  EXPECT_EQ(response, REQUESTCOMPLETED);
  EXPECT_EQ(chosen, 1);
}

// A list that a scroll finds empty, because another station deleted every street, offers
// nothing but Insert: no choice hands back the street the buffer last held, and neither a key
// nor the toolbar changes or deletes a street that is gone.
TEST_F(StreetStationTest, AListEmptiedElsewhereOffersOnlyInsert) {
  int32_t response = 0;
  runtime::start([&] {
    GLOBALREQUEST = SELECTRECORD;
    STREET();
    response = GLOBALRESPONSE;
  });
  ASSERT_TRUE(runtime::waitIdle());
  for (int num = 1; num <= 5; ++num) ASSERT_EQ(otherStation("delete " + std::to_string(num)), 0);
  driver.scroll("?BROWSE:1", runtime::ev::ScrollBottom);
  ASSERT_TRUE(runtime::waitIdle());
  ASSERT_TRUE(driver.control("?BROWSE:1")->rows.empty());
  for (const char* button : {"?SELECT:2", "?CHANGE:3", "?DELETE:3"})
    EXPECT_TRUE(driver.control(button)->disabled) << button;

  backend.takeTranscript();
  backend.queueAnswer("OK");
  driver.key("?BROWSE:1", runtime::key::Delete);
  driver.key("?BROWSE:1", runtime::key::CtrlEnter);
  driver.toolbar(layout::toolbar::Delete);
  driver.toolbar(layout::toolbar::Change);
  driver.key("?BROWSE:1", runtime::key::MouseLeft2);
  ASSERT_TRUE(runtime::waitIdle());
  const auto transcript = backend.takeTranscript();
  EXPECT_FALSE(transcriptHas(transcript, "message")) << "no delete confirmation";
  EXPECT_FALSE(transcriptHas(transcript, "open STREET_UPD")) << "no card";
  ASSERT_TRUE(driver.control("?BROWSE:1")) << "the list is still open";

  driver.close();
  EXPECT_TRUE(runtime::waitFinished());
  EXPECT_NE(response, REQUESTCOMPLETED);
}

// The page follows the list's height when the window is resized: taller, it fills the rows the
// list now has; back at its first size, it holds its first page's count again.
TEST_F(StreetStationTest, AResizedListHoldsAsManyRowsAsItShows) {
  {
    STR_RECORD r{};
    storage::KeyedFile file(STREET_FILE(), &r);
    ASSERT_EQ(file.open(), 0);
    for (int i = 6; i <= 60; ++i) {
      clearRecord(r);
      r.NUM = i;
      const std::string name = runtime::cp("Улица " + std::to_string(i));
      std::copy(name.begin(), name.end(), r.NAME);
      ASSERT_EQ(file.add(), 0);
    }
  }
  runtime::start(&STREET);
  ASSERT_TRUE(runtime::waitIdle());
  const size_t first = driver.control("?BROWSE:1")->rows.size();
  const runtime::WindowDef& def = layout::streetWindow();
  for (const int taller : {150, 0}) {
    ASSERT_TRUE(driver.resize(def.width, def.height + taller));
    ASSERT_TRUE(runtime::waitIdle());
    const auto list = driver.control("?BROWSE:1");
    ASSERT_TRUE(list);
    EXPECT_EQ(static_cast<int>(list->rows.size()), runtime::defaultRowsShown(list->rect.h));
    if (taller == 0) {
      EXPECT_EQ(list->rows.size(), first);
    } else {
      EXPECT_GT(list->rows.size(), first);
    }
  }
  driver.close();
  EXPECT_TRUE(runtime::waitFinished());
}

}  // namespace
}  // namespace phonedir
