#include "runtime/snapshot.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/binding.h"
#include "runtime/locale/charset.h"
#include "runtime_fixture.h"

namespace runtime {
namespace {

// A window of every kind of control whose snapshot takes conversion or formatting: texts,
// a bound entry, a bound progress bar, a list with column pictures.
WindowDef mixedWindow() {
  WindowDef w = listWindow("MIXED");
  w.controls[1].picture = "P<#-##-##P";
  ControlDef progress;
  progress.number = 6;
  progress.kind = ControlKind::Progress;
  progress.label = "?PROGRESS";
  w.controls.push_back(progress);
  w.controls[4].format = "40L(2)|M~Номер~@P<#-##-##P@30L~Имя~@s10@";
  w.statusZones = {40, -1};
  return w;
}

// Whatever changes in the model between two updates, the snapshot kept from the last one
// shows exactly what a snapshot taken afresh shows, and the update says whether it changed. A
// backend's copy that takes only the controls whose revision changed shows the same too.
TEST(ShownWindowTest, KeptSnapshotAlwaysEqualsAFreshOne) {
  const WindowDef def = mixedWindow();
  Window w(def, 7, 1);
  char name[10] = {};
  char phone[5] = {};
  writeBinding(bindString(name), cp("Иванов"));
  writeBinding(bindString(phone), "12345");
  int32_t done = 0;
  w.find(1)->binding = bindString(name);
  w.find(2)->binding = bindString(phone);
  w.find(6)->binding = bindLong(done);
  w.statusTexts = {cp("Готово"), ""};

  ShownWindow shown;
  WindowSnapshot before = takeSnapshot(w, false);
  ASSERT_TRUE(shown.update(w, false));
  ASSERT_EQ(shown.snapshot(), before);
  EXPECT_FALSE(shown.update(w, false)) << "nothing changed";
  WindowSnapshot backendCopy = shown.snapshot();

  uint64_t lastId = 0;  // row identities, kept as the browse engine keeps them
  std::mt19937 random(20261208);
  const std::string texts[] = {"", cp("Справочник"), cp("Справочник города"), "OK"};
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int step = 0; step < 2000; ++step) {
    // Changed as the runtime changes a control: taken by its number first.
    Control& c =
        *w.find(w.controls[static_cast<size_t>(pick(static_cast<int>(w.controls.size())))].number);
    bool blocked = false;
    switch (pick(16)) {
      case 0:
        c.text = texts[pick(4)];
        break;
      case 1:
        c.tip = texts[pick(4)];
        break;
      case 2:
        c.disabled = !c.disabled;
        break;
      case 3:
        writeBinding(bindString(name), cp(pick(2) ? "Петров" : "Иванов"));
        break;
      case 4:
        writeBinding(bindString(phone), std::to_string(10000 + pick(90000)));
        break;
      case 5:
        done = pick(101);
        break;
      case 6: {
        Control& list = *w.find(5);
        const bool ids = !list.rowIds.empty() || pick(2) == 0;
        list.rows.clear();
        list.rowIds.clear();
        for (int r = pick(4); r > 0; --r) {
          list.rows.push_back({std::to_string(10000 + pick(90000)), texts[pick(4)]});
          if (ids) list.rowIds.push_back(++lastId);
        }
        break;
      }
      case 7:
        w.find(5)->selected = pick(4);
        break;
      case 8:
        w.find(5)->columns[0].picture = pick(2) ? "P<#-##-##P" : "s5";
        break;
      case 9:
        w.caption = texts[pick(4)];
        break;
      case 10:
        w.statusTexts[static_cast<size_t>(pick(2))] = texts[pick(4)];
        break;
      case 11:
        w.find(2)->picture = pick(2) ? "P<#-##-##P" : "s5";
        break;
      case 12: {
        // A scroll by one row: the rows move up or down by one place. The row scrolled in
        // may show the same as its neighbour.
        // Identities, when the list has them, move with their rows; the new row has its own.
        Control& list = *w.find(5);
        auto& rows = list.rows;
        auto& ids = list.rowIds;
        const bool byId = !ids.empty();
        std::vector<std::string> row{std::to_string(10000 + pick(90000)), texts[pick(4)]};
        if (!rows.empty() && pick(3) == 0) row = pick(2) ? rows.front() : rows.back();
        if (pick(2) && !rows.empty()) {
          rows.erase(rows.begin());
          rows.push_back(row);
          if (byId) {
            ids.erase(ids.begin());
            ids.push_back(++lastId);
          }
        } else {
          rows.insert(rows.begin(), row);
          if (byId) ids.insert(ids.begin(), ++lastId);
          if (rows.size() > 3) {
            rows.pop_back();
            if (byId) ids.pop_back();
          }
        }
        break;
      }
      case 13: {
        // The list's rows taken by their texts again, or given identities.
        Control& list = *w.find(5);
        if (!list.rowIds.empty()) {
          list.rowIds.clear();
        } else {
          for (size_t r = 0; r < list.rows.size(); ++r) list.rowIds.push_back(++lastId);
        }
        break;
      }
      default:
        blocked = true;
        break;
    }
    const WindowSnapshot fresh = takeSnapshot(w, blocked);
    EXPECT_EQ(shown.update(w, blocked), !(fresh == before)) << "step " << step;
    ASSERT_EQ(shown.snapshot(), fresh) << "step " << step;
    copyChanges(shown.snapshot(), backendCopy);
    ASSERT_EQ(backendCopy, fresh) << "step " << step;
    before = fresh;
  }
}

TEST(ShownWindowTest, ListRowsAreShownThroughTheirColumnsPictures) {
  Window w(mixedWindow(), 7, 1);
  w.find(5)->rows = {{"123456", cp("Иванов")}};
  ShownWindow shown;
  shown.update(w, false);
  const ControlSnapshot& list = shown.snapshot().controls[4];
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0][0], "12-34-56");
  EXPECT_EQ(list.rows[0][1], "Иванов");
}

}  // namespace
}  // namespace runtime
