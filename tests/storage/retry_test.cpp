// A write whose commit failed (another station reading past the wait limit) is tried again
// after the rollback exactly as it was first tried.

#include <gtest/gtest.h>

#include "station_client.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"
#include "test_files.h"

namespace storage::test {
namespace {

class RetryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(file.create(), kOk);
    ASSERT_EQ(file.open(), kOk);
    for (const char* c : {"k1", "k2", "k3", "k4"}) {
      buf = item(c, 1, std::string("t") + c, "1");
      ASSERT_EQ(file.add(), kOk);
    }
    file.setBusyLimit(200);
  }
  void TearDown() override {
    file.close();
    EXPECT_EQ(integrityCheck(path()), "ok");
  }
  std::string path() const { return dir.file("ITEM.db"); }

  TempDir dir;
  Item buf{};
  KeyedFile file{itemDecl(), &buf, dir.file("ITEM.db")};
};

TEST_F(RetryTest, RewriteAfterAFailedCommitIsTriedAgainAsItWas) {
  Station reader(path());
  buf = item("k2", 0, "", "");
  ASSERT_EQ(file.watch(), kOk);
  ASSERT_EQ(file.get(kByCode), kOk);
  setText(itemDecl().fields[2], &buf, "mine");

  ASSERT_EQ(reader.call("read-lock"), "0");
  ASSERT_EQ(file.begin(1), kOk);
  ASSERT_EQ(file.put(), kOk);
  EXPECT_EQ(file.commit(), kAccessDenied) << "the reader holds the file past the wait limit";
  ASSERT_EQ(file.rollback(), kOk);
  ASSERT_EQ(reader.call("read-unlock"), "0");

  EXPECT_EQ(title(buf), "mine") << "the buffer keeps the user's values";
  ASSERT_EQ(file.begin(1), kOk);
  EXPECT_EQ(file.put(), kOk) << "the watched version is the stored one again: no false 89";
  ASSERT_EQ(file.commit(), kOk);

  // The cursor goes on from the rewritten record.
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(code(buf), "k3");
  buf = item("k2", 0, "", "");
  ASSERT_EQ(file.get(kByCode), kOk);
  EXPECT_EQ(title(buf), "mine");
}

TEST_F(RetryTest, DeleteAfterAFailedCommitIsTriedAgainAsItWas) {
  Station reader(path());
  buf = item("k3", 0, "", "");
  ASSERT_EQ(file.get(kByCode), kOk);

  ASSERT_EQ(reader.call("read-lock"), "0");
  ASSERT_EQ(file.begin(1), kOk);
  ASSERT_EQ(file.erase(), kOk);
  EXPECT_EQ(file.commit(), kAccessDenied);
  ASSERT_EQ(file.rollback(), kOk);
  ASSERT_EQ(reader.call("read-unlock"), "0");

  EXPECT_FALSE(file.position(kByCode).empty());
  EXPECT_EQ(file.position(kByCode).rfind("K0.3.", 0), 0u) << "the record is current again";
  ASSERT_EQ(file.begin(1), kOk);
  EXPECT_EQ(file.erase(), kOk);
  ASSERT_EQ(file.commit(), kOk);
  EXPECT_EQ(file.records(), 3);
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(code(buf), "k4");
}

}  // namespace
}  // namespace storage::test
