// Two stations meeting one data file at the same moment: both finding its keys out of date,
// both finding it missing. Each station is a process of its own.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "data/records.h"
#include "data_fixture_files.h"
#include "station_client.h"
#include "storage/keyed_file.h"

namespace phonedir {
namespace {

namespace fs = std::filesystem;

class DataStationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("phonedir-stations-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string phone() const { return (dir_ / "PHONE.db").string(); }

  // Both stations open PHONE at once; each must end with it open and nothing shown but the
  // wait window of a rebuild.
  void bothOpen(storage::test::Station& a, storage::test::Station& b) {
    a.send("checkopen-phone");
    b.send("checkopen-phone");
    for (storage::test::Station* s : {&a, &b}) {
      const std::string reply = s->reply();
      EXPECT_EQ(reply.rfind("open", 0), 0u) << reply;
      EXPECT_EQ(reply.find("message"), std::string::npos) << reply;
      EXPECT_EQ(reply.find("halt"), std::string::npos) << reply;
    }
  }

  fs::path dir_;
};

TEST_F(DataStationTest, TwoStationsFindingKeysOutOfDateOneRebuildsTheOtherWaits) {
  constexpr int kRecords = 100000;
  {
    PHO_RECORD buffer{};
    storage::KeyedFile f(PHONE_FILE(), &buffer, phone());
    ASSERT_EQ(f.create(), 0);
    ASSERT_EQ(f.open(), 0);
    ASSERT_EQ(f.stream(), 0);
    for (int i = 0; i < kRecords; ++i) {
      buffer = test::phoneRecord(std::to_string(200000 + i), i % 200, "Иванов И.И.");
      ASSERT_EQ(f.append(), 0);
    }
    ASSERT_EQ(f.flush(), 0);
    ASSERT_EQ(f.buildKeys(), 0);
  }
  storage::test::Station a(dir_.string());
  storage::test::Station b(dir_.string());
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(test::editFile(phone(), "UPDATE meta SET value = 'invalid' WHERE name = 'keys'"), "");
    bothOpen(a, b);
  }
  PHO_RECORD buffer{};
  storage::KeyedFile f(PHONE_FILE(), &buffer, phone());
  ASSERT_EQ(f.open(), 0);
  EXPECT_EQ(f.records(), kRecords);
  f.close();
  EXPECT_EQ(test::integrityCheck(phone()), "ok");
}

TEST_F(DataStationTest, TwoStationsCreatingOneFileAtOnceShareIt) {
  storage::test::Station a(dir_.string());
  storage::test::Station b(dir_.string());
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    fs::remove(phone());
    bothOpen(a, b);
    EXPECT_EQ(test::integrityCheck(phone()), "ok");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"PHONE.db"}) << "no half-made file is left";
  }
}

}  // namespace
}  // namespace phonedir
