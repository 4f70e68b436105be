// Folder tests, creation and removal of folder trees, special folders.
#include <gtest/gtest.h>

#include "InstUtils.h"
#include "TestKit.h"

namespace {

using std::string;

class Folders : public ::testing::Test {
 protected:
  Folders() : scratch("folders") {}
  void SetUp() override {
    saved = RawCurrentDirectory();
    ASSERT_TRUE(IsFolder(scratch.path())) << scratch.path();
  }
  void TearDown() override { SetCurrentDirectoryA(saved.c_str()); }
  Scratch scratch;
  string saved;
};

TEST_F(Folders, CurrentFolderHasOneTrailingBackslash) {
  const struct { string dir, want; } cases[] = {
      {"C:\\", "C:\\"},
      {scratch.path(), scratch.path()},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetCurrentDirectoryA(c.dir.c_str())) << c.dir;
    EXPECT_TRUE(EqualsNoCase(CurrentFolder(), c.want)) << "in " << c.dir << ": got " << CurrentFolder();
  }
}

TEST_F(Folders, FolderExistsKeepsTheCurrentDirectory) {
  const string dir = scratch / "Existing";
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(scratch / "file.txt", "x"));
  string upper = dir;
  CharUpperBuffA(&upper[0], DWORD(upper.size()));
  string slashed = dir;
  for (char& ch : slashed)
    if (ch == '\\') ch = '/';
  const string cwd = scratch / "Cwd";
  ASSERT_TRUE(CreateDirectoryA(cwd.c_str(), nullptr));
  const struct { string path; bool want; } cases[] = {
      {dir, true},
      {dir + "\\", true},
      {upper, true},
      {"C:", true},
      {"C:\\", true},
      {cwd, true},  // the current directory itself
      {scratch / "Missing", false},
      {scratch / "Missing\\Deeper", false},
      {slashed, false},
      {scratch / "file.txt", false},
      {"", false},
      {".", false},
      {"Existing", false},  // relative, even though it exists below the scratch folder
      {dir + "\\..\\Existing", false},
      {scratch / string(300, 'a'), false},
      {dir + string("\0junk", 5), false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
    const string before = RawCurrentDirectory();
    EXPECT_EQ(FolderExists(c.path), c.want) << "FolderExists(\"" << c.path << "\")";
    EXPECT_EQ(RawCurrentDirectory(), before) << "current directory after FolderExists(\"" << c.path << "\")";
  }
}

