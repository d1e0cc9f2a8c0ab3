// Several stations on one file: a second process, and threads of this process.

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "station_client.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"
#include "test_files.h"

namespace storage::test {
namespace {

class StationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(file.create(), kOk);
    ASSERT_EQ(file.open(), kOk);
    for (const char* c : {"k1", "k2", "k3", "k4", "k5", "k6"}) {
      buf = item(c, 1, std::string("t") + c, "1");
      ASSERT_EQ(file.add(), kOk);
    }
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

TEST_F(StationTest, ExclusiveHolderShutsOthersOut) {
  Station other(path());
  ASSERT_EQ(other.call("open 12"), "0");
  Item b2{};
  KeyedFile late(itemDecl(), &b2, path());
  EXPECT_EQ(late.open(), kAccessDenied);
  EXPECT_FALSE(late.isOpen());
  file.setBusyLimit(0);
  EXPECT_EQ(file.records(), -1);
  EXPECT_EQ(file.errorCode(), kAccessDenied) << "an instance opened before is shut out as well";
  EXPECT_EQ(other.call("count"), "0 6");
  ASSERT_EQ(other.call("close"), "0");
  EXPECT_EQ(late.open(), kOk);
  EXPECT_EQ(file.records(), 6);

  // The other way round: held here, refused there.
  file.close();
  ASSERT_EQ(file.open(kExclusive), kOk);
  EXPECT_EQ(other.call("open 42"), "5");
  EXPECT_EQ(other.call("open 12"), "5");
  file.close();
  EXPECT_EQ(other.call("open 42"), "0");
  ASSERT_EQ(file.open(), kOk);
}

TEST_F(StationTest, WatchedRewriteMeetsTheOtherProcessesChange) {
  Station other(path());
  ASSERT_EQ(other.call("open 42"), "0");
  buf = item("k3", 0, "", "");
  ASSERT_EQ(file.watch(), kOk);
  ASSERT_EQ(file.get(kByCode), kOk);
  const std::string token = file.position(kFileOrder);

  ASSERT_EQ(other.call("get k3"), "0 tk3");
  ASSERT_EQ(other.call("title theirs"), "0");
  ASSERT_EQ(other.call("put"), "0");

  setText(itemDecl().fields[2], &buf, "mine");
  EXPECT_EQ(file.put(), kRecordChanged);
  EXPECT_EQ(other.call("get k3"), "0 theirs") << "nothing was written";
  ASSERT_EQ(file.watch(), kOk);
  ASSERT_EQ(file.reget(token), kOk);
  EXPECT_EQ(title(buf), "theirs");
  setText(itemDecl().fields[2], &buf, "mine");
  EXPECT_EQ(file.put(), kOk);
  EXPECT_EQ(other.call("get k3"), "0 mine");
}

TEST_F(StationTest, TwoProcessesAddingAtOnceLoseNothing) {
  Station a(path());
  Station b(path());
  ASSERT_EQ(a.call("open 42"), "0");
  ASSERT_EQ(b.call("open 42"), "0");
  a.send("add 1000 a");
  b.send("add 1000 b");
  EXPECT_EQ(a.reply(), "0 1000");
  EXPECT_EQ(b.reply(), "0 1000");
  EXPECT_EQ(file.records(), 2006);
  std::set<std::string> codes;
  ASSERT_EQ(file.set(kByCode), kOk);
  while (file.next() == kOk) EXPECT_TRUE(codes.insert(code(buf)).second) << code(buf);
  EXPECT_EQ(codes.size(), 2006u);
  EXPECT_TRUE(codes.count("a999") && codes.count("b0"));
}

// A browse keeps its place between events without holding anything that a writer must wait
// for: the other process writes with no wait allowed at all.
TEST_F(StationTest, ReaderKeepingAPositionNeverDelaysAWriter) {
  Station other(path());
  ASSERT_EQ(other.call("open 42"), "0");
  ASSERT_EQ(other.call("busy 0"), "0");
  ASSERT_EQ(file.set(kByCode), kOk);
  ASSERT_EQ(file.next(), kOk);
  ASSERT_EQ(file.next(), kOk);
  const std::string token = file.position(kByCode);
  EXPECT_FALSE(file.eof());

  ASSERT_EQ(other.call("get k4"), "0 tk4");
  ASSERT_EQ(other.call("title changed"), "0");
  EXPECT_EQ(other.call("put"), "0");
  EXPECT_EQ(other.call("begin 0"), "0");
  EXPECT_EQ(other.call("add 5 new"), "0 5");
  EXPECT_EQ(other.call("commit"), "0");

  ASSERT_EQ(file.reset(token), kOk);
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(code(buf), "k2");
  ASSERT_EQ(file.next(), kOk);
  ASSERT_EQ(file.next(), kOk);
  EXPECT_EQ(title(buf), "changed");
  EXPECT_EQ(file.activeStatements(), 0);
}

// Threads of one process are stations of their own, each with its instance.
TEST_F(StationTest, ThreadsAreStationsToo) {
  file.close();
  Item held{};
  KeyedFile holder(itemDecl(), &held, path());
  ASSERT_EQ(holder.open(kExclusive), kOk);
  int refused = -1;
  std::thread([&] {
    Item b{};
    KeyedFile f(itemDecl(), &b, path());
    refused = f.open();
    EXPECT_EQ(lastError().code, kAccessDenied);
  }).join();
  EXPECT_EQ(refused, kAccessDenied);
  EXPECT_EQ(lastError().code, kOk) << "the last error is the thread's own";
  holder.close();

  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      Item b{};
      KeyedFile f(itemDecl(), &b, path());
      // An open waits only briefly for other stations' locks; under a run of their commits
      // it may be refused, and its caller tries again.
      int rc = f.open();
      for (int attempt = 0; rc == kAccessDenied && attempt < 100; ++attempt) rc = f.open();
      ASSERT_EQ(rc, kOk);
      for (int i = 0; i < 150; ++i) {
        b = item("t" + std::to_string(t) + "-" + std::to_string(i), t, "x", "1");
        ASSERT_EQ(f.add(), kOk);
        ASSERT_EQ(f.set(kByTitle), kOk);
        ASSERT_EQ(f.next(), kOk);
      }
    });
  }
  for (auto& th : threads) th.join();
  ASSERT_EQ(file.open(), kOk);
  EXPECT_EQ(file.records(), 606);
}

}  // namespace
}  // namespace storage::test
