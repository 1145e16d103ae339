// DOS date-times, as packages store the times of their members: the high 16 bits the
// date (bits 15-9 the year less 1980, 8-5 the month, 4-0 the day), the low 16 bits the
// time of day (bits 15-11 the hour, 10-5 the minute, 4-0 the seconds halved).
#pragma once

#include <cstdint>

namespace platform {

struct DosDateTime {
  int year, month, day, hour, minute, second;
};

constexpr DosDateTime SplitDosTime(uint32_t dosTime) {
  const uint32_t date = dosTime >> 16, time = dosTime & 0xFFFF;
  return {static_cast<int>(date >> 9) + 1980,   static_cast<int>((date >> 5) & 0x0F),
          static_cast<int>(date & 0x1F),        static_cast<int>(time >> 11),
          static_cast<int>((time >> 5) & 0x3F), static_cast<int>(time & 0x1F) * 2};
}

constexpr int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// A date the calendar has (no 31 February, no month 13) and a time of day the clock
// has (no hour 24, no 60 seconds).
constexpr bool IsValidDosTime(uint32_t dosTime) {
  const DosDateTime t = SplitDosTime(dosTime);
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= DaysInMonth(t.year, t.month) &&
         t.hour <= 23 && t.minute <= 59 && t.second <= 59;
}

}  // namespace platform
