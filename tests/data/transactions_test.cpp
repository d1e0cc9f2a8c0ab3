#include "data/transactions.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/files.h"
#include "data_fixture.h"
#include "data_fixture_files.h"
#include "runtime/binding.h"
#include "runtime/locale/charset.h"
#include "station_client.h"

namespace phonedir {
namespace {

using runtime::cp;

class TransactionsTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    test::makePhoneFile({test::phoneRecord("123456", 7, "Иванов И.И."),
                         test::phoneRecord("234567", 7, "Петров П.П.")});
  }
  void TearDown() override {
    EXPECT_EQ(test::integrityCheck("PHONE.db"), "ok");
    DataTest::TearDown();
  }

  // Reads 123456 into this thread's buffer with the watch armed, as a form does.
  static void readForChange() {
    OPENFILE_PHONE();
    std::memcpy(PHO.PHONE, "123456", 6);
    files().PHONE.watch();
    ASSERT_EQ(files().PHONE.get(PHO_NUM_KEY), 0);
  }

  // Another station rewrites 123456 with a new surname.
  static void otherStationRenames(const char* fio) {
    PHO_RECORD buffer{};
    storage::KeyedFile other(PHONE_FILE(), &buffer);
    ASSERT_EQ(other.open(), 0);
    std::memcpy(buffer.PHONE, "123456", 6);
    ASSERT_EQ(other.get(PHO_NUM_KEY), 0);
    runtime::writeBinding(runtime::bindCString(buffer.FIO), cp(fio));
    ASSERT_EQ(other.put(), 0);
    other.close();
  }

  static std::string fioOf(const PHO_RECORD& r) { return runtime::toUtf8(r.FIO); }
};

