#include "runtime/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace runtime {
namespace {

// Day 0 is 28 December 1800, a Sunday.
constexpr int kEpochFromCivil = -61'730;  // daysFromCivil(1800, 12, 28)

// Days since 1970-01-01 of a proleptic Gregorian date.
int daysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

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
  return daysFromCivil(date.year, date.month, date.day) - kEpochFromCivil;
}

CivilDate civilDate(int dayNumber) {
  const int z = dayNumber + kEpochFromCivil + 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const int doe = z - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp + (mp < 10 ? 3 : -9);
  return {yoe + era * 400 + (m <= 2), m, d};
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
