// Writing strings to files and reading file times on the DOS grid.
#include <gtest/gtest.h>

#include <cstring>

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

// Points every import of `name` in this program's import table at `hook` and
// returns the first previous target (nullptr when there is none). The
// utilities are linked into this program, so their calls go through it.
void* PatchImport(const char* name, void* hook) {
  BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return nullptr;
  void* previous = nullptr;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (!imp->OriginalFirstThunk) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD protect;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protect);
      if (!previous) previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protect, &protect);
    }
  }
  return previous;
}

// A clock that reads `first` once and `later` from then on.
SYSTEMTIME clockFirst, clockLater;
int clockReadings = 0;
void WINAPI SteppingClock(LPSYSTEMTIME st) { *st = clockReadings++ == 0 ? clockFirst : clockLater; }

// Date and time of day must come from one reading: a clock that passes
// midnight between two readings would pair one day's date with the other
// day's time, a whole day off.
TEST(CurrentDateTime, OneReadingAcrossMidnight) {
  const struct { const char* what; SYSTEMTIME first, later; } cases[] = {
      {"midnight", {2013, 4, 2, 9, 23, 59, 59, 999}, {2013, 4, 3, 10, 0, 0, 0, 0}},
      {"new year", {2020, 12, 4, 31, 23, 59, 59, 998}, {2021, 1, 5, 1, 0, 0, 0, 1}},
  };
  void* real = PatchImport("GetLocalTime", reinterpret_cast<void*>(&SteppingClock));
  ASSERT_NE(nullptr, real) << "GetLocalTime is not imported through this program's table";
  for (const auto& c : cases) {
    clockFirst = c.first;
    clockLater = c.later;
    clockReadings = 0;
    const TDateTime got = CurrentDateTime();
    const SYSTEMTIME& f = c.first;
    const TDateTime want = EncodeDateTime({f.wYear, f.wMonth, f.wDay, f.wHour, f.wMinute, f.wSecond, f.wMilliseconds});
    const CalendarTime g = DecodeDateTime(got);
    EXPECT_EQ(got, want) << c.what << ": got " << g.year << "-" << g.month << "-" << g.day << " " << g.hour << ":"
                         << g.minute << ":" << g.second << "." << g.millisecond << ", expected the first reading";
  }
  PatchImport("GetLocalTime", real);
}

}  // namespace
