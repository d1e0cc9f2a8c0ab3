// The personal card against a file it cannot write to, and its remembered place.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../data/data_fixture.h"
#include "data/records.h"
#include "layout/frame_window.h"
#include "personal/personal.h"
#include "runtime/headless_driver.h"
#include "runtime/locale/charset.h"
#include "station_client.h"
#include "storage/keyed_file.h"

namespace phonedir {
namespace {

class PersonalCardTest : public test::DataTest {
 protected:
  void SetUp() override {
    test::DataTest::SetUp();
    PER_RECORD r{};
    storage::KeyedFile file(PERSONAL_FILE(), &r);
    ASSERT_EQ(file.create(), 0);
    ASSERT_EQ(file.open(), 0);
    for (const char* name : {"Аптека", "Библиотека", "Вокзал"}) {
      clearRecord(r);
      const std::string n = runtime::cp(name);
      std::copy(n.begin(), n.end(), r.NAME);
      ASSERT_EQ(file.add(), 0);
    }
    runtime::start(&PERSONAL);
    ASSERT_TRUE(runtime::waitIdle());
  }

  std::string value(const std::string& label) {
    const auto c = driver.control(label);
    return c ? c->value : std::string("(no control)");
  }

  runtime::HeadlessDriver driver{backend};
};

TEST_F(PersonalCardTest, AnInsertTheFileRefusesKeepsTheCardAndItsInput) {
  // Another station reads the file for longer than a write waits to commit.
  storage::test::Station other("PERSONAL.db");
  ASSERT_EQ(other.call("read-lock"), "0");

  driver.key("?LIST:2", runtime::key::Insert);
  driver.type("?PER:NAME", "Почта");
  backend.takeTranscript();
  // The frame's toolbar, as the frame relays it: save and add another.
  const auto card = backend.windowOf("PERS_UPD");
  ASSERT_TRUE(card);
  runtime::Event next;
  next.code = runtime::ev::Accepted;
  next.field = layout::frame::TBARBRWDOWN;
  runtime::deliver(card->id, next);
  ASSERT_TRUE(runtime::waitIdle(std::chrono::seconds(30)));
  const auto transcript = backend.takeTranscript();
  bool refused = false;
  for (const std::string& line : transcript)
    refused = refused || line.rfind("message \"Ошибка при добавлении записи\"", 0) == 0;
  EXPECT_TRUE(refused);
  EXPECT_EQ(value("?PER:NAME"), "Почта") << "the card stays open with the input";

  ASSERT_EQ(other.call("read-unlock"), "0");
  // The navigation was forgotten: saving now closes the card instead of opening another.
  driver.press("?OK");
  EXPECT_FALSE(backend.windowOf("PERS_UPD")) << "no new card after the navigation was cleared";
}

TEST_F(PersonalCardTest, TheCardReopensWhereTheUserMovedIt) {
  driver.key("?LIST:2", runtime::key::MouseLeft2);
  auto card = backend.windowOf("PERS_UPD");
  ASSERT_TRUE(card);
  runtime::Event moved;
  moved.code = runtime::ev::Moved;
  moved.x = 37;
  moved.y = 21;
  moved.key = runtime::key::MouseLeft;
  runtime::deliver(card->id, moved);
  ASSERT_TRUE(runtime::waitIdle());
  driver.press("?CANCEL");
  ASSERT_FALSE(backend.windowOf("PERS_UPD"));

  driver.scroll("?LIST:2", runtime::ev::ScrollDown);
  driver.key("?LIST:2", runtime::key::MouseLeft2);
  card = backend.windowOf("PERS_UPD");
  ASSERT_TRUE(card);
  EXPECT_EQ(card->x, 37);
  EXPECT_EQ(card->y, 21);
}

// The frame's toolbar may show another window's buttons for a moment (that window's focus
// gain came after the card took the toolbar). A press the insert card does not offer (only
// "save and add another" is its) must not save the card and move on.
TEST_F(PersonalCardTest, AnInsertCardTakesNoToolbarPressItDoesNotOffer) {
  driver.key("?LIST:2", runtime::key::Insert);
  driver.type("?PER:NAME", "Почта");
  const auto card = backend.windowOf("PERS_UPD");
  ASSERT_TRUE(card);
  backend.takeTranscript();
  for (int button : {layout::frame::TBARBRWTOP, layout::frame::TBARBRWBOTTOM,
                     layout::frame::TBARBRWPAGEDOWN, layout::frame::TBARBRWUP}) {
    runtime::Event press;
    press.code = runtime::ev::Accepted;
    press.field = button;
    runtime::deliver(card->id, press);
    ASSERT_TRUE(runtime::waitIdle());
  }
  EXPECT_TRUE(backend.takeTranscript().empty()) << "no card closed or opened, no question";
  EXPECT_EQ(value("?PER:NAME"), "Почта");
  PER_RECORD r{};
  storage::KeyedFile file(PERSONAL_FILE(), &r);
  ASSERT_EQ(file.open(), 0);
  EXPECT_EQ(file.records(), 3) << "nothing saved";
}

// A right click on the list shows the popup once: the selections that presses on the frame's
// toolbar bring afterwards show none, though no other key came in between.
TEST_F(PersonalCardTest, ARightClickShowsThePopupOnce) {
  backend.queueAnswer("none");
  driver.key("?LIST:2", runtime::key::MouseRight);
  const auto list = backend.windowOf("PERSONAL");
  ASSERT_TRUE(list);
  for (int button : {layout::frame::TBARBRWDOWN, layout::frame::TBARBRWPAGEDOWN}) {
    runtime::Event press;
    press.code = runtime::ev::Accepted;
    press.field = button;
    runtime::deliver(list->id, press);
    ASSERT_TRUE(runtime::waitIdle());
  }
  const auto transcript = backend.takeTranscript();
  EXPECT_EQ(std::count_if(transcript.begin(), transcript.end(),
                          [](const std::string& l) { return l.rfind("popup", 0) == 0; }),
            1);
  EXPECT_FALSE(backend.windowOf("PERS_UPD")) << "no card";
}

}  // namespace
}  // namespace phonedir
