// The temporary folder, free names and the clean-up of the program's
// temporary files. TMP points at a private folder for each case.
#include <gtest/gtest.h>

#include "InstUtils.h"
#include "TestKit.h"

namespace {

using std::string;

const string Prefix = "~QuilloraIrishSpellcheckerSetup";

class TempFiles : public ::testing::Test {
 protected:
  TempFiles() : scratch("temp") {}
  void SetUp() override {
    char buf[32768];
    const DWORD n = GetEnvironmentVariableA("TMP", buf, sizeof buf);
    hadTmp = n > 0 && n < sizeof buf;
    if (hadTmp) oldTmp.assign(buf, n);
    tmp = scratch / "Tmp\\";
    ASSERT_TRUE(CreateDirectoryA(tmp.c_str(), nullptr));
    SetEnvironmentVariableA("TMP", tmp.c_str());
  }
  void TearDown() override { SetEnvironmentVariableA("TMP", hadTmp ? oldTmp.c_str() : nullptr); }
  Scratch scratch;
  string tmp, oldTmp;
  bool hadTmp = false;
};

TEST_F(TempFiles, FolderAndPrefix) {
  EXPECT_TRUE(EqualsNoCase(TempFolder(), tmp)) << "got " << TempFolder() << " expected " << tmp;
  EXPECT_EQ(TempFilePrefix(), Prefix);
  EXPECT_EQ(TempFilePrefix().size(), 31u);
}

TEST_F(TempFiles, MissingOrOverlongTempFolderFallsBackToDocuments) {
  InitInstUtils();
  const string docs = SpecialFolderPath(CSIDL_PERSONAL_ID);
  ASSERT_FALSE(docs.empty());
  const string tmps[] = {scratch / "NoSuchFolder", "C:\\" + string(400, 't')};
  for (const string& t : tmps) {
    SetEnvironmentVariableA("TMP", t.c_str());
    EXPECT_TRUE(EqualsNoCase(TempFolder(), docs + "\\")) << "TMP=" << t << ": got " << TempFolder();
  }
  // And the clean-up then works in the documents folder.
  SetEnvironmentVariableA("TMP", (scratch / "NoSuchFolder").c_str());
  const string leftover = JoinPath(docs, Prefix + "FallbackProbe" + std::to_string(GetCurrentProcessId()) + ".tmp");
  ASSERT_TRUE(WriteBytes(leftover, "x"));
  RemoveTempFiles();
  EXPECT_FALSE(Exists(leftover)) << leftover;
  DeleteFileA(leftover.c_str());
}

TEST_F(TempFiles, MakeTempFileNameTakesTheFirstFreeCounter) {
  const struct { const char* what; const char* files[3]; const char* folders[1]; const char* want; } cases[] = {
      {"nothing present", {}, {}, "0"},
      {"files 0 and 1", {"0", "1"}, {}, "2"},
      {"file 1 only", {"1"}, {}, "0"},
      {"a folder named like 0", {}, {"0"}, "0"},
      {"files 0, 1, 3", {"0", "1", "3"}, {}, "2"},
  };
  for (const auto& c : cases) {
    RemoveDirTree(tmp);
    ASSERT_TRUE(CreateDirectoryA(tmp.c_str(), nullptr));
    for (const char* f : c.files)
      if (f) {
        ASSERT_TRUE(WriteBytes(tmp + Prefix + f + ".tmp", "x"));
      }
    for (const char* d : c.folders)
      if (d) {
        ASSERT_TRUE(CreateDirectoryA((tmp + Prefix + d + ".tmp").c_str(), nullptr));
      }
    const string want = tmp + Prefix + c.want + ".tmp";
    EXPECT_TRUE(EqualsNoCase(MakeTempFileName(), want)) << c.what << ": got " << MakeTempFileName() << " expected " << want;
    EXPECT_EQ(MakeTempFileName(), MakeTempFileName()) << c.what << ": nothing is reserved";
    EXPECT_FALSE(Exists(want) && !IsFolder(want)) << c.what << ": the file must not be created";
  }
}

TEST_F(TempFiles, RemoveTempFilesTakesOnlyThePrefix) {
  const struct { string name; bool folder; bool stays; } entries[] = {
      {Prefix + "7.tmp", false, false},
      {Prefix + "Old", false, false},
      {Prefix + "OldDir", true, false},
      {Prefix + "0.tmp", false, false},
      {"~QuilloraIrishSpellcheckerSETUP1.tmp", false, true},  // letter case differs
      {"x" + Prefix + "0.tmp", false, true},
      {"other.txt", false, true},
      {"Keep", true, true},
  };
  for (const auto& e : entries) {
    const string p = tmp + e.name;
    if (e.folder) {
      ASSERT_TRUE(CreateDirectoryA(p.c_str(), nullptr)) << p;
      ASSERT_TRUE(WriteBytes(p + "\\inside.txt", "x"));
      ASSERT_TRUE(CreateDirectoryA((p + "\\Nested").c_str(), nullptr));
      ASSERT_TRUE(WriteBytes(p + "\\Nested\\deep.txt", "x"));
    } else {
      ASSERT_TRUE(WriteBytes(p, "x")) << p;
    }
  }
  RemoveTempFiles();
  for (const auto& e : entries) EXPECT_EQ(Exists(tmp + e.name), e.stays) << e.name;
  EXPECT_TRUE(Exists(tmp + "Keep\\inside.txt"));
}

TEST_F(TempFiles, RemoveTempFilesSurvivesAFileItCannotDelete) {
  const string ro = tmp + Prefix + "5.tmp";
  const string open = tmp + Prefix + "6.tmp";
  const string plain = tmp + Prefix + "8.tmp";
  ASSERT_TRUE(WriteBytes(ro, "x") && WriteBytes(open, "x") && WriteBytes(plain, "x"));
  ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE held = CreateFileA(open.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  RemoveTempFiles();
  CloseHandle(held);
  EXPECT_TRUE(Exists(ro)) << "read-only stays";
  EXPECT_FALSE(Exists(plain)) << "the others still go";
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
