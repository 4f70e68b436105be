// TDateTime and the DOS date and time, checked against the system's own
// conversion (DosDateTimeToFileTime) and on the rounding edges.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "DosTime.h"
#include <windows.h>

namespace {

uint32_t Pack(int y, int mo, int d, int h, int mi, int s) {
  return (uint32_t((y - 1980) << 9 | mo << 5 | d) << 16) | uint32_t(h << 11 | mi << 5 | s / 2);
}

// Days since 1601-01-01 of a FILETIME, shifted to day 0 = 1899-12-30.
double OracleDays(const FILETIME& ft) {
  const ULONGLONG t = (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return double(t) / 864000000000.0 - 109205.0;
}

TDateTime At(int y, int mo, int d, double secondsOfDay) {
  double days = 0;
  EXPECT_TRUE(EncodeDate(y, mo, d, days));
  return days + secondsOfDay / 86400.0;
}

TEST(EncodeDate, Cases) {
  const struct { int y, m, d; bool ok; double days; } cases[] = {
      {1899, 12, 30, true, 0},   {1900, 1, 1, true, 2},      {2000, 1, 1, true, 36526},
      {1980, 1, 1, true, 29221}, {2013, 4, 4, true, 41368},  {2012, 2, 29, true, 40968},
      {2000, 2, 29, true, 36585}, {1900, 2, 29, false, 0},   {2013, 2, 29, false, 0},
      {2013, 4, 31, false, 0},   {2013, 13, 1, false, 0},    {2013, 0, 1, false, 0},
      {2013, 1, 0, false, 0},    {0, 1, 1, false, 0},        {1899, 12, 29, true, -1},
  };
  for (const auto& c : cases) {
    double got = -12345;
    const bool ok = EncodeDate(c.y, c.m, c.d, got);
    EXPECT_EQ(ok, c.ok) << c.y << "-" << c.m << "-" << c.d;
    if (c.ok) {
      EXPECT_EQ(got, c.days) << c.y << "-" << c.m << "-" << c.d;
    }
  }
}

// Every date word the format can hold (valid or not) at a few times of day.
TEST(DosToDateTime, GridAgainstSystem) {
  const WORD times[] = {0, WORD(10 << 11 | 15 << 5 | 3), WORD(23 << 11 | 59 << 5 | 29)};
  int mismatches = 0;
  for (unsigned date = 0; date <= 0xFFFF && mismatches < 10; ++date) {
    for (WORD time : times) {
      FILETIME ft;
      const double timePart = ((time >> 11) * 3600.0 + ((time >> 5) & 63) * 60.0 + (time & 31) * 2.0) / 86400.0;
      // A date is real when the system converts it and packs it back
      // unchanged (Wine turns 29 February 1981 into 1 March); any other
      // comes out as day 0.
      WORD backDate = 0, backTime = 0;
      const bool real = DosDateTimeToFileTime(WORD(date), 0, &ft) &&
                        FileTimeToDosDateTime(&ft, &backDate, &backTime) && backDate == date;
      const double want = real ? OracleDays(ft) + timePart : timePart;
      const double got = DosToDateTime((uint32_t(date) << 16) | time);
      if (std::fabs(got - want) > 1e-9) {
        ++mismatches;
        ADD_FAILURE() << "date word " << date << " time word " << time << ": got " << got << " expected " << want;
      }
    }
  }
}

TEST(DosToDateTime, OutOfRangeFields) {
  // Fields beyond a real clock are summed as they stand, not rejected.
  const uint32_t date = Pack(2013, 4, 4, 0, 0, 0) & 0xFFFF0000;
  const struct { uint32_t time; double seconds; } cases[] = {
      {31u << 11, 31 * 3600.0}, {63u << 5, 63 * 60.0}, {31u, 62.0}};
  for (const auto& c : cases)
    EXPECT_NEAR(DosToDateTime(date | c.time), 41368 + c.seconds / 86400, 1e-9) << "time word " << c.time;
}

TEST(DateTimeToDos, Cases) {
  const double ms = 1.0 / 86400000;
  const struct { const char* what; TDateTime t; uint32_t want; } cases[] = {
      {"even second", At(2013, 4, 4, 22 * 3600 + 4 * 60 + 42), Pack(2013, 4, 4, 22, 4, 42)},
      {"odd second truncated", At(2013, 4, 4, 22 * 3600 + 4 * 60 + 43), Pack(2013, 4, 4, 22, 4, 42)},
      {"milliseconds dropped", At(2013, 4, 4, 22 * 3600 + 4 * 60 + 43.999), Pack(2013, 4, 4, 22, 4, 42)},
      {"0.4 ms before midnight", At(2013, 4, 5, 0) - 0.4 * ms, Pack(2013, 4, 5, 0, 0, 0)},
      {"0.6 ms before midnight", At(2013, 4, 5, 0) - 0.6 * ms, Pack(2013, 4, 4, 23, 59, 58)},
      {"year end rounds into 1980", At(1980, 1, 1, 0) - 0.4 * ms, Pack(1980, 1, 1, 0, 0, 0)},
      {"first DOS day", At(1980, 1, 1, 0), Pack(1980, 1, 1, 0, 0, 0)},
      {"last day of 1979", At(1979, 12, 31, 86399), 0},
      {"last second of 2099", At(2099, 12, 31, 86399), Pack(2099, 12, 31, 23, 59, 58)},
      {"2100", At(2100, 1, 1, 0), 0},
      {"2107", At(2107, 6, 1, 0), 0},
      {"leap day", At(2012, 2, 29, 12 * 3600), Pack(2012, 2, 29, 12, 0, 0)},
      {"day 0", 0.0, 0},
      {"negative", -1.5, 0},
      {"NaN", std::numeric_limits<double>::quiet_NaN(), 0},
      {"infinity", std::numeric_limits<double>::infinity(), 0},
      {"huge", 1e300, 0},
      {"minus huge", -1e300, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DateTimeToDos(c.t), c.want) << c.what << " (t = " << c.t << ")";
}

TEST(DateTimeToDos, RoundTripOnGrid) {
  // Every packed value of 1980..2099 with a real clock time comes back.
  int mismatches = 0;
  for (int y = 1980; y <= 2099 && mismatches < 10; y += 7)
    for (int mo = 1; mo <= 12; ++mo)
      for (int d = 1; d <= 31; d += 3) {
        double days;
        if (!EncodeDate(y, mo, d, days)) continue;
        for (int h = 0; h < 24; h += 5)
          for (int s = 0; s < 60; s += 2) {
            const uint32_t dos = Pack(y, mo, d, h, (s * 7) % 60, s);
            const uint32_t back = DateTimeToDos(DosToDateTime(dos));
            if (back != dos && ++mismatches < 10)
              ADD_FAILURE() << "packed " << dos << " came back as " << back;
          }
      }
}

TEST(DecodeDateTime, NegativeDaysKeepTheirClock) {
  // Before day 0 the fraction still counts from midnight: -1.25 is
  // 29 December 1899, 06:00.
  const CalendarTime c = DecodeDateTime(-1.25);
  EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 18991229);
  EXPECT_EQ(c.hour, 6);
  EXPECT_EQ(EncodeDateTime(c), -1.25);
}

}  // namespace
