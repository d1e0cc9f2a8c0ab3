// Views: a primary file read in key order with its lookup file's record beside each record.

#include "storage/view.h"

#include <gtest/gtest.h>

#include "storage/keyed_file.h"
#include "storage/record_fields.h"
#include "test_files.h"

namespace storage::test {
namespace {

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(items.create(), kOk);
    ASSERT_EQ(groups.create(), kOk);
    ASSERT_EQ(items.open(), kOk);
    ASSERT_EQ(groups.open(), kOk);
    for (auto [num, name] : {std::pair{1, "tools"}, std::pair{2, "toys"}, std::pair{3, "food"}}) {
      group.NUM = num;
      setText(groupDecl().fields[1], &group, name);
      ASSERT_EQ(groups.add(), kOk);
    }
    // Item "c" refers to group 9, which does not exist.
    for (const Item& i :
         {item("b", 2, "ball", "1"), item("c", 9, "cake", "1"), item("a", 1, "axe", "1")}) {
      it = i;
      ASSERT_EQ(items.add(), kOk);
    }
    ASSERT_EQ(view.join(groups, kGroupNum, {"GROUP"}), kOk);
  }

  std::string groupName() const { return std::string(storedText(groupDecl().fields[1], &group)); }

  TempDir dir;
  Item it{};
  Group group{};
  KeyedFile items{itemDecl(), &it, dir.file("ITEM.db")};
  KeyedFile groups{groupDecl(), &group, dir.file("GROUP.db")};
  View view{items};
};

TEST_F(ViewTest, EachReadFillsTheLookupOrClearsIt) {
  ASSERT_EQ(view.open(), kOk);
  ASSERT_EQ(view.set(kByCode), kOk);
  std::string rows;
  group.NUM = 77;
  while (view.next() == kOk)
    rows += code(it) + ":" + std::to_string(group.NUM) + ":" + groupName() + " ";
  EXPECT_EQ(rows, "a:1:tools b:2:toys c:0: ");
  EXPECT_EQ(view.error().code, kNoRecord);

  ASSERT_EQ(view.set(kByCode), kOk);
  ASSERT_EQ(view.prev(), kOk);
  EXPECT_EQ(code(it), "c");
  ASSERT_EQ(view.prev(), kOk);
  EXPECT_EQ(groupName(), "toys");
  EXPECT_EQ(lastError().code, kOk) << "the lookup's own miss is not the view's error";
}

TEST_F(ViewTest, PositionsAndKeyValuesThroughTheView) {
  ASSERT_EQ(view.open(), kOk);
  it = item("b", 0, "", "");
  ASSERT_EQ(items.setByKey(kByCode), kOk);  // position the key, then read through the view
  ASSERT_EQ(view.next(), kOk);
  EXPECT_EQ(groupName(), "toys");
  const std::string token = view.position();
  ASSERT_EQ(view.next(), kOk);
  EXPECT_EQ(code(it), "c");
  ASSERT_EQ(view.reset(token), kOk);
  ASSERT_EQ(view.prev(), kOk);
  EXPECT_EQ(code(it), "b");
  EXPECT_EQ(groupName(), "toys");
  group = Group{};
  ASSERT_EQ(view.watch(), kOk);
  ASSERT_EQ(view.reget(token), kOk);
  EXPECT_EQ(groupName(), "toys");
  EXPECT_FALSE(view.eof());
  ASSERT_EQ(view.setByKey(kByTitle), kOk);
  ASSERT_EQ(view.next(), kOk);
  EXPECT_EQ(code(it), "b") << "\"ball\" is the first title not below the buffer's";
}

TEST_F(ViewTest, OpeningNeedsTheFilesAndJoinsAreChecked) {
  EXPECT_EQ(view.next(), kDriverError) << "not open";
  groups.close();
  EXPECT_EQ(view.open(), kDriverError);
  EXPECT_FALSE(view.isOpen());
  ASSERT_EQ(groups.open(), kOk);
  ASSERT_EQ(view.open(), kOk);
  ASSERT_EQ(view.close(), kOk);

  View bad(items);
  EXPECT_EQ(bad.join(groups, kGroupNum, {"TITLE"}), kDriverError) << "text against a number";
  EXPECT_EQ(bad.join(groups, kGroupNum, {"NOPE"}), kDriverError);
  EXPECT_EQ(bad.join(groups, 5, {"GROUP"}), kDriverError);
  EXPECT_EQ(bad.join(groups, kGroupNum, {"GROUP", "TAG"}), kDriverError);
}

