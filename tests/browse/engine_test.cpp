// The browse engine over a small file of the test's own: paging, scrolling, the locator, the
// thumb, sort changes, the card form's round trip and another station's changes.

#include "browse/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "../data/data_fixture.h"
#include "layout/frame_window.h"
#include "runtime/event.h"
#include "runtime/headless_driver.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "storage/record_fields.h"

namespace phonedir {
namespace {

#pragma pack(push, 1)
struct Item {
  char NAME[8];
  int32_t NUM;
};
#pragma pack(pop)

const storage::FileDecl& itemsDecl() {
  static const storage::FileDecl decl{
      "ITEMS",
      sizeof(Item),
      {{"NAME", storage::FieldType::kString, 0, 8}, {"NUM", storage::FieldType::kLong, 8, 4}},
      {{"BY_NAME", {"NAME"}}, {"BY_NUM", {"NUM"}}}};
  return decl;
}

constexpr int LIST = 1;
constexpr int LOCATOR = 2;
constexpr int INSERT = 3;
constexpr int CHANGE = 4;
constexpr int ERASE = 5;
constexpr int BY_NUM = 6;
constexpr int kRows = 5;

runtime::WindowDef itemsWindow() {
  runtime::WindowDef w;
  w.proc = "ITEMS";
  w.caption = "Items";
  w.width = 200;
  w.height = 120;
  auto control = [](int n, runtime::ControlKind kind, const char* label, runtime::Rect r) {
    runtime::ControlDef c;
    c.number = n;
    c.kind = kind;
    c.label = label;
    c.rect = r;
    return c;
  };
  runtime::ControlDef list =
      control(LIST, runtime::ControlKind::List, "?LIST", {0, 20, 100, 10 + 10 * kRows});
  list.format = "40L~Name~|20R~Num~";
  runtime::ControlDef locator =
      control(LOCATOR, runtime::ControlKind::Entry, "?LOC", {0, 0, 40, 10});
  locator.picture = "s8";
  w.controls = {list, locator};
  for (auto [n, label] : {std::pair{INSERT, "?INSERT"},
                          {CHANGE, "?CHANGE"},
                          {ERASE, "?DELETE"},
                          {BY_NUM, "?BYNUM"}}) {
    runtime::ControlDef b = control(n, runtime::ControlKind::Button, label, {150, 10 * n, 40, 10});
    b.hidden = n != BY_NUM;
    w.controls.push_back(b);
  }
  return w;
}

Item item(const std::string& name, int32_t num) {
  Item r{};
  std::memset(r.NAME, ' ', sizeof r.NAME);
  std::memcpy(r.NAME, name.data(), std::min(name.size(), sizeof r.NAME));
  r.NUM = num;
  return r;
}

class BrowseEngineTest : public test::DataTest {
 protected:
  void makeFile(const std::vector<Item>& items) {
    Item buffer{};
    storage::KeyedFile file(itemsDecl(), &buffer);
    ASSERT_EQ(file.create(), 0);
    ASSERT_EQ(file.open(), 0);
    for (const Item& i : items) {
      buffer = i;
      ASSERT_EQ(file.add(), 0);
    }
    file.close();
  }

  // Letters A..Z from `first` on, numbered in reverse so the two orders differ.
  void makeLetters(int count) {
    std::vector<Item> items;
    for (int i = 0; i < count; ++i)
      items.push_back(item(std::string(1, static_cast<char>('A' + i)), 100 - i));
    makeFile(items);
  }

  // The list window over ITEMS on a procedure thread; `form` stands for the card.
  void open(std::function<void(storage::KeyedFile&)> form = {}) {
    form_ = std::move(form);
    runtime::start([this] { procedure(); });
    ASSERT_TRUE(runtime::waitIdle());
  }

