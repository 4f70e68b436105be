// Writing entries to disk: content, folders, time stamps, and the Abort /
// Retry / Ignore box when the destination cannot be written.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>

#include "AttachFiles.h"
#include "BoxAnswerer.h"
#include "InstUtils.h"
#include "LockerClient.h"
#include "Messages.h"
#include "TestPayload.h"

using namespace testkit;
using fixture::BoxAnswerer;
using fixture::SeenBox;

namespace {

const double kSecond = 1.0 / 86400;

const std::string kLicence = "Licence text\nline two\n";

const std::vector<Item>& Items() {
  static const std::vector<Item> items = {
      {"License.txt", Local(2021, 2, 10, 11, 58, 46), kLicence},
      {"userdicir.tlx", Local(2013, 4, 4, 22, 4, 42), ""},
      {"old.bin", Local(1979, 12, 31, 23, 59, 58), "from 1979"},
      {"late.bin", Local(2100, 1, 1, 0, 0, 0), "from 2100"},
      {"odd.bin", Local(2013, 4, 7, 20, 13, 15), "odd second"},
      // A fraction of a millisecond before midnight: rounds to the next day.
      {"midnight.bin", Local(2013, 4, 8, 0, 0, 0) - 0.4 / 86400000, "midnight"},
      {"big.bin", Local(2013, 4, 7, 20, 13, 20), std::string(3 << 20, 'x')},
  };
  return items;
}

TAttachedFiles& Store() {
  static const Bytes stream = Stream(Items());
  static TAttachedFiles store(stream.data(), stream.size());
  return store;
}

std::wstring W(const std::string& s) { return WidenMessage(s); }

std::wstring CannotCreate(const std::string& path) {
  return W("Cannot create file \"" + path +
           "\".\rAnother application might already be using this file.\r\rPlease make sure that the setup of "
           "Quillora Word Processor is not blocked by your security software (firewall/antivirus) in any way.\r"
           "You might want to temporarily disable your security software and try again.");
}

std::string Content(const std::string& path) {
  std::string s = "(missing)";
  ReadText(path, s);
  return s;
}

const std::vector<int> kAbortRetryIgnore = {IDABORT, IDRETRY, IDIGNORE};

}  // namespace

TEST(Extract, WritesAndStampsEachEntry) {
  Scratch dir("extract");
  struct Case {
    const char* lookup;   // as the caller spells it
    const char* target;   // below the scratch folder
    TDateTime expected;   // what FileModTime reads back
  };
  const Case cases[] = {
      {"LICENSE.TXT", "License.txt", Local(2021, 2, 10, 11, 58, 46)},
      {"userdicir.tlx", "new\\deeper\\still\\userdicir.tlx", Local(2013, 4, 4, 22, 4, 42)},
      {"odd.bin", "odd.bin", Local(2013, 4, 7, 20, 13, 14)},        // one second earlier
      {"midnight.bin", "midnight.bin", Local(2013, 4, 8, 0, 0, 0)},  // the next day
      {"big.bin", "big.bin", Local(2013, 4, 7, 20, 13, 20)},
  };
  BoxAnswerer none(SetupTitle, {});
  for (const Case& c : cases) {
    const std::string path = dir / c.target;
    const TAttachedFile* entry = FindEntryByName(Store().Entries(), c.lookup);
    ASSERT_NE(nullptr, entry) << c.lookup;
    EXPECT_TRUE(Store().ExtractFile(nullptr, c.lookup, path)) << c.lookup;
    const std::string expectedData(reinterpret_cast<const char*>(Store().Data()) + entry->DataOffset, entry->Size);
    EXPECT_TRUE(Content(path) == expectedData) << c.target << ": content differs";
    const TDateTime got = FileModTime(path);
    EXPECT_EQ(c.expected, got) << c.target << " (difference " << (got - c.expected) / kSecond << " s)";
  }
  none.Finish();
  EXPECT_EQ(0u, none.Boxes().size());
}

TEST(Extract, OverwritesAndTruncatesAnExistingNewerFile) {
  Scratch dir("extract");
  const std::string path = dir / "License.txt";
  ASSERT_TRUE(WriteText(path, std::string(100000, 'z')));
  const TAttachedFile* entry = FindEntryByName(Store().Entries(), "License.txt");
  EXPECT_TRUE(Store().ExtractFile(entry, "", path));
  EXPECT_EQ(kLicence, Content(path));
  EXPECT_EQ(entry->ModTime, FileModTime(path)) << "older than the file it replaced";
}

TEST(Extract, YearsOutsideTheDosRangeLeaveTheWritingTime) {
  Scratch dir("extract");
  for (const char* name : {"old.bin", "late.bin"}) {
    const std::string path = dir / name;
    const TDateTime before = CurrentDateTime();
    EXPECT_TRUE(Store().ExtractFile(nullptr, name, path)) << name;
    EXPECT_TRUE(Exists(path)) << name;
    const TDateTime got = FileModTime(path);
    EXPECT_LT(std::fabs(got - before), 60 * kSecond) << name << ": got " << got << ", written at " << before;
  }
}

