#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>

#include "../data/data_fixture.h"
#include "../data/data_fixture_files.h"
#include "layout/windows.h"
#include "runtime/clock.h"
#include "runtime/headless_driver.h"
#include "shell/globals.h"
#include "shell/program.h"

namespace phonedir {
namespace {

class FrameTest : public test::DataTest {
 protected:
  void TearDown() override {
    runtime::setFixedMoment(std::nullopt);
    test::DataTest::TearDown();
  }

  std::vector<std::string> startProgram() {
    runtime::runMain(&_main);
    EXPECT_TRUE(runtime::waitIdle());
    return backend.takeTranscript();
  }

  std::optional<runtime::WindowSnapshot> frame() const { return backend.windowOf("START"); }

  runtime::HeadlessDriver driver{backend};
};

TEST_F(FrameTest, FirstRunInAnEmptyFolder) {
  const auto transcript = startProgram();
  const std::vector<std::string> expected = {"open START \"Телефонный справочник (личный)\"",
                                             R"(open PERSONAL "")"};
  EXPECT_EQ(transcript, expected);
  EXPECT_TRUE(std::filesystem::exists("PHONE.db"));
  EXPECT_EQ(frame()->timer, 100) << "a frame without a timer period ticks every second";
  EXPECT_EQ(frame()->statusTexts.at(0).size(),
            std::string("Выберите справочник в меню, листайте кнопками панели").size());
}

TEST_F(FrameTest, OldNumbersAreConvertedBeforeThePersonalDirectoryOpens) {
  test::makePhoneFile({test::phoneRecord("12345 ", 1, "А"),
                       test::phoneRecord(std::string("36000") + '\0', 1, "Б")});
  const auto transcript = startProgram();
  const std::vector<std::string> expected = {
      "open START \"Телефонный справочник (личный)\"",
      R"(open CONVERT "Структура базы изменена. Придется подожнать")",
      "beep",
      "close CONVERT",
      R"(open PERSONAL "")",
  };
  EXPECT_EQ(transcript, expected);
  EXPECT_EQ(std::string(test::readPhoneFile()[1].PHONE, 6), "36000 ");
}

TEST_F(FrameTest, PresentNumbersAreLeftAlone) {
  test::makePhoneFile({test::phoneRecord("36000 ", 1, "Б")});
  const auto transcript = startProgram();
  EXPECT_EQ(transcript.size(), 2u);
}

// The check probes at "35146" and at the start of both conversion ranges; a file whose only
// old numbers lie outside the ranges, or that has none, is left as it was.
TEST_F(FrameTest, OldNumbersOfEitherRangeAreFoundWhereverTheyLie) {
  const auto old = [](const char* five) { return std::string(five) + '\0'; };
  struct Case {
    const char* what;
    std::vector<std::string> phones;
    bool converts;
  };
  const Case cases[] = {
      {"all below 35146, in the first range", {old("30000"), old("31000"), "40000 "}, true},
      {"only in the second range", {"12345 ", old("52100")}, true},
      {"at 35146 and above", {old("36000")}, true},
      {"old form only outside both ranges", {old("20000"), "45000 "}, false},
      {"present form only", {"30000 ", "52100 ", "360001"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<PHO_RECORD> records;
    for (const std::string& p : c.phones) records.push_back(test::phoneRecord(p, 1, "А"));
    test::makePhoneFile(records);
    const std::string before = test::fileBytes("PHONE.db");
    const auto transcript = startProgram();
    const bool converted =
        std::find(transcript.begin(), transcript.end(),
                  R"(open CONVERT "Структура базы изменена. Придется подожнать")") !=
        transcript.end();
    EXPECT_EQ(converted, c.converts);
    runtime::shutdown();
    runtime::init(backend);
    if (c.converts) {
      for (const PHO_RECORD& r : test::readPhoneFile()) EXPECT_NE(r.PHONE[5], '\0');
    } else {
      EXPECT_EQ(test::fileBytes("PHONE.db"), before) << "the file is left untouched";
    }
  }
}

TEST_F(FrameTest, CheckThatCannotReadReportsItAndGoesOn) {
  test::makePhoneFile({test::phoneRecord("36000 ", 1, "Б")});
  ASSERT_EQ(test::editFile("PHONE.db", "UPDATE records SET HOME = x'3132333435'"), "");
  const std::string before = test::fileBytes("PHONE.db");
  const auto transcript = startProgram();
  ASSERT_EQ(transcript.size(), 3u);
  EXPECT_EQ(
      transcript[1].find(
          R"(message "Ошибка извлечения записи" "Ошибка (запись 1: поле HOME содержит 5 байт, а места в поле 4 (20)) При попытке доступа к записи файла Phone.)"),
      0u)
      << transcript[1];
  EXPECT_EQ(transcript[2], R"(open PERSONAL "")");
  EXPECT_EQ(test::fileBytes("PHONE.db"), before);
}

TEST_F(FrameTest, CheckThatFindsKeysOutOfDateRebuildsThemAndLooksAgain) {
  test::makePhoneFile({test::phoneRecord(std::string("30000") + '\0', 1, "А")});
  ASSERT_EQ(test::editFile("PHONE.db", "UPDATE records SET PHONE_SORT = x'FF'"), "");
  const auto transcript = startProgram();
  const std::vector<std::string> expected = {
      "open START \"Телефонный справочник (личный)\"",
      R"(open BUILDKEYS "Ждите...")",
      "close BUILDKEYS",
      R"(open CONVERT "Структура базы изменена. Придется подожнать")",
      "beep",
      "close CONVERT",
      R"(open PERSONAL "")",
  };
  EXPECT_EQ(transcript, expected);
  EXPECT_EQ(std::string(test::readPhoneFile()[0].PHONE, 6), "30000 ");
}

TEST_F(FrameTest, TimerPeriodOutsideOneToAHundredBecomesOneSecond) {
  for (const auto& [given, used] : {std::pair{0, 100}, {200, 100}, {101, 100}, {1, 1}, {50, 50}}) {
    runtime::WindowDef frameDef = layout::frameWindow();
    frameDef.timer = given;
    runtime::runMain([&frameDef] { runFrame(frameDef); });
    ASSERT_TRUE(runtime::waitIdle());
    EXPECT_EQ(frame()->timer, used) << "given " << given;
    runtime::shutdown();
    runtime::init(backend);
  }
}

TEST_F(FrameTest, StatusBarShowsTheDayDateAndTime) {
  struct Case {
    int year, month, day, hundredths;
    const char* zone2;
    const char* zone3;
  };
  const Case cases[] = {
      {2026, 12, 7, (12 * 3600 + 34 * 60 + 56) * 100, "Понедельник, 07.12.2026", "12:34:56"},
      {2026, 12, 6, 5, "Воскресенье, 06.12.2026", "00:00:00"},
      {2027, 1, 2, 8639999, "Суббота, 02.01.2027", "23:59:59"},
  };
  for (const Case& c : cases) {
    runtime::setFixedMoment(
        runtime::FixedMoment{runtime::dayNumber({c.year, c.month, c.day}), c.hundredths});
    startProgram();
    EXPECT_EQ(frame()->statusTexts.at(1), c.zone2);
    EXPECT_EQ(frame()->statusTexts.at(2), c.zone3);
    runtime::shutdown();
    runtime::init(backend);
  }
}

TEST_F(FrameTest, MenuEntriesStartOneInstanceEachAndNameTheFrame) {
  startProgram();
  ASSERT_TRUE(driver.menu(-2));
  ASSERT_TRUE(driver.menu(-2));
  EXPECT_EQ(frame()->caption, "Телефонный справочник (г.Верболесск)");
  const auto transcript = backend.takeTranscript();
  EXPECT_EQ(std::count(transcript.begin(), transcript.end(), R"(open GOROD "")"), 1);
  EXPECT_NE(RUNNING_GOROD.load(), 0);
  ASSERT_TRUE(driver.menu(-3));
  EXPECT_EQ(frame()->caption, "Поиск в городском телефонном справочнике");
  ASSERT_TRUE(driver.focus("GOROD"));
  ASSERT_TRUE(driver.close());
  EXPECT_EQ(RUNNING_GOROD.load(), 0) << "closing the window frees its flag";
  ASSERT_TRUE(driver.menu(-2));
  EXPECT_TRUE(backend.windowOf("GOROD").has_value());
}

TEST_F(FrameTest, ToolbarPressesGoToTheActiveWindowsThread) {
  startProgram();
  runtime::WindowDef work;
  work.proc = "WORK";
  work.mdiChild = true;
  std::atomic<int> received{0};
  std::atomic<runtime::ThreadId> receivedOn{0};
  const runtime::ThreadId worker = runtime::start([&] {
    runtime::openWindow(work);
    while (runtime::event() != 0) {
      if (runtime::accepted() >= 2000) {
        received = runtime::accepted();
        receivedOn = runtime::thread();
      }
    }
    runtime::closeWindow();
  });
  ASSERT_TRUE(driver.settle());
  for (int button : {2005, 2012, 2000}) {
    ASSERT_TRUE(driver.toolbar(button));
    EXPECT_EQ(received.load(), button);
    EXPECT_EQ(receivedOn.load(), worker);
  }
  // With no work window active the press goes nowhere, and the frame does not serve it.
  ASSERT_TRUE(driver.close());
  ASSERT_TRUE(driver.focus("PERSONAL"));
  ASSERT_TRUE(driver.close());
  received = 0;
  ASSERT_TRUE(driver.toolbar(2008));
  EXPECT_EQ(received.load(), 0);
  EXPECT_TRUE(frame().has_value());
}

}  // namespace
}  // namespace phonedir