  void procedure() {
    RequestScope request;
    Item buffer{};
    storage::KeyedFile file(itemsDecl(), &buffer);
    if (file.open() != 0) return;
    runtime::openWindow(itemsWindow());
    runtime::bind(LOCATOR, runtime::bindString(buffer.NAME));
    browse::Def d;
    d.primary = &file;
    d.row = {{&file, "NAME"}, {&file, "NUM"}};
    d.columns = 2;
    d.orders = {{0, {&file, "NAME"}, browse::Stops::Cyrillic, true, {}, LOCATOR},
                {1, {&file, "NUM"}, browse::Stops::Number, false, {}, 0}};
    d.orderFor = [](int key) { return key == 2 ? 2 : 1; };
    d.buttons = {LIST, INSERT, CHANGE, ERASE, 0};
    d.alertKeys = {runtime::key::MouseLeft2, runtime::key::Insert, runtime::key::Delete,
                   runtime::key::MouseRight};
    d.fileLabel = "Items";
    if (form_) d.callForm = [this, &file] { form_(file); };
    browse::Engine engine(std::move(d), request);
    engine_ = &engine;
    engine.prepare();
    while (const int event = runtime::event()) {
      engine.serve(event);
      switch (runtime::accepted()) {
        case INSERT:
          engine.SYNCWINDOW();
          engine.BUTTONINSERT();
          break;
        case CHANGE:
          engine.SYNCWINDOW();
          engine.BUTTONCHANGE();
          break;
        case ERASE:
          engine.SYNCWINDOW();
          engine.BUTTONDELETE();
          break;
        case BY_NUM:
          engine.SYNCWINDOW();
          engine.LOC_KEY = 2;
          engine.SELECTSORT();
          break;
        default:
          break;
      }
      maxRows_ = std::max(maxRows_, engine.RECORDCOUNT);
    }
    engine_ = nullptr;
    runtime::closeWindow();
  }

  runtime::ControlSnapshot list() const { return *driver.control("?LIST"); }

  // The names on the page, the highlighted one in brackets.
  std::string page() const {
    const runtime::ControlSnapshot l = list();
    std::string out;
    for (size_t i = 0; i < l.rows.size(); ++i) {
      std::string name = l.rows[i].at(0);
      name.erase(name.find_last_not_of(' ') + 1);
      out += static_cast<int>(i) + 1 == l.selected ? "[" + name + "]" : name;
      out += i + 1 < l.rows.size() ? " " : "";
    }
    return out;
  }

  void typeKey(char c) {
    driver.key("?LIST", runtime::key::Character, static_cast<unsigned char>(c));
  }