TEST_F(TransactionsTest, RewriteCommits) {
  int32_t result = -1;
  const auto transcript = run([&] {
    readForChange();
    runtime::writeBinding(runtime::bindCString(PHO.FIO), cp("Сидоров С.С."));
    result = RIUPDATE_PHONE(true);
    CLOSEFILE_PHONE();
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(transcript.empty());
  EXPECT_EQ(fioOf(test::readPhoneFile()[0]), "Сидоров С.С.");
}

TEST_F(TransactionsTest, RewriteOfARecordAnotherStationChangedWritesNothing) {
  int32_t result = -1;
  std::string bufferAfter;
  const auto transcript = run([&] {
    readForChange();
    otherStationRenames("Чужой Ч.Ч.");
    runtime::writeBinding(runtime::bindCString(PHO.FIO), cp("Мой М.М."));
    result = RIUPDATE_PHONE(true);
    bufferAfter = fioOf(PHO);
    // The record is watched again: a second save of the shown version goes through.
    runtime::writeBinding(runtime::bindCString(PHO.FIO), cp("Мой М.М."));
    EXPECT_EQ(RIUPDATE_PHONE(true), 0);
    CLOSEFILE_PHONE();
  });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(bufferAfter, "Чужой Ч.Ч.") << "the form shows the other station's values";
  ASSERT_EQ(transcript.size(), 1u);
  EXPECT_NE(transcript[0].find("\"Эта запись была изменена с другой станции. Эти изменения"),
            std::string::npos);
  EXPECT_EQ(fioOf(test::readPhoneFile()[0]), "Мой М.М.");
}

TEST_F(TransactionsTest, TransactionThatCannotBeginNamesTheOperationAndTheFile) {
  PHO_RECORD buffer{};
  storage::KeyedFile other(PHONE_FILE(), &buffer);
  ASSERT_EQ(other.open(), 0);
  ASSERT_EQ(other.begin(5), 0);  // another station in the middle of a write
  int32_t result = -1;
  const auto transcript = run([&] {
    readForChange();
    runtime::writeBinding(runtime::bindCString(PHO.FIO), cp("Мой М.М."));
    result = RIUPDATE_PHONE(true);
    CLOSEFILE_PHONE();
  });
  other.rollback();
  other.close();
  EXPECT_EQ(result, 1);
  ASSERT_EQ(transcript.size(), 1u);
  EXPECT_NE(transcript[0].find("транзакцию Update для Phone.  Транзакция Update отменена."),
            std::string::npos)
      << transcript[0];
  EXPECT_EQ(fioOf(test::readPhoneFile()[0]), "Иванов И.И.");
}

TEST_F(TransactionsTest, DeletingAStreetLeavesItsSubscribersAlone) {
  int32_t result = -1;
  const auto transcript = run([&] {
    OPENFILE_STREET();
    STR.NUM = 7;
    runtime::writeBinding(runtime::bindCString(STR.NAME), cp("Ленина"));
    ASSERT_EQ(files().STREET.add(), 0);
    STR.NUM = 7;
    ASSERT_EQ(files().STREET.get(STR_NUM_KEY), 0);
    result = RIDELETE_STREET();
    EXPECT_EQ(files().STREET.records(), 0);
    CLOSEFILE_STREET();
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(transcript.empty());
  const auto phones = test::readPhoneFile();
  ASSERT_EQ(phones.size(), 2u);
  EXPECT_EQ(int32_t{phones[0].STREET}, 7);
  EXPECT_EQ(test::integrityCheck("STREET.db"), "ok");
}

TEST_F(TransactionsTest, DeleteRemovesTheCurrentRecord) {
  int32_t result = -1;
  run([&] {
    OPENFILE_PHONE();
    std::memcpy(PHO.PHONE, "234567", 6);
    ASSERT_EQ(files().PHONE.get(PHO_NUM_KEY), 0);
    result = RIDELETE_PHONE();
    CLOSEFILE_PHONE();
  });
  EXPECT_EQ(result, 0);
  const auto phones = test::readPhoneFile();
  ASSERT_EQ(phones.size(), 1u);
  EXPECT_EQ(std::string(phones[0].PHONE, 6), "123456");
}

// Another station reads PHONE past the wait limit through the first attempt, so its commit
// fails; the retry the form offers then goes through as the first attempt would have.
TEST_F(TransactionsTest, RewriteTriedAgainAfterAFailedCommitIsWritten) {
  storage::test::Station reader(dir_.string());
  ASSERT_EQ(reader.call("read-lock"), "0");
  int32_t first = -1;
  int32_t second = -1;
  std::string shownAfterFailure;
  const auto transcript = run([&] {
    readForChange();
    files().PHONE.setBusyLimit(300);
    runtime::writeBinding(runtime::bindCString(PHO.FIO), cp("Мой М.М."));
    first = RIUPDATE_PHONE(true);
    shownAfterFailure = fioOf(PHO);
    EXPECT_EQ(reader.call("read-unlock"), "0");
    second = RIUPDATE_PHONE(true);
    CLOSEFILE_PHONE();
  });
  EXPECT_EQ(first, 1);
  EXPECT_EQ(shownAfterFailure, "Мой М.М.") << "the form keeps the user's edit";
  EXPECT_EQ(second, 0) << "no false conflict on the retry";
  ASSERT_EQ(transcript.size(), 1u);
  EXPECT_NE(
      transcript[0].find("\"Ошибка при обновлении записи\" \"Возникла ошибка(Доступ запрещен (5))"),
      std::string::npos)
      << transcript[0];
  EXPECT_EQ(fioOf(test::readPhoneFile()[0]), "Мой М.М.");
}

TEST_F(TransactionsTest, DeleteTriedAgainAfterAFailedCommitDeletes) {
  storage::test::Station reader(dir_.string());
  ASSERT_EQ(reader.call("read-lock"), "0");
  int32_t first = -1;
  int32_t second = -1;
  const auto transcript = run([&] {
    OPENFILE_PHONE();
    files().PHONE.setBusyLimit(300);
    std::memcpy(PHO.PHONE, "234567", 6);
    ASSERT_EQ(files().PHONE.get(PHO_NUM_KEY), 0);
    first = RIDELETE_PHONE();
    EXPECT_EQ(reader.call("read-unlock"), "0");
    second = RIDELETE_PHONE();
    CLOSEFILE_PHONE();
  });
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0) << "the record is still the current one";
  ASSERT_EQ(transcript.size(), 1u);
  EXPECT_NE(
      transcript[0].find("\"Ошибка при стирании записи\" \"Возникла ошибка(Доступ запрещен (5))"),
      std::string::npos)
      << transcript[0];
  const auto phones = test::readPhoneFile();
  ASSERT_EQ(phones.size(), 1u);
  EXPECT_EQ(std::string(phones[0].PHONE, 6), "123456");
}

}  // namespace
}  // namespace phonedir