// A hold keeps each file's read lock from its first read to its release, so another station's
// commit waits for it; suspending it, or a write through the held file, lets that station in.
TEST_F(ViewTest, HeldReadsKeepTheLockUntilReleasedOrSuspended) {
  Group g{};
  KeyedFile station(groupDecl(), &g, dir.file("GROUP.db"));
  ASSERT_EQ(station.open(), kOk);
  station.setBusyLimit(50);
  auto rename = [&](const char* name) {
    g.NUM = 2;
    if (station.get(kGroupNum) != kOk) return station.errorCode();
    setText(groupDecl().fields[1], &g, name);
    return station.put();
  };
  ASSERT_EQ(view.open(), kOk);
  ASSERT_EQ(view.set(kByCode), kOk);
  view.holdReads();
  view.holdReads();  // holds nest
  ASSERT_EQ(view.next(), kOk);
  ASSERT_EQ(view.next(), kOk);
  EXPECT_EQ(groupName(), "toys");
  EXPECT_EQ(rename("games"), kAccessDenied) << "the held read lock keeps the commit out";
  view.releaseReads();
  EXPECT_EQ(rename("games"), kAccessDenied) << "one hold is still open";
  view.suspendReads();
  EXPECT_EQ(rename("games"), kOk);
  ASSERT_EQ(view.prev(), kOk);
  ASSERT_EQ(view.next(), kOk);
  EXPECT_EQ(groupName(), "games") << "after a suspension every read takes the lock anew";
  view.releaseReads();
  EXPECT_FALSE(groups.readsHeld());

  // A write through a held file commits at once instead of waiting for the release.
  groups.holdReads();
  group.NUM = 1;
  ASSERT_EQ(groups.get(kGroupNum), kOk);
  EXPECT_TRUE(groups.readsHeld());
  setText(groupDecl().fields[1], &group, "hammers");
  ASSERT_EQ(groups.put(), kOk);
  EXPECT_FALSE(groups.readsHeld());
  g.NUM = 1;
  ASSERT_EQ(station.get(kGroupNum), kOk);
  EXPECT_EQ(std::string(storedText(groupDecl().fields[1], &g)), "hammers");
  groups.releaseReads();
  EXPECT_EQ(groups.begin(1), kOk) << "no read transaction is left behind";
  EXPECT_EQ(groups.commit(), kOk);
  EXPECT_EQ(groups.activeStatements(), 0);
}

// Within one snapshot a lookup equal to the record before's is served again without a read;
// the lookup buffer still ends up holding that record, also after the caller changed it.
TEST_F(ViewTest, ARepeatedLookupInOneSnapshotGivesTheSameRecord) {
  it = item("d", 2, "doll", "1");
  ASSERT_EQ(items.add(), kOk);
  it = item("e", 9, "egg", "1");
  ASSERT_EQ(items.add(), kOk);
  ASSERT_EQ(view.open(), kOk);
  ASSERT_EQ(view.set(kByPlace), kOk);  // by group: 1, 2, 2, 9, 9
  HeldReads held(view);
  std::string rows;
  while (view.next() == kOk) {
    rows += code(it) + ":" + std::to_string(group.NUM) + ":" + groupName() + " ";
    setText(groupDecl().fields[1], &group, "scribbled");
  }
  EXPECT_EQ(rows, "a:1:tools b:2:toys d:2:toys c:0: e:0: ");
}

