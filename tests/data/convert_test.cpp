#include "data/convert.h"

#include <gtest/gtest.h>

#include "data_fixture.h"
#include "data_fixture_files.h"

namespace phonedir {
namespace {

class ConvertTest : public test::DataTest {};

TEST_F(ConvertTest, OldFiveDigitNumbersInBothRangesGetTheirBlank) {
  using test::phoneRecord;
  const std::string nul(1, '\0');
  test::makePhoneFile({
      phoneRecord("31234" + nul, 1, "А"),  // old form, first range
      phoneRecord("39999" + nul, 1, "Б"),
      phoneRecord("52101" + nul, 1, "В"),  // old form, second range
      phoneRecord("312345", 1, "Г"),       // present form: written back unchanged
      phoneRecord("33333 ", 1, "Д"),
      phoneRecord("41234" + nul, 1, "Е"),  // outside both ranges
      phoneRecord("52200" + nul, 1, "Ж"),
      phoneRecord("29999" + nul, 1, "З"),
  });
  const auto transcript = run([] { CONVERT(); });
  const std::vector<std::string> expected = {
      R"(open CONVERT "Структура базы изменена. Придется подожнать")", "beep", "close CONVERT"};
  EXPECT_EQ(transcript, expected);
  const std::vector<std::string> after = {"31234 ", "39999 ",      "52101 ",      "312345",
                                          "33333 ", "41234" + nul, "52200" + nul, "29999" + nul};
  const auto records = test::readPhoneFile();
  ASSERT_EQ(records.size(), after.size());
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(std::string(records[i].PHONE, 6), after[i]) << "record " << i + 1;
  }
  EXPECT_EQ(test::integrityCheck("PHONE.db"), "ok");
}

TEST_F(ConvertTest, EmptyFileConvertsNothing) {
  test::makePhoneFile({});
  run([] { CONVERT(); });
  EXPECT_TRUE(test::readPhoneFile().empty());
}

TEST_F(ConvertTest, ProgressCountsToAHundredAndStartsAgain) {
  EXPECT_EQ(nextProgress(0), 1);
  EXPECT_EQ(nextProgress(99), 100);
  EXPECT_EQ(nextProgress(100), 1);
}

}  // namespace
}  // namespace phonedir
