// The city directory and the phone card against another station working on the same files:
// a subscriber deleted under the list leaves the list sound and is never changed or deleted in
// another's place, and a change made between the card's read and its save is never
// overwritten.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "../data/data_fixture.h"
#include "../data/data_fixture_files.h"
#include "city/city.h"
#include "data/records.h"
#include "runtime/headless_driver.h"
#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"

namespace phonedir {
namespace {

class CityStationTest : public test::DataTest {
 protected:
  void SetUp() override {
    test::DataTest::SetUp();
    STR_RECORD s{};
    storage::KeyedFile streets(STREET_FILE(), &s);
    ASSERT_EQ(streets.create(), 0);
    ASSERT_EQ(streets.open(), 0);
    int32_t num = 0;
    for (const char* name : {"Абрикосовая", "Берёзовая"}) {
      clearRecord(s);
      s.NUM = ++num;
      const std::string text = runtime::cp(name);
      std::copy(text.begin(), text.end(), s.NAME);
      ASSERT_EQ(streets.add(), 0);
    }

    std::vector<PHO_RECORD> town;
    for (int i = 1; i <= 30; ++i)
      town.push_back(test::phoneRecord(std::to_string(300000 + i), 1,
                                       "Абонент " + std::to_string(i), std::to_string(i)));
    test::makePhoneFile(town);
  }

  // The other station: a process of its own.
  int otherStation(const std::string& args) {
    const std::string command = std::string(RECORD_STATION) + " . phone " + args;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string surname(const std::string& phone) {
    for (const PHO_RECORD& r : test::readPhoneFile())
      if (std::string(r.PHONE, sizeof r.PHONE).rfind(phone, 0) == 0)
        return runtime::toUtf8(std::string(r.FIO));
    return "(none)";
  }

  std::string value(const std::string& label) {
    const auto c = driver.control(label);
    return c ? c->value : std::string("(no control)");
  }

  // The phone column of the highlighted row, and whether it is the page's last row.
  std::string highlighted() {
    const auto list = driver.control("?LIST");
    if (!list || list->selected < 1 || list->selected > int(list->rows.size())) return "(none)";
    return list->rows.at(list->selected - 1).at(0);
  }
  bool lastRowHighlighted() {
    const auto list = driver.control("?LIST");
    return list && !list->rows.empty() && list->selected == int(list->rows.size());
  }

  bool transcriptHas(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(start, 0) == 0; });
  }

  void closeAll() {
    for (int n = 0; n < 3 && driver.close(); ++n) {
    }
    EXPECT_TRUE(runtime::waitFinished());
  }

  runtime::HeadlessDriver driver{backend};
};

TEST_F(CityStationTest, ASubscriberDeletedElsewhereLeavesTheListSound) {
  runtime::start(&GOROD);
  ASSERT_TRUE(runtime::waitIdle());
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  ASSERT_EQ(highlighted(), "30-00-03");

  // A return to the window locates where the subscriber stood: the page starts at the next.
  ASSERT_EQ(otherStation("delete 300003"), 0);
  driver.focus("GOROD");
  EXPECT_EQ(highlighted(), "30-00-04");
  EXPECT_EQ(driver.control("?LIST")->rows.size(), 12u);

  // The card asked for on a subscriber deleted since the page was read: no card opens; with a
  // beep the page is rebuilt from where it started, which was that subscriber, and its last row
  // is highlighted.
  ASSERT_EQ(otherStation("delete 300004"), 0);
  backend.takeTranscript();
  driver.key("?LIST", runtime::key::CtrlEnter);
  ASSERT_TRUE(runtime::waitIdle());
  auto transcript = backend.takeTranscript();
  EXPECT_TRUE(transcriptHas(transcript, "beep"));
  EXPECT_FALSE(transcriptHas(transcript, "open UPDATEPHONE"));
  const auto list = driver.control("?LIST");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->rows.size(), 12u);
  EXPECT_EQ(list->rows.at(0).at(0), "30-00-05");
  EXPECT_TRUE(lastRowHighlighted()) << highlighted();

