#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/headless_backend.h"
#include "runtime/locale/charset.h"
#include "runtime/locale/collation.h"
#include "runtime/locale/locale_env.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "shell/procedure.h"
#include "shell/program.h"

namespace phonedir {
namespace {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { runtime::init(backend); }
  void TearDown() override { runtime::shutdown(); }

  runtime::HeadlessBackend backend;
};

TEST_F(ShellTest, NewThreadStartsWithItsOwnRequestWords) {
  GLOBALREQUEST = CHANGERECORD;
  GLOBALRESPONSE = REQUESTCOMPLETED;
  VCRREQUEST = 2005;
  std::atomic<int> seen{-1};
  runtime::start([&] { seen = GLOBALREQUEST * 100 + GLOBALRESPONSE * 10 + VCRREQUEST; });
  ASSERT_TRUE(runtime::waitFinished());
  EXPECT_EQ(seen.load(), 0);
  GLOBALREQUEST = GLOBALRESPONSE = VCRREQUEST = 0;
}

void procedureThatAnswersNothing() {
  RequestScope request;
}

void procedureThatCompletes(int32_t& sawRequest) {
  RequestScope request;
  sawRequest = request.LOCALREQUEST;
  request.LOCALRESPONSE = REQUESTCOMPLETED;
}

TEST_F(ShellTest, RequestProtocolAtEntryAndExit) {
  int32_t saw = -1;
  GLOBALREQUEST = DELETERECORD;
  procedureThatCompletes(saw);
  EXPECT_EQ(saw, DELETERECORD);
  EXPECT_EQ(GLOBALRESPONSE, REQUESTCOMPLETED);
  EXPECT_EQ(GLOBALREQUEST, 0) << "the request word is cleared at entry";

  // A second procedure called without setting the request sees none.
  procedureThatCompletes(saw);
  EXPECT_EQ(saw, 0);

  // Returning without an answer reports cancelled, never 0.
  GLOBALREQUEST = INSERTRECORD;
  procedureThatAnswersNothing();
  EXPECT_EQ(GLOBALRESPONSE, REQUESTCANCELLED);
  {
    RequestScope request;
    request.LOCALRESPONSE = 0;
  }
  EXPECT_EQ(GLOBALRESPONSE, REQUESTCANCELLED);
  GLOBALRESPONSE = 0;
}

TEST_F(ShellTest, FiftyThreadsRaceForOneRunningFlagAndOneWins) {
  std::atomic<uint8_t> flag{0};
  std::atomic<int> winners{0};
  std::atomic<int> arrived{0};
  std::atomic<bool> go{false};
  std::atomic<bool> release{false};
  for (int i = 0; i < 50; ++i) {
    runtime::start([&] {
      ++arrived;
      while (!go) std::this_thread::yield();
      SingleInstance instance(flag, 0);
      if (instance.mayRun()) ++winners;
      ++arrived;
      while (!release) std::this_thread::yield();
    });
  }
  while (arrived < 50) std::this_thread::yield();
  go = true;
  while (arrived < 100) std::this_thread::yield();
  EXPECT_EQ(winners.load(), 1);
  EXPECT_NE(flag.load(), 0);
  release = true;
  ASSERT_TRUE(runtime::waitFinished());
  EXPECT_EQ(flag.load(), 0) << "the owner releases the flag at its exit";
}

TEST_F(ShellTest, SecondInstanceHandsTheFocusToTheFirst) {
  std::atomic<uint8_t> flag{0};
  runtime::WindowDef def;
  def.proc = "GOROD";
  def.mdiChild = true;
  std::atomic<int> gainedFocus{0};
  auto work = [&](int32_t request) {
    SingleInstance instance(flag, request);
    if (!instance.mayRun()) return;
    runtime::openWindow(def);
    while (int e = runtime::event()) {
      if (e == runtime::ev::GainFocus) ++gainedFocus;
    }
    runtime::closeWindow();
  };
  const auto first = runtime::start([&] { work(0); });
  ASSERT_TRUE(runtime::waitIdle());
  runtime::start([&] { work(0); });
  ASSERT_TRUE(runtime::waitIdle());
  EXPECT_EQ(gainedFocus.load(), 1);
  EXPECT_EQ(flag.load(), first);
  // A lookup call neither checks nor claims the flag.
  runtime::start([&] {
    SingleInstance lookup(flag, SELECTRECORD);
    EXPECT_TRUE(lookup.mayRun());
    EXPECT_FALSE(lookup.PROCEDURERUNNING());
  });
  ASSERT_TRUE(runtime::waitIdle());
  EXPECT_EQ(gainedFocus.load(), 1);
  EXPECT_EQ(flag.load(), first);
}

TEST(Globals, SortCyrilicStops) {
  const std::string s = runtime::toUtf8(SORT_CYRILIC);
  EXPECT_EQ(SORT_CYRILIC.size(), 200u);
  EXPECT_EQ(s.rfind("  АКАХБ БКБХВ ВКВХ", 0), 0u);
  EXPECT_EQ(s.substr(s.size() - std::string("Я ЯЗЯПЯХ").size()), "Я ЯЗЯПЯХ");
  EXPECT_EQ(s.find("Ё"), std::string::npos);
  EXPECT_EQ(runtime::toUtf8(SORT_CYRILIC.substr(42, 8)), "З ЗЗЗПЗЧ");  // stops 21..24
  // The stops rise in the collation order, so a thumb position maps onto a rising key.
  for (int i = 1; i < 100; ++i) {
    EXPECT_LT(
        runtime::compareText(SORT_CYRILIC.substr(2 * (i - 1), 2), SORT_CYRILIC.substr(2 * i, 2)), 0)
        << "stop " << i;
  }
}

TEST(Globals, SavedErrorIsReadOnceAndCut) {
  saveError({90, "x", 11, std::string(300, 'y')});
  const SavedError first = takeSavedError();
  EXPECT_EQ(first.SAVEERRORCODE, 90);
  EXPECT_EQ(first.SAVEFILEERRORCODE, 11);
  EXPECT_EQ(first.SAVEFILEERROR.size(), 254u);
  EXPECT_EQ(takeSavedError().SAVEERRORCODE, 0);
}

// Every key is first set to something else, so that only the procedure can bring each back.
TEST_F(ShellTest, LocaleEnvironmentSetsEveryKey) {
  const std::pair<const char*, const char*> expected[] = {
      {"CASE",
       "ABCDEFGHIJKLMNOPQRSTUVWXYZАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЬЫЪЭЮЯ,"
       "abcdefghijklmnopqrstuvwxyzабвгдежзийклмнопрстуфхцчшщьыъэюя"},
      {"CHARSET", "Windows"},
      {"COLSEQ", "WINDOWS"},
      {"MONTH", "Январь,Февраль,Март,Апрель,Май,Июнь,Июль,Август,Сентябрь,Октябрь,Ноябрь,Декабрь"},
      {"MON", "Янв,Фев,Мар,Апр,Май,Июн,Июл,Авг,Сен,Окт,Ноя,Дек"},
      {"AMPM", "WINDOWS"},
      {"BUTTON", "&ОК,&Да,&Нет,&Прервать,По&вторить,П&ропустить,&Отменить,&Справка"},
  };
  for (const auto& [key, value] : expected) runtime::setLocaleValue(key, "x,y");
  ASSERT_NE(runtime::upperChar(runtime::cp("ы")[0]), runtime::cp("Ы")[0]);
  SETLOCALEENV();
  for (const auto& [key, value] : expected)
    EXPECT_EQ(runtime::toUtf8(runtime::localeValue(key)), value) << key;
  EXPECT_EQ(runtime::upperChar(runtime::cp("ы")[0]), runtime::cp("Ы")[0]);
  EXPECT_EQ(runtime::toUtf8(runtime::monthName(2)), "Февраль");
}

}  // namespace
}  // namespace phonedir