// A lookup made in an earlier run of reads is not made again while the lookup file is
// unchanged, and any change to it, by this station, another one or the stock tool, is seen
// by the next run of reads.
TEST_F(ViewTest, LookupsKeptBetweenRunsOfReadsFollowEveryChange) {
  ASSERT_EQ(view.open(), kOk);
  auto rows = [&] {
    HeldReads held(view);
    view.set(kByCode);
    std::string out;
    while (view.next() == kOk) out += code(it) + ":" + groupName() + " ";
    return out;
  };
  EXPECT_EQ(rows(), "a:tools b:toys c: ");
  EXPECT_EQ(rows(), "a:tools b:toys c: ") << "the same again";

  Group g{};
  KeyedFile station(groupDecl(), &g, dir.file("GROUP.db"));
  ASSERT_EQ(station.open(), kOk);
  g.NUM = 2;
  ASSERT_EQ(station.get(kGroupNum), kOk);
  setText(groupDecl().fields[1], &g, "games");
  ASSERT_EQ(station.put(), kOk);
  EXPECT_EQ(rows(), "a:tools b:games c: ") << "another station's change";

  g.NUM = 9;
  setText(groupDecl().fields[1], &g, "sweets");
  ASSERT_EQ(station.add(), kOk);
  EXPECT_EQ(rows(), "a:tools b:games c:sweets ") << "a lookup that found nothing finds it now";

  group.NUM = 2;
  ASSERT_EQ(groups.get(kGroupNum), kOk);
  ASSERT_EQ(groups.erase(), kOk);
  EXPECT_EQ(rows(), "a:tools b: c:sweets ") << "this station's delete";

  ASSERT_EQ(editFile(dir.file("GROUP.db"), "UPDATE records SET NUM = 7 WHERE NUM = 1"), "");
  EXPECT_EQ(rows(), "a: b: c:sweets ") << "an edit with the stock tool";
}

// The stamp changes with every write to the file, by this station, another one or the
// stock tool, and differs between connections; inside a write transaction it is unknown.
TEST_F(ViewTest, ContentStampsFollowEveryChange) {
  const uint64_t first = groups.contentStamp();
  ASSERT_NE(first, 0u);
  EXPECT_EQ(groups.contentStamp(), first) << "nothing changed";
  group.NUM = 4;
  setText(groupDecl().fields[1], &group, "pets");
  ASSERT_EQ(groups.add(), kOk);
  const uint64_t own = groups.contentStamp();
  EXPECT_NE(own, first) << "this station's write";

  Group g{};
  KeyedFile station(groupDecl(), &g, dir.file("GROUP.db"));
  ASSERT_EQ(station.open(), kOk);
  EXPECT_NE(station.contentStamp(), own) << "another connection never shares a stamp";
  g.NUM = 5;
  ASSERT_EQ(station.add(), kOk);
  const uint64_t theirs = groups.contentStamp();
  EXPECT_NE(theirs, own) << "another station's write";

  ASSERT_EQ(editFile(dir.file("GROUP.db"), "UPDATE records SET ver = ver + 1 WHERE NUM = 5"), "");
  const uint64_t tool = groups.contentStamp();
  EXPECT_NE(tool, theirs) << "an edit with the stock tool";

  view.holdReads();
  EXPECT_EQ(view.contentStamps(), (std::vector<uint64_t>{items.contentStamp(), tool}))
      << "read inside a hold, the same stamps";
  view.releaseReads();

  ASSERT_EQ(groups.begin(1), kOk);
  g.NUM = 6;
  group.NUM = 6;
  ASSERT_EQ(groups.add(), kOk);
  EXPECT_EQ(groups.contentStamp(), 0u) << "uncommitted contents may yet be rolled back";
  ASSERT_EQ(groups.rollback(), kOk);
  EXPECT_NE(groups.contentStamp(), 0u);

  groups.close();
  ASSERT_EQ(groups.open(), kOk);
  EXPECT_NE(groups.contentStamp(), tool) << "a new connection";
  groups.close();
  EXPECT_EQ(groups.contentStamp(), 0u) << "closed";
}

// A fetch hint only sizes the first fetch: reading on past it, either way, goes on in order.
TEST_F(ViewTest, ReadsGoOnPastAFetchHint) {
  ASSERT_EQ(view.open(), kOk);
  ASSERT_EQ(view.set(kByCode), kOk);
  view.setFetchHint(1);
  std::string rows;
  while (view.next() == kOk) rows += code(it);
  EXPECT_EQ(rows, "abc");
  ASSERT_EQ(view.set(kByCode), kOk);
  view.setFetchHint(2);
  rows.clear();
  while (view.prev() == kOk) rows += code(it);
  EXPECT_EQ(rows, "cba");
}

}  // namespace
}  // namespace storage::test
