#include "runtime/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace runtime {
namespace {

// Day 0 is 28 December 1800, a Sunday.
constexpr std::chrono::sys_days kDayZero{std::chrono::year{1800} / std::chrono::December / 28};

std::atomic<bool> fixed{false};
std::atomic<int> fixedDay{0};
std::atomic<int> fixedHundredths{0};

std::tm localNow(int& hundredths) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  hundredths = (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) * 100 + static_cast<int>(ms / 10);
  return tm;
}

}  // namespace

int dayNumber(CivilDate date) {
  using namespace std::chrono;
  // A day beyond the month's end counts on into the next month, as sys_days has it.
  const sys_days d{year{date.year} / month{static_cast<unsigned>(date.month)} /
                   day{static_cast<unsigned>(date.day)}};
  return static_cast<int>((d - kDayZero).count());
}

CivilDate civilDate(int dayNumber) {
  using namespace std::chrono;
  const year_month_day ymd{kDayZero + days{dayNumber}};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

int today() {
  if (fixed.load()) return fixedDay.load();
  int h = 0;
  const std::tm tm = localNow(h);
  return dayNumber({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday});
}

int clockHundredths() {
  if (fixed.load()) return fixedHundredths.load();
  int h = 0;
  localNow(h);
  return h;
}

void setFixedMoment(std::optional<FixedMoment> moment) {
  if (moment) {
    fixedDay = moment->day;
    fixedHundredths = moment->hundredths;
  }
  fixed = moment.has_value();
}

}  // namespace runtime
