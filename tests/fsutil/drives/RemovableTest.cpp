// Drive types and the removable-drive test on drives that Wine's mount
// manager adds while the test runs; also the drive fixture itself.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "DriveCtl.h"
#include "InstUtils.h"
#include "TestKit.h"

namespace {

using std::string;

string SystemTemp() {
  char buf[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH + 1, buf);
  return buf;
}

// Letters that have no drive now, from the end of the alphabet.
std::vector<char> FreeLetters(size_t n) {
  std::vector<char> v;
  const DWORD mask = GetLogicalDrives();
  for (char c = 'Y'; c >= 'D' && v.size() < n; --c)
    if (!(mask & (1u << (c - 'A')))) v.push_back(c);
  return v;
}

string Root(char letter) { return string(1, letter) + ":\\"; }

string Label(char letter) {
  char label[261] = {};
  DWORD maxLen = 0, flags = 0;
  if (!GetVolumeInformationA(Root(letter).c_str(), label, sizeof label, nullptr, &maxLen, &flags, nullptr, 0))
    return "<failed>";
  return label;
}

class Drives : public ::testing::Test {
 protected:
  void SetUp() override {
    base = SystemTemp() + "fsutil-drives-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(base.c_str(), nullptr);
    letters = FreeLetters(6);
    ASSERT_EQ(letters.size(), 6u) << "not enough free drive letters";
  }
  void TearDown() override { RemoveDirTree(base); }
  // A folder below the scratch folder and its Unix path.
  string Folder(const string& name) {
    const string w = base + "\\" + name;
    CreateDirectoryA(w.c_str(), nullptr);
    return UnixPathOf(w);
  }
  string base;
  std::vector<char> letters;
};

TEST_F(Drives, TypesAndRemovable) {
  const struct { DriveKind kind; UINT type; bool removable; } kinds[] = {
      {DriveKind::Removable, DRIVE_REMOVABLE, true},
      {DriveKind::Fixed, DRIVE_FIXED, false},  // a folder, on no USB or 1394 bus
      {DriveKind::CdRom, DRIVE_CDROM, false},
      {DriveKind::Remote, DRIVE_REMOTE, false},
      {DriveKind::RamDisk, DRIVE_RAMDISK, false},
  };
  std::vector<std::unique_ptr<ScopedDrive>> drives;
  for (size_t i = 0; i < 5; ++i) {
    const string unix = Folder("d" + std::to_string(i));
    ASSERT_FALSE(unix.empty());
    drives.emplace_back(new ScopedDrive(letters[i], kinds[i].kind, unix));
    ASSERT_TRUE(drives.back()->ok()) << "could not define " << letters[i] << ":";
  }
  for (size_t i = 0; i < 5; ++i) {
    const char l = letters[i];
    const char lower = char(l - 'A' + 'a');
    const string paths[] = {Root(l), string(1, l) + ":", string(1, lower) + ":\\Tools\\x.exe", Root(l) + "Tools"};
    for (const string& p : paths) {
      EXPECT_EQ(DriveTypeOf(p), kinds[i].type) << "DriveTypeOf(\"" << p << "\")";
      EXPECT_EQ(IsRemovableDrive(p), kinds[i].removable) << "IsRemovableDrive(\"" << p << "\")";
    }
  }
  const struct { string path; UINT type; } others[] = {
      {"C:\\", DRIVE_FIXED},
      {"C:\\windows", DRIVE_FIXED},
      {"Data\\x", DRIVE_NO_ROOT_DIR},
      {"\\Data", DRIVE_NO_ROOT_DIR},
      {"", DRIVE_NO_ROOT_DIR},
      {Root(letters[5]), DRIVE_NO_ROOT_DIR},  // no drive there
  };
  for (const auto& o : others) {
    EXPECT_EQ(DriveTypeOf(o.path), o.type) << "DriveTypeOf(\"" << o.path << "\")";
    EXPECT_FALSE(IsRemovableDrive(o.path)) << "IsRemovableDrive(\"" << o.path << "\")";
  }
  EXPECT_FALSE(IsRemovableDrive("\\\\srv\\share\\dir")) << "network path";
}

TEST_F(Drives, RemovedDriveIsNoLongerRemovable) {
  const char l = letters[0];
  ASSERT_TRUE(DefineDrive(l, DriveKind::Removable, Folder("gone")));
  EXPECT_TRUE(IsRemovableDrive(Root(l)));
  EXPECT_TRUE(GetLogicalDrives() & (1u << (l - 'A')));
  ASSERT_TRUE(RemoveDrive(l));
  EXPECT_FALSE(GetLogicalDrives() & (1u << (l - 'A')));
  EXPECT_EQ(DriveTypeOf(Root(l)), UINT(DRIVE_NO_ROOT_DIR));
  EXPECT_FALSE(IsRemovableDrive(Root(l)));
}

TEST_F(Drives, QueriesLeaveNoHandleOpen) {
  ScopedDrive fixed(letters[0], DriveKind::Fixed, Folder("fixed"));
  ScopedDrive removable(letters[1], DriveKind::Removable, Folder("removable"));
  ASSERT_TRUE(fixed.ok() && removable.ok());
  const string paths[] = {"C:\\", Root(letters[0]), Root(letters[1]), Root(letters[5]), "\\\\srv\\s"};
  for (const string& p : paths) IsRemovableDrive(p);  // anything opened once for good
  DWORD before = 0, after = 0;
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
  for (int i = 0; i < 50; ++i)
    for (const string& p : paths) IsRemovableDrive(p);
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
  EXPECT_EQ(after, before) << "handles before and after 250 queries";
}

TEST_F(Drives, LabelsComeFromTheLabelFileWhenDefined) {
  const char l = letters[0];
  const string unix = Folder("labelled");
  const struct { const char* label; const char* want; } steps[] = {
      {"STICK", "STICK"},
      {"Second Label", "Second Label"},
      {"", "Second Label"},  // an empty label leaves the file alone
  };
  for (const auto& s : steps) {
    ASSERT_TRUE(DefineDrive(l, DriveKind::Removable, unix, s.label));
    EXPECT_EQ(Label(l), s.want) << "label after defining with \"" << s.label << "\"";
  }
  ASSERT_TRUE(SetFolderLabel(base + "\\labelled", ""));
  ASSERT_TRUE(DefineDrive(l, DriveKind::Removable, unix));
  EXPECT_EQ(Label(l), "") << "no label file";
  RemoveDrive(l);
}

// The command-line tool the other tests use.
TEST_F(Drives, CommandLineTool) {
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  string tool = self;
  tool = tool.substr(0, tool.find_last_of('\\') + 1) + "..\\..\\fixtures\\drivectl\\drivectl.exe";
  ASSERT_NE(GetFileAttributesA(tool.c_str()), INVALID_FILE_ATTRIBUTES) << tool;
  const char l = letters[0];
  const string folder = base + "\\cli";
  CreateDirectoryA(folder.c_str(), nullptr);
  auto run = [&](const string& args) { return RunAndWait("\"" + tool + "\" " + args); };
  EXPECT_EQ(run(string("define ") + l + ": removable \"" + folder + "\" CLI"), 0u);
  EXPECT_EQ(GetDriveTypeA(Root(l).c_str()), UINT(DRIVE_REMOVABLE));
  EXPECT_EQ(Label(l), "CLI");
  EXPECT_EQ(run(string("remove ") + l), 0u);
  EXPECT_FALSE(GetLogicalDrives() & (1u << (l - 'A')));
  EXPECT_EQ(run("define"), 2u) << "usage";
}

}  // namespace