TEST(Extract, RefusedBeforeAnythingIsCreated) {
  const TAttachedFile& last = *Store().Entries().back();
  const int32_t end = Store().DataSize();
  struct Case {
    const char* what;
    const char* name;
    TAttachedFile entry;  // used when `name` is null
  };
  const Case cases[] = {
      {"a name the payload lacks", "Logo.bmp", {}},
      {"an entry whose data runs past the buffer", nullptr, {"x.bin", last.Size, 0, last.DataOffset + 1}},
      {"an entry that starts past the buffer", nullptr, {"x.bin", 1, 0, end + 1}},
      {"an entry with a negative offset", nullptr, {"x.bin", 4, 0, -4}},
      {"an entry with a negative size", nullptr, {"x.bin", -1, 0, 0}},
  };
  for (const Case& c : cases) {
    Scratch dir("extract");
    BoxAnswerer none(SetupTitle, {});
    const bool got = c.name ? Store().ExtractFile(nullptr, c.name, dir / "sub\\out.bin")
                            : Store().ExtractFile(&c.entry, "", dir / "sub\\out.bin");
    none.Finish();
    EXPECT_FALSE(got) << c.what << ": got true, expected false";
    EXPECT_FALSE(Exists(dir / "sub")) << c.what << ": a folder was created";
    EXPECT_EQ(0u, none.Boxes().size()) << c.what << ": a box was shown";
  }
}

// The destination is held open, without sharing, by another process.
TEST(ExtractBox, FileHeldByAnotherProcess) {
  struct Case {
    const char* what;
    std::vector<int> presses;  // in order; the locker is released before the last Retry
    bool releaseBeforeLast;
    bool expectedResult;
    bool expectNewContent;
  };
  const Case cases[] = {
      {"Retry after the other program let go", {IDRETRY}, true, true, true},
      {"Retry while still held, then Abort", {IDRETRY, IDABORT}, false, false, false},
      {"Ignore", {IDIGNORE}, false, true, false},
      {"Abort", {IDABORT}, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scratch dir("locked");
    const std::string path = dir / "ga_IE.dic";
    ASSERT_TRUE(WriteText(path, "old content"));
    fixture::LockedFile lock;
    ASSERT_TRUE(lock.Lock(path)) << fixture::LockerExePath();
    std::vector<fixture::BoxStep> steps;
    for (size_t i = 0; i < c.presses.size(); ++i) {
      fixture::BoxStep s{c.presses[i]};
      if (c.releaseBeforeLast && i + 1 == c.presses.size()) s.before = [&lock] { lock.Release(); };
      steps.push_back(s);
    }
    BoxAnswerer answer(SetupTitle, steps);
    const bool got = Store().ExtractFile(nullptr, "License.txt", path);
    answer.Finish();
    lock.Release();

    EXPECT_EQ(c.expectedResult, got);
    const std::vector<SeenBox> boxes = answer.Boxes();
    ASSERT_EQ(c.presses.size(), boxes.size());
    for (const SeenBox& b : boxes) {
      EXPECT_TRUE(b.text == CannotCreate(path)) << "the box's text differs";
      EXPECT_EQ(kAbortRetryIgnore, b.buttons);
    }
    EXPECT_EQ(c.expectNewContent ? kLicence : std::string("old content"), Content(path));
  }
}

TEST(ExtractBox, DestinationsThatCannotBeWritten) {
  Scratch dir("unwritable");
  struct Case {
    const char* what;
    std::string path;
    std::function<bool()> prepare;
  };
  const std::string blocker = dir / "afile";
  const std::string longPath = blocker + "\\" + std::string(200, 'd') + "\\" + std::string(150, 'f') + ".dic";
  std::vector<Case> cases = {
      // A file stands where a folder is needed; the long name must reach the box whole.
      {"folder part is a file, long path", longPath, [&] { return WriteText(blocker, "file"); }},
  };
  // Windows refuses to replace read-only, hidden and system files this way.
  // Wine maps read-only to the Unix write permission, which root ignores, and
  // lets hidden files be replaced: rows the system does not refuse are skipped.
  const std::string probe = dir / "probe";
  for (DWORD attr : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteText(probe, "probe");
    SetFileAttributesA(probe.c_str(), attr);
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string path = dir / ("attr" + std::to_string(attr) + ".dic");
    if (h == INVALID_HANDLE_VALUE) {
      cases.push_back({"file with attributes", path, [path, attr] {
                         return WriteText(path, "keep") && SetFileAttributesA(path.c_str(), attr);
                       }});
    } else {
      CloseHandle(h);
      std::printf("note: this system replaces files with attribute 0x%lx; row skipped\n", attr);
    }
  }
  // Under Wine: a device that is always full, so the write fails, not the create.
  typedef WCHAR*(CDECL * DosNameFn)(const char*);
  if (auto toDos = reinterpret_cast<DosNameFn>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")))) {
    if (WCHAR* w = toDos("/dev/full")) {
      char a[MAX_PATH] = {};
      WideCharToMultiByte(CP_ACP, 0, w, -1, a, sizeof a, nullptr, nullptr);
      HeapFree(GetProcessHeap(), 0, w);
      cases.push_back({"full disk", a, [] { return true; }});
    }
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.prepare());
    BoxAnswerer answer(SetupTitle, {{IDABORT}});
    EXPECT_FALSE(Store().ExtractFile(nullptr, "big.bin", c.path));
    answer.Finish();
    const std::vector<SeenBox> boxes = answer.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(boxes[0].text == CannotCreate(c.path)) << "the box's text differs";
    EXPECT_EQ(kAbortRetryIgnore, boxes[0].buttons);
  }
}
