// Long work of the data layer ends when the program closes down, leaving the files as they
// were: a conversion is rolled back, a key rebuild leaves the keys out of date for the next
// start.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "data/convert.h"
#include "data/file_opening.h"
#include "data/files.h"
#include "data_fixture.h"
#include "data_fixture_files.h"

namespace phonedir {
namespace {

class LongWorkStopTest : public test::DataTest {
 protected:
  // Runs the work on a procedure thread once the program is closing down; true when it came
  // back rather than being ended.
  bool runWhileClosing(const std::function<void()>& work) {
    std::atomic<bool> cameBack{false};
    runtime::start([&] {
      while (!runtime::stopping()) std::this_thread::yield();
      work();
      cameBack = true;
    });
    runtime::closeFrame();
    EXPECT_TRUE(runtime::waitFinished());
    return cameBack;
  }
};

TEST_F(LongWorkStopTest, AConversionIsRolledBack) {
  test::makePhoneFile({test::phoneRecord(std::string("31000") + '\0', 1, "А"),
                       test::phoneRecord(std::string("36000") + '\0', 1, "Б"),
                       test::phoneRecord(std::string("52100") + '\0', 1, "В")});
  EXPECT_FALSE(runWhileClosing(&CONVERT));
  for (const PHO_RECORD& r : test::readPhoneFile()) EXPECT_EQ(r.PHONE[5], '\0');
  EXPECT_EQ(test::integrityCheck("PHONE.db"), "ok");
}

TEST_F(LongWorkStopTest, AKeyRebuildLeavesTheKeysOutOfDate) {
  {
    PHO_RECORD buffer{};
    clearRecord(buffer);
    storage::KeyedFile phone(PHONE_FILE(), &buffer);
    ASSERT_EQ(phone.create(), 0);
    ASSERT_EQ(phone.open(), 0);
    std::memcpy(buffer.PHONE, "212121", 6);
    ASSERT_EQ(phone.append(), 0);
    phone.close();
  }
  EXPECT_FALSE(runWhileClosing(&OPENFILE_PHONE));
  EXPECT_TRUE(backend.takeTranscript().size() <= 2) << "no message, at most the wait window";
  PHO_RECORD buffer{};
  storage::KeyedFile phone(PHONE_FILE(), &buffer);
  EXPECT_EQ(phone.open(), 46);
}

}  // namespace
}  // namespace phonedir
