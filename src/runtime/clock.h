#pragma once
// The calendar and the clock as the system counts them: a date is a day number (day 0 was a
// Sunday, so a day number modulo 7 is the day of the week with 0 for Sunday) and a time of
// day is hundredths of a second since midnight. Tests may fix "now" to a chosen moment.

#include <optional>

namespace runtime {

struct CivilDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

int dayNumber(CivilDate date);
CivilDate civilDate(int dayNumber);

// Today's day number and the time of day in hundredths, in local time.
int today();
int clockHundredths();

// Makes today() and clockHundredths() answer a fixed moment; nullopt returns to real time.
struct FixedMoment {
  int day = 0;
  int hundredths = 0;
};
void setFixedMoment(std::optional<FixedMoment> moment);

}  // namespace runtime
