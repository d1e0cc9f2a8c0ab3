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

}  // namespace
}  // namespace storage::test