  // Nor is a subscriber deleted elsewhere deleted again in the shape of another.
  ASSERT_TRUE(driver.selectRow("?LIST", 2));
  ASSERT_EQ(highlighted(), "30-00-06");
  ASSERT_EQ(otherStation("delete 300006"), 0);
  backend.queueAnswer("OK");
  driver.key("?LIST", runtime::key::Delete);
  transcript = backend.takeTranscript();
  EXPECT_FALSE(transcriptHas(transcript, "message \"Подтвердите удаление\""));
  EXPECT_EQ(test::readPhoneFile().size(), 27u) << "only the three deleted elsewhere are gone";
  EXPECT_EQ(surname("300005"), "Абонент 5");
  closeAll();
  EXPECT_EQ(test::integrityCheck("PHONE.db"), "ok");
}

// The card shows the other station's version after a conflict, down to what it looks up
// from it: the name of the street that station chose.
TEST_F(CityStationTest, AfterAConflictTheCardShowsTheOtherStationsStreet) {
  runtime::start(&GOROD);
  ASSERT_TRUE(runtime::waitIdle());
  driver.key("?LIST", runtime::key::CtrlEnter);
  ASSERT_EQ(value("?STR:NAME"), "Абрикосовая");
  ASSERT_EQ(otherStation("street 300001 2"), 0);
  driver.type("?PHO:KVART", "9");
  driver.press("?OK");
  EXPECT_TRUE(transcriptHas(
      backend.takeTranscript(),
      "message \"Ошибка при обновлении записи\" \"Эта запись была изменена с другой станции."));
  EXPECT_EQ(value("?STR:NAME"), "Берёзовая");
  backend.queueAnswer("Yes");
  driver.press("?CANCEL");
  closeAll();
}

// The street list leaves what was typed into it to find a street in the street's name. Left
// without a choice, it leaves the card showing its own street's name again.
TEST_F(CityStationTest, TheCardShowsItsStreetAgainWhenTheStreetListIsLeftWithoutAChoice) {
  runtime::start(&GOROD);
  ASSERT_TRUE(runtime::waitIdle());
  driver.key("?LIST", runtime::key::CtrlEnter);
  ASSERT_EQ(value("?STR:NAME"), "Абрикосовая");
  driver.press("?BUTTON3");
  ASSERT_TRUE(backend.windowOf("STREET"));
  driver.type("?STR:NAME", "Бер");
  driver.close();
  ASSERT_FALSE(backend.windowOf("STREET"));
  EXPECT_EQ(value("?STR:NAME"), "Абрикосовая");
  driver.press("?CANCEL");
  closeAll();
}

TEST_F(CityStationTest, AChangeFromAnotherStationIsNeverOverwritten) {
  runtime::start(&GOROD);
  ASSERT_TRUE(runtime::waitIdle());
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  driver.key("?LIST", runtime::key::CtrlEnter);
  ASSERT_EQ(value("?PHO:FIO"), "Абонент 2");

  ASSERT_EQ(otherStation("rename 300002 Другой_Д.Д."), 0);
  driver.type("?PHO:FIO", "Мой М.М.");
  driver.press("?OK");
  const auto transcript = backend.takeTranscript();
  EXPECT_TRUE(transcriptHas(
      transcript,
      "message \"Ошибка при обновлении записи\" \"Эта запись была изменена с другой станции."));
  EXPECT_EQ(value("?PHO:FIO"), "Другой_Д.Д.") << "the card shows the other station's values";
  EXPECT_EQ(surname("300002"), "Другой_Д.Д.") << "nothing of this station's change is written";

  // Saving again now writes over the version the user has seen.
  driver.type("?PHO:FIO", "Мой М.М.");
  driver.press("?OK");
  EXPECT_EQ(surname("300002"), "Мой М.М.");
  EXPECT_EQ(highlighted(), "30-00-02");
  closeAll();
  EXPECT_EQ(test::integrityCheck("PHONE.db"), "ok");
}

}  // namespace
}  // namespace phonedir
