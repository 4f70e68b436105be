// TDateTime and DOS date/time arithmetic. No Win32 here: the payload tool
// (a native host program) and the tests share it.
#pragma once
#include <cstdint>

// Days since 30 December 1899; the fraction is the local time of day.
typedef double TDateTime;

struct CalendarTime {
  int year, month, day, hour, minute, second, millisecond;
};

// Day number of a Gregorian date (day 0 = 1899-12-30); false for no valid date.
bool EncodeDate(int year, int month, int day, double& days);
TDateTime EncodeDateTime(const CalendarTime& t);     // t must be valid
// Rounds to the nearest millisecond first, as the stamping of files does.
CalendarTime DecodeDateTime(TDateTime t);

// DOS date in the high 16 bits, time in the low 16 bits.
TDateTime DosToDateTime(uint32_t dos);
// 0 when the year is outside 1980..2099; odd seconds are truncated.
uint32_t DateTimeToDos(TDateTime t);