  runtime::HeadlessDriver driver{backend};
  std::function<void(storage::KeyedFile&)> form_;
  browse::Engine* engine_ = nullptr;
  int32_t maxRows_ = 0;
  int formCalls_ = 0;
};

TEST_F(BrowseEngineTest, ScrollsOneRowAPageAndToTheEnds) {
  makeLetters(12);
  open();
  EXPECT_EQ(page(), "[A] B C D E");
  struct Step {
    const char* action;
    int event;
    const char* page;
  };
  const Step steps[] = {
      {"down inside the page moves the highlight", runtime::ev::ScrollDown, "A [B] C D E"},
      {"up", runtime::ev::ScrollUp, "[A] B C D E"},
      {"up on the first record reads nothing", runtime::ev::ScrollUp, "[A] B C D E"},
      {"page down", runtime::ev::PageDown, "[F] G H I J"},
      {"page down near the end moves the highlight by what is missing", runtime::ev::PageDown,
       "H I J [K] L"},
      {"down", runtime::ev::ScrollDown, "H I J K [L]"},
      {"down on the last record", runtime::ev::ScrollDown, "H I J K [L]"},
      {"to the top", runtime::ev::ScrollTop, "[A] B C D E"},
      {"to the bottom", runtime::ev::ScrollBottom, "H I J K [L]"},
      {"page up", runtime::ev::PageUp, "C D E F [G]"},
  };
  for (const Step& s : steps) {
    driver.scroll("?LIST", s.event);
    EXPECT_EQ(page(), s.page) << s.action;
  }
  driver.selectRow("?LIST", 1);
  driver.scroll("?LIST", runtime::ev::ScrollUp);
  EXPECT_EQ(page(), "[B] C D E F") << "up at the top row shifts the page by one";
  EXPECT_LE(maxRows_, kRows) << "the page never holds more rows than the list shows";
}

// Held down, the arrow key scrolls through records read ahead of the page; what another
// station writes in the meantime is on the page all the same.
TEST_F(BrowseEngineTest, ScrollingRowByRowShowsAnotherStationsChangesAhead) {
  makeLetters(12);
  open();
  driver.selectRow("?LIST", 5);
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  EXPECT_EQ(page(), "B C D E [F]");
  {
    Item buffer = item("FF", 50);
    storage::KeyedFile other(itemsDecl(), &buffer);  // another station
    ASSERT_EQ(other.open(), 0);
    ASSERT_EQ(other.add(), 0);
    buffer = item("H", 0);
    ASSERT_EQ(other.get(0), 0);
    ASSERT_EQ(other.erase(), 0);
  }
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  EXPECT_EQ(page(), "C D E F [FF]");
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  EXPECT_EQ(page(), "E F FF G [I]");
  driver.scroll("?LIST", runtime::ev::ScrollUp);
  driver.selectRow("?LIST", 1);
  driver.scroll("?LIST", runtime::ev::ScrollUp);
  driver.scroll("?LIST", runtime::ev::ScrollUp);
  EXPECT_EQ(page(), "[C] D E F FF");
  EXPECT_LE(maxRows_, kRows);
}

TEST_F(BrowseEngineTest, FewerRecordsThanRowsSwitchTheScrollBarOff) {
  makeLetters(3);
  open();
  EXPECT_EQ(page(), "[A] B C");
  EXPECT_FALSE(list().scrollbar);
  driver.scroll("?LIST", runtime::ev::PageDown);
  EXPECT_EQ(page(), "A B [C]");
  driver.scroll("?LIST", runtime::ev::ScrollTop);
  EXPECT_EQ(page(), "[A] B C");
}

TEST_F(BrowseEngineTest, AnEmptyFileOffersOnlyInsert) {
  makeFile({});
  int calls = 0;
  int32_t request = 0;
  open([&](storage::KeyedFile&) {
    ++calls;
    request = GLOBALREQUEST;
  });
  EXPECT_EQ(page(), "");
  EXPECT_EQ(list().selected, 0);
  EXPECT_TRUE(driver.control("?LOC")->disabled);
  driver.scroll("?LIST", runtime::ev::PageDown);
  driver.key("?LIST", runtime::key::Delete);
  EXPECT_EQ(calls, 0);
  backend.queueAnswer("none");
  driver.key("?LIST", runtime::key::MouseRight);
  const auto transcript = backend.takeTranscript();
  EXPECT_NE(std::find(transcript.begin(), transcript.end(),
                      "popup \"&Добавить|~&Изменить|~&Удалить\" -> none"),
            transcript.end());
  driver.key("?LIST", runtime::key::Insert);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(request, INSERTRECORD);
}

TEST_F(BrowseEngineTest, TypedLocatorPositionsAndAnyScrollClearsIt) {
  makeLetters(12);
  open([this](storage::KeyedFile&) { ++formCalls_; });
  typeKey('G');
  EXPECT_EQ(page(), "[G] H I J K");
  EXPECT_EQ(engine_->SORT[0].LOCATORVALUE, "G");
  typeKey('Z');
  EXPECT_EQ(page(), "[H] I J K L") << "GZ lies between G and H";
  driver.key("?LIST", runtime::key::Backspace);
  EXPECT_EQ(page(), "[G] H I J K");
  driver.key("?LIST", runtime::key::Backspace);
  driver.key("?LIST", runtime::key::Backspace);
  EXPECT_EQ(engine_->SORT[0].LOCATORLENGTH, 0) << "Backspace on an empty locator does nothing";
  typeKey('c');
  EXPECT_EQ(page(), "[C] D E F G") << "the locator ignores case";
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  EXPECT_EQ(engine_->SORT[0].LOCATORLENGTH, 0);
  typeKey('Y');
  EXPECT_EQ(page(), "H I J K [L]") << "a value past the end shows the last page";
  driver.scroll("?LIST", runtime::ev::ScrollTop);
  typeKey('-');
  typeKey('.');
  EXPECT_EQ(page(), "[A] B C D E") << "punctuation sorts before letters";
  EXPECT_EQ(formCalls_, 0) << "'-' and '.' are characters, never Insert or Delete";
}

TEST_F(BrowseEngineTest, ThumbPositionsByStops) {
  std::vector<Item> items;
  for (int i = 0; i < 60; ++i) items.push_back(item("X", i * 10));
  makeFile(items);
  open();
  driver.press("?BYNUM");
  EXPECT_EQ(list().thumb, 0);
  driver.thumb("?LIST", 50);
  const runtime::ControlSnapshot l = list();
  ASSERT_FALSE(l.rows.empty());
  const int first = std::stoi(l.rows.at(0).at(1));
  EXPECT_GE(first, 290);
  EXPECT_LE(first, 300) << "stop 50 of 0..590 lies near 295";
  driver.thumb("?LIST", 100);
  EXPECT_EQ(list().rows.back().at(1), "590");
  driver.thumb("?LIST", 1);
  EXPECT_EQ(list().rows.front().at(1), "0");
}

// The stops are read again after another station's change, and only then: a focus gain over an
// unchanged file keeps them, one after a change spreads them over the new ends.
TEST_F(BrowseEngineTest, ThumbStopsFollowAnotherStationsChangeAtTheNextFocusGain) {
  std::vector<Item> items;
  for (int i = 0; i < 60; ++i) items.push_back(item("X", i * 10));
  makeFile(items);
  open();
  driver.press("?BYNUM");
  auto firstAtMiddleStop = [&] {
    driver.thumb("?LIST", 50);
    const runtime::ControlSnapshot l = list();
    return l.rows.empty() ? -1 : std::stoi(l.rows.at(0).at(1));
  };
  driver.focus("ITEMS");
  const int before = firstAtMiddleStop();
  EXPECT_GE(before, 290);
  EXPECT_LE(before, 300);
  driver.focus("ITEMS");
  EXPECT_EQ(firstAtMiddleStop(), before) << "nothing changed";

  Item buffer = item("Y", 1180);
  storage::KeyedFile station(itemsDecl(), &buffer);
  ASSERT_EQ(station.open(), 0);
  ASSERT_EQ(station.add(), 0);
  EXPECT_EQ(firstAtMiddleStop(), before) << "the stops change only at the next refresh";
  driver.focus("ITEMS");
  const int after = firstAtMiddleStop();
  EXPECT_GE(after, 540) << "stop 50 of 0..1180 lies near the middle";
  EXPECT_LE(after, 600);

  // Removed again: the last record is 590 once more.
  ASSERT_EQ(station.erase(), 0);
  driver.focus("ITEMS");
  EXPECT_EQ(firstAtMiddleStop(), before);
}

TEST_F(BrowseEngineTest, SortChangeKeepsTheRecordHighlighted) {
  makeLetters(12);
  open();
  driver.scroll("?LIST", runtime::ev::PageDown);
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  EXPECT_EQ(page(), "F [G] H I J");
  driver.press("?BYNUM");
  const runtime::ControlSnapshot l = list();
  ASSERT_GT(l.selected, 0);
  EXPECT_EQ(l.rows.at(l.selected - 1).at(0).substr(0, 1), "G");
}

TEST_F(BrowseEngineTest, AChangedRecordIsHighlightedAtItsNewPlace) {
  makeLetters(12);
  open([](storage::KeyedFile& file) {
    auto* r = static_cast<Item*>(file.buffer());
    std::memcpy(r->NAME, "KK      ", 8);
    file.put();
    GLOBALRESPONSE = REQUESTCOMPLETED;
  });
  driver.key("?LIST", runtime::key::MouseLeft2);
  EXPECT_EQ(page(), "I J K [KK] L") << "A became KK: highlighted at its new place";
  driver.scroll("?LIST", runtime::ev::ScrollTop);
  typeKey('K');
  EXPECT_EQ(page(), "I J [K] KK L");
}

// Another station gives a record on the page a key that sorts just after its old one: a
// scroll shows the record once, and after a card the highlight stays on it.
TEST_F(BrowseEngineTest, ARecordWhoseKeyChangedElsewhereIsShownOnceAndKeepsTheHighlight) {
  makeLetters(12);
  auto rename = [](const char* from, const char* to) {
    Item buffer = item(from, 0);
    storage::KeyedFile other(itemsDecl(), &buffer);  // another station
    ASSERT_EQ(other.open(), 0);
    ASSERT_EQ(other.get(0), 0);
    buffer = item(to, buffer.NUM);
    ASSERT_EQ(other.put(), 0);
  };
  open([&](storage::KeyedFile&) { rename("B", "BB"); });
  driver.selectRow("?LIST", 5);
  EXPECT_EQ(page(), "A B C D [E]");
  rename("E", "EE");
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  EXPECT_EQ(page(), "B C D E [F]") << "EE is the row E, read before the change";

  driver.scroll("?LIST", runtime::ev::ScrollTop);
  driver.selectRow("?LIST", 2);
  driver.key("?LIST", runtime::key::MouseLeft2);  // the card: B becomes BB meanwhile
  EXPECT_EQ(page(), "A [BB] C D EE");
}

// The card moved on by the toolbar after another station deleted its record: the next record
// is the one that followed it, the previous the one before it; none is passed over.
TEST_F(BrowseEngineTest, ACardWhoseRecordWentElsewhereMovesOnToItsNeighbours) {
  makeLetters(12);
  std::string shown;
  int32_t button = 0;
  open([&](storage::KeyedFile& file) {
    const auto* r = static_cast<const Item*>(file.buffer());
    const std::string name(r->NAME, 1);
    shown += name;
    if (button == 0) return;
    Item buffer = item(name, 0);
    storage::KeyedFile other(itemsDecl(), &buffer);  // another station
    ASSERT_EQ(other.open(), 0);
    ASSERT_EQ(other.get(0), 0);
    ASSERT_EQ(other.erase(), 0);
    VCRREQUEST = std::exchange(button, 0);
  });
  button = layout::toolbar::Down;
  driver.selectRow("?LIST", 2);
  driver.key("?LIST", runtime::key::MouseLeft2);
  EXPECT_EQ(shown, "BC");
  shown.clear();
  button = layout::toolbar::Up;
  driver.scroll("?LIST", runtime::ev::ScrollTop);
  driver.selectRow("?LIST", 3);
  driver.key("?LIST", runtime::key::MouseLeft2);
  EXPECT_EQ(shown, "DC");
}

TEST_F(BrowseEngineTest, ARecordDeletedElsewhereLeavesANeighbourHighlighted) {
  makeLetters(12);
  open();
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  driver.scroll("?LIST", runtime::ev::ScrollDown);
  EXPECT_EQ(page(), "A B [C] D E");
  {
    Item buffer = item("C", 0);
    storage::KeyedFile other(itemsDecl(), &buffer);  // another station
    ASSERT_EQ(other.open(), 0);
    ASSERT_EQ(other.get(0), 0);
    ASSERT_EQ(other.erase(), 0);
  }
  driver.focus("ITEMS");
  EXPECT_EQ(page(), "[D] E F G H");
}

}  // namespace
}  // namespace phonedir

