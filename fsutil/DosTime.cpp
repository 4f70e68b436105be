// Calendar arithmetic for TDateTime and the packed DOS date and time.
// Plain C++ only: the native payload tool compiles this file as well.
#include "DosTime.h"

#include <cmath>
#include <cstdint>

namespace {

const int64_t MSecsPerDay = 86400000;
// Day 0 of TDateTime (1899-12-30) counted from 1970-01-01.
const int64_t UnixEpochDay = 25569;
// 9999-12-31 is the last day a TDateTime may name.
const double MaxDays = 2958466.0;

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

}  // namespace

bool EncodeDate(int year, int month, int day, double& days) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;
  days = static_cast<double>(DaysFromCivil(year, month, day) + UnixEpochDay);
  return true;
}

TDateTime EncodeDateTime(const CalendarTime& t) {
  double days = 0;
  EncodeDate(t.year, t.month, t.day, days);
  const double time =
      static_cast<double>(int64_t(t.hour) * 3600000 + int64_t(t.minute) * 60000 +
                          int64_t(t.second) * 1000 + t.millisecond) /
      MSecsPerDay;
  // Before day 0 the fraction still counts forward from midnight, so it is
  // subtracted from the (negative) day number.
  return days < 0 ? days - time : days + time;
}

CalendarTime DecodeDateTime(TDateTime t) {
  CalendarTime c{0, 0, 0, 0, 0, 0, 0};
  // NaN, infinities and values beyond year 9999 name no date; year 0 makes
  // every caller treat them as out of range.
  if (!(std::fabs(t) < MaxDays)) return c;
  const bool negative = t < 0;
  const int64_t total = static_cast<int64_t>(std::round(std::fabs(t) * MSecsPerDay));
  const int64_t wholeDays = total / MSecsPerDay;
  int64_t ms = total % MSecsPerDay;
  CivilFromDays((negative ? -wholeDays : wholeDays) - UnixEpochDay, c.year, c.month, c.day);
  c.hour = static_cast<int>(ms / 3600000);
  ms %= 3600000;
  c.minute = static_cast<int>(ms / 60000);
  ms %= 60000;
  c.second = static_cast<int>(ms / 1000);
  c.millisecond = static_cast<int>(ms % 1000);
  return c;
}

TDateTime DosToDateTime(uint32_t dos) {
  const uint32_t date = dos >> 16, time = dos & 0xFFFF;
  double days = 0;
  if (!EncodeDate(static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 15),
                  static_cast<int>(date & 31), days))
    days = 0;
  const int64_t ms = int64_t(time >> 11) * 3600000 + int64_t((time >> 5) & 63) * 60000 +
                     int64_t(time & 31) * 2 * 1000;
  return days + static_cast<double>(ms) / MSecsPerDay;
}

uint32_t DateTimeToDos(TDateTime t) {
  const CalendarTime c = DecodeDateTime(t);
  if (c.year < 1980 || c.year > 2099) return 0;
  const uint32_t time = uint32_t(c.second / 2) + uint32_t(c.minute) * 32 + uint32_t(c.hour) * 2048;
  const uint32_t date = uint32_t(c.day) + uint32_t(c.month) * 32 + uint32_t(c.year - 1980) * 512;
  return (date << 16) | time;
}
