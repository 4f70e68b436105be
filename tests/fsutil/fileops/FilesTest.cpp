// Writing strings to files and reading file times on the DOS grid.
#include <gtest/gtest.h>

#include "InstUtils.h"
#include "TestKit.h"

namespace {

using std::string;

TEST(SaveStringToFile, WritesEveryByte) {
  Scratch s("save");
  const string eight("\0a\0b\r\n\0\xFF", 8);
  const struct { const char* what; string before, content; } cases[] = {
      {"new file, zeros inside", "", eight},
      {"longer file is cut to the new content", string(1000, 'L'), eight},
      {"empty content empties the file", "old", ""},
  };
  for (const auto& c : cases) {
    const string f = s / "out.bin";
    DeleteFileA(f.c_str());
    if (!c.before.empty()) {
      ASSERT_TRUE(WriteBytes(f, c.before));
    }
    SaveStringToFile(f, c.content);
    EXPECT_EQ(ReadBytes(f), c.content) << c.what;
  }
}

TEST(SaveStringToFile, DoesNotCreateTheFolder) {
  Scratch s("save");
  SaveStringToFile(s / "NoSuchFolder\\f.txt", "x");
  EXPECT_FALSE(Exists(s / "NoSuchFolder"));
}

// Sets a file's last-write time to a local wall-clock time.
bool SetLocalWriteTime(const string& path, const SYSTEMTIME& local) {
  FILETIME lft, ft;
  if (!SystemTimeToFileTime(&local, &lft) || !LocalFileTimeToFileTime(&lft, &ft)) return false;
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(h, nullptr, nullptr, &ft) != 0;
  CloseHandle(h);
  return ok;
}

TEST(FileModTime, ReadsBackOnTheTwoSecondGrid) {
  Scratch s("modtime");
  const string f = s / "stamped.txt";
  ASSERT_TRUE(WriteBytes(f, "x"));
  const struct { SYSTEMTIME set; CalendarTime want; } cases[] = {
      {{2013, 4, 4, 4, 10, 15, 6, 900}, {2013, 4, 4, 10, 15, 6, 0}},
      {{2013, 4, 4, 4, 10, 15, 7, 500}, {2013, 4, 4, 10, 15, 6, 0}},
      {{2013, 4, 4, 4, 22, 4, 42, 0}, {2013, 4, 4, 22, 4, 42, 0}},
      {{2020, 7, 3, 15, 23, 59, 59, 999}, {2020, 7, 15, 23, 59, 58, 0}},
      {{1980, 1, 2, 1, 0, 0, 1, 0}, {1980, 1, 1, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetLocalWriteTime(f, c.set));
    const TDateTime got = FileModTime(f);
    const TDateTime want = EncodeDateTime(c.want);
    const CalendarTime g = DecodeDateTime(got);
    EXPECT_EQ(got, want) << "set " << c.set.wYear << "-" << c.set.wMonth << "-" << c.set.wDay << " "
                         << c.set.wHour << ":" << c.set.wMinute << ":" << c.set.wSecond << "."
                         << c.set.wMilliseconds << ", got " << g.year << "-" << g.month << "-" << g.day << " "
                         << g.hour << ":" << g.minute << ":" << g.second << "." << g.millisecond;
  }
}

TEST(FileModTime, MissingFileIsNow) {
  Scratch s("modtime");
  const TDateTime before = CurrentDateTime();
  const TDateTime got = FileModTime(s / "missing.txt");
  const TDateTime after = CurrentDateTime();
  EXPECT_LE(before, got);
  EXPECT_LE(got, after);
}

TEST(CurrentDateTime, MatchesTheLocalClock) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  const TDateTime clock = EncodeDateTime({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                                          st.wMilliseconds});
  const TDateTime now = CurrentDateTime();
  // Within five seconds of the clock read just before.
  EXPECT_GE(now, clock);
  EXPECT_LT(now - clock, 5.0 / 86400) << "got " << now << " clock " << clock;
}

}  // namespace