namespace phonedir {
namespace {

TEST_F(BrowseEngineTest, AHaltInsideTheCardClosesTheCardAndTheList) {
  makeLetters(3);
  open([](storage::KeyedFile&) {
    runtime::WindowDef card;
    card.proc = "CARD";
    card.width = 100;
    card.height = 50;
    runtime::openWindow(card);
    runtime::halt(runtime::cp("Ошибка диска"));
  });
  driver.key("?LIST", runtime::key::MouseLeft2);
  EXPECT_TRUE(runtime::waitFinished());
  const auto transcript = backend.takeTranscript();
  EXPECT_NE(std::find(transcript.begin(), transcript.end(), "halt \"Ошибка диска\""),
            transcript.end());
  EXPECT_NE(std::find(transcript.begin(), transcript.end(), "close CARD"), transcript.end());
  EXPECT_NE(std::find(transcript.begin(), transcript.end(), "close ITEMS"), transcript.end());
  EXPECT_EQ(backend.exitCode(), 0);
}

}  // namespace
}  // namespace phonedir

namespace phonedir {
namespace {

TEST_F(BrowseEngineTest, ALargeFileNeverPutsMoreThanAPageInMemory) {
  {
    Item buffer{};
    storage::KeyedFile file(itemsDecl(), &buffer);
    ASSERT_EQ(file.create(), 0);
    ASSERT_EQ(file.open(), 0);
    ASSERT_EQ(file.stream(), 0);
    for (int i = 0; i < 200000; ++i) {
      const std::string name = {static_cast<char>('A' + i % 26),
                                static_cast<char>('A' + i / 26 % 26),
                                static_cast<char>('A' + i / 676 % 26)};
      buffer = item(name, i);
      ASSERT_EQ(file.append(), 0);
    }
    ASSERT_EQ(file.flush(), 0);
    ASSERT_EQ(file.buildKeys(), 0);
  }
  open([](storage::KeyedFile& file) {
    auto* r = static_cast<Item*>(file.buffer());
    r->NUM = -1;
    file.put();
    GLOBALRESPONSE = REQUESTCOMPLETED;
  });
  for (int e : {runtime::ev::ScrollDown, runtime::ev::PageDown, runtime::ev::ScrollBottom,
                runtime::ev::PageUp, runtime::ev::ScrollUp, runtime::ev::ScrollTop})
    driver.scroll("?LIST", e);
  for (int p : {0, 1, 37, 99, 100}) driver.thumb("?LIST", p);
  typeKey('M');
  typeKey('Q');
  driver.key("?LIST", runtime::key::MouseLeft2);
  driver.press("?BYNUM");
  driver.scroll("?LIST", runtime::ev::PageDown);
  driver.focus("ITEMS");
  EXPECT_EQ(list().rows.size(), static_cast<size_t>(kRows));
  EXPECT_LE(maxRows_, kRows);
}

}  // namespace
}  // namespace phonedir
