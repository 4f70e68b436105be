// DLL planting: a program folder holding look-alike mpr.dll and shfolder.dll
// must not get them loaded once the utilities have started. The plain row is
// the control: without the restriction the copies are loaded from there.
// Wine prefers its own built-in mpr and shfolder wherever a copy lies, so
// the test runs with those two set to native first, as they are on Windows
// (WINEDLLOVERRIDES from CTest; Wine hands a child the variable of its Unix
// environment, not a value set with SetEnvironmentVariable).
#include <gtest/gtest.h>

#include <string>

#include "InstUtils.h"
#include "TestKit.h"

namespace {

using std::string;

string OwnFolder() {
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const string s = self;
  return s.substr(0, s.find_last_of('\\') + 1);
}

string FreshFolder(const string& mode) {
  char tmp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, tmp);
  const string f = string(tmp) + "fsutil-plant-" + std::to_string(GetCurrentProcessId()) + "-" + mode + "\\";
  RemoveDirTree(f);
  CreateDirectoryA(f.c_str(), nullptr);
  return f;
}

DWORD RunProgram(const string& exe, const string& args, const string& cwd) {
  return RunAndWait("\"" + exe + "\" " + args, cwd);
}

TEST(DllPlanting, ProgramFolderLookAlikesAreNotLoaded) {
  char overrides[1024] = {};
  GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
  ASSERT_NE(string(overrides).find("mpr,shfolder=n"), string::npos)
      << "WINEDLLOVERRIDES is \"" << overrides << "\": run through CTest, which sets mpr,shfolder=n,b";
  const string here = OwnFolder();
  const struct { const char* mode; DWORD exitCode; bool loaded; } cases[] = {
      {"protected", 0, false},
      {"protected-plain", 0, false},
      {"plain", 0, true},  // control: proves the planted copies can be loaded
  };
  const char* planted[] = {"mpr.dll", "shfolder.dll"};
  for (const auto& c : cases) {
    const string dir = FreshFolder(c.mode);
    ASSERT_TRUE(CopyFileA((here + "dllprobe.exe").c_str(), (dir + "dllprobe.exe").c_str(), FALSE));
    for (const char* name : planted)
      ASSERT_TRUE(CopyFileA((here + "canary.dll").c_str(), (dir + name).c_str(), FALSE)) << name;
    EXPECT_EQ(RunProgram(dir + "dllprobe.exe", c.mode, dir), c.exitCode) << "exit code of dllprobe " << c.mode;
    for (const char* name : planted) {
      const bool loaded = GetFileAttributesA((dir + name + ".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
      EXPECT_EQ(loaded, c.loaded) << "dllprobe " << c.mode << ": " << name << " from the program folder";
    }
    RemoveDirTree(dir);
  }
}

}  // namespace