TEST_F(Folders, IsExistingFile) {
  ASSERT_TRUE(WriteBytes(scratch / "file.txt", "x"));
  ASSERT_TRUE(CreateDirectoryA((scratch / "Sub").c_str(), nullptr));
  const struct { string path; bool want; } cases[] = {
      {scratch / "file.txt", true},
      {scratch / "FILE.TXT", true},
      {scratch / "file.txt\\", false},
      {scratch / "Sub", false},
      {scratch / "Sub\\", false},
      {scratch / "missing.txt", false},
      {"", false},
      {scratch / string(300, 'f'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsExistingFile(c.path), c.want) << "IsExistingFile(\"" << c.path << "\")";
}

TEST_F(Folders, MakeDirTree) {
  ASSERT_TRUE(CreateDirectoryA((scratch / "Top").c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(scratch / "Top\\Taken", "a file where a folder is wanted"));
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
  const struct { string arg; string present[2]; string absent; } cases[] = {
      {scratch / "Top\\Mid\\Low\\", {scratch / "Top\\Mid", scratch / "Top\\Mid\\Low"}, ""},
      {scratch / "Top\\A\\B\\C", {scratch / "Top\\A\\B", scratch / "Top\\A\\B\\C"}, ""},
      {scratch / "Top", {scratch / "Top", ""}, ""},
      {scratch / "Top\\Taken\\Sub\\Low", {"", ""}, scratch / "Top\\Taken\\Sub"},
      {"Rel1\\Rel2", {scratch / "Rel1", scratch / "Rel1\\Rel2"}, ""},  // below the current directory
      {scratch / string(260, 'l') + "\\x", {"", ""}, ""},  // too long: nothing, no crash
  };
  for (const auto& c : cases) {
    MakeDirTree(c.arg);
    for (const string& p : c.present)
      if (!p.empty()) {
        EXPECT_TRUE(IsFolder(p)) << "after MakeDirTree(\"" << c.arg << "\") expected folder " << p;
      }
    if (!c.absent.empty()) {
      EXPECT_FALSE(Exists(c.absent)) << "after MakeDirTree(\"" << c.arg << "\") expected nothing at " << c.absent;
    }
  }
}

TEST_F(Folders, MakeDirTreeOnMissingDriveStops) {
  // Find a letter with no drive behind it.
  const DWORD mask = GetLogicalDrives();
  char letter = 0;
  for (char c = 'Q'; c <= 'Y' && !letter; ++c)
    if (!(mask & (1u << (c - 'A')))) letter = c;
  ASSERT_NE(letter, 0);
  const string path = string(1, letter) + ":\\Quillora\\Spellcheck";
  MakeDirTree(path);
  EXPECT_FALSE(Exists(path)) << path;
}

TEST_F(Folders, RemoveDirTree) {
  const string t = scratch / "Tree";
  struct Node {
    string rel;
    bool folder;
    DWORD attrs;
  };
  const Node tree[] = {
      {"", true, 0},
      {"a.txt", false, 0},
      {"hidden.txt", false, FILE_ATTRIBUTE_HIDDEN},
      {"system.txt", false, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN},
      {"Sub", true, 0},
      {"Sub\\b.txt", false, 0},
      {"Sub\\Hidden", true, FILE_ATTRIBUTE_HIDDEN},
      {"Sub\\Hidden\\c.txt", false, FILE_ATTRIBUTE_ARCHIVE},
      {"Sub\\Deep\\", true, 0},
      {"Sub\\Deep\\Deeper", true, 0},
      {"Sub\\Deep\\Deeper\\.dot", false, 0},
  };
  const string variants[] = {t, t + "\\"};
  for (const string& arg : variants) {
    for (const Node& n : tree) {
      const string p = JoinPath(t, n.rel);
      if (n.folder)
        ASSERT_TRUE(CreateDirectoryA(p.c_str(), nullptr)) << p;
      else
        ASSERT_TRUE(WriteBytes(p, "content")) << p;
      if (n.attrs) SetFileAttributesA(p.c_str(), n.attrs);
    }
    RemoveDirTree(arg);
    EXPECT_FALSE(Exists(t)) << "RemoveDirTree(\"" << arg << "\") left the folder";
  }
}

TEST_F(Folders, RemoveDirTreeLeavesReadOnlyFileAndItsParents) {
  const string t = scratch / "Tree";
  MakeDirTree(t + "\\Keep\\Inner");
  MakeDirTree(t + "\\Other");
  ASSERT_TRUE(WriteBytes(t + "\\Keep\\Inner\\ro.txt", "read-only"));
  ASSERT_TRUE(WriteBytes(t + "\\Keep\\Inner\\rw.txt", "x"));
  ASSERT_TRUE(WriteBytes(t + "\\Other\\rw.txt", "x"));
  ASSERT_TRUE(SetFileAttributesA((t + "\\Keep\\Inner\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  RemoveDirTree(t);
  const struct { string path; bool want; } after[] = {
      {t + "\\Keep\\Inner\\ro.txt", true}, {t + "\\Keep\\Inner", true}, {t + "\\Keep", true}, {t, true},
      {t + "\\Keep\\Inner\\rw.txt", false}, {t + "\\Other", false},
  };
  for (const auto& a : after) EXPECT_EQ(Exists(a.path), a.want) << a.path;
  const DWORD attrs = GetFileAttributesA((t + "\\Keep\\Inner\\ro.txt").c_str());
  EXPECT_TRUE(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) << "attributes changed";
  SetFileAttributesA((t + "\\Keep\\Inner\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Folders, RemoveDirTreeOfEmptyPathRemovesNothing) {
  // "" must not turn into "*.*" of the current directory.
  ASSERT_TRUE(WriteBytes(scratch / "keep.txt", "x"));
  ASSERT_TRUE(CreateDirectoryA((scratch / "KeepDir").c_str(), nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
  RemoveDirTree("");
  EXPECT_TRUE(Exists(scratch / "keep.txt"));
  EXPECT_TRUE(Exists(scratch / "KeepDir"));
}

TEST(SpecialFolders, AfterStartUp) {
  InitInstUtils();
  const int ids[] = {CSIDL_COMMON_APPDATA_ID, CSIDL_PERSONAL_ID, CSIDL_PROGRAM_FILES_ID};
  for (int id : ids) {
    const string p = SpecialFolderPath(id);
    EXPECT_FALSE(p.empty()) << "SpecialFolderPath(" << id << ")";
    EXPECT_NE(LastChar(p), '\\') << "SpecialFolderPath(" << id << ") = " << p;
    EXPECT_TRUE(FolderExists(p)) << "SpecialFolderPath(" << id << ") = " << p;
  }
  EXPECT_EQ(SpecialFolderPath(0x7F), "") << "an id the shell does not know";
}

}  // namespace
