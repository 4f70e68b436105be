// Setup.exe from start to end: exit code, temporary files, a damaged payload.
#include <gtest/gtest.h>

#include "Driver.h"

using namespace e2e;

namespace {

const std::string kPrefix = "~QuilloraIrishSpellcheckerSetup";

std::vector<std::string> WithPrefix(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& n : names)
    if (n.compare(0, kPrefix.size(), kPrefix) == 0) out.push_back(n);
  return out;
}

std::string PayloadOf(const std::string& exe) {
  std::string bytes;
  HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!m) return bytes;
  if (HRSRC r = FindResourceA(m, "FILES", "FILES"))
    if (HGLOBAL g = LoadResource(m, r))
      bytes.assign(static_cast<const char*>(LockResource(g)), SizeofResource(m, r));
  FreeLibrary(m);
  return bytes;
}

// Replaces the FILES resource of a copy; with no bytes, the copy keeps no
// resources at all (Wine does not delete a single one).
bool ReplacePayload(const std::string& exe, const std::string* bytes) {
  HANDLE h = BeginUpdateResourceA(exe.c_str(), bytes ? FALSE : TRUE);
  if (!h) return false;
  const bool ok = !bytes || UpdateResourceA(h, "FILES", "FILES", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                            const_cast<char*>(bytes->data()), static_cast<DWORD>(bytes->size()));
  return EndUpdateResourceA(h, !ok) && ok;
}

}  // namespace

TEST(Entry, NormalEndExitsWithZeroAndRemovesTemporaryFiles) {
  const std::string temp = TempFolder();
  ASSERT_TRUE(WriteWholeFile(Join(temp, kPrefix + "5.tmp"), "left by an earlier run"));
  ASSERT_TRUE(MakeFolders(Join(temp, kPrefix + "Old")));
  ASSERT_TRUE(WriteWholeFile(Join(temp, kPrefix + "Old\\inner.txt"), "x"));
  ASSERT_TRUE(WriteWholeFile(Join(temp, "~QuilloraIrishSpellcheckerSETUP0.tmp"), "not ours: case differs"));

  // The wizard has loaded its logos through a temporary file by the time it
  // is up; quitting it is a normal end.
  SetupRun run = SetupRun::Start(SetupExePath());
  Wizard w = run.WaitWizard(30s);
  ASSERT_TRUE(w);
  ASSERT_TRUE(w.Press("Cancel"));
  MsgBox question = run.WaitMessageBox();
  ASSERT_TRUE(question);
  ASSERT_TRUE(question.Press("&Yes"));
  EXPECT_EQ(0, run.WaitExit(30s));
  EXPECT_EQ(std::vector<std::string>{}, WithPrefix(ListFolder(temp)));
  EXPECT_TRUE(FileExists(Join(temp, "~QuilloraIrishSpellcheckerSETUP0.tmp")));
  DeleteFileA(Join(temp, "~QuilloraIrishSpellcheckerSETUP0.tmp").c_str());
}

TEST(Entry, DamagedPayloadShowsOneErrorBoxAndEndsWithoutWriting) {
  const std::string real = PayloadOf(SetupExePath());
  ASSERT_LT(100u, real.size()) << "Setup.exe carries its payload";
  const std::string garbage = "\x78\xDA this is not deflate data at all, only text.";
  const std::string cut = real.substr(0, real.size() / 2);
  struct Case {
    const char* what;
    const std::string* bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"garbage", &garbage, "corrupt"},
      {"cut short", &cut, "cut short"},
      {"resource removed", nullptr, "missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sandbox box("entry damaged");
    const std::string exe = box / "Setup.exe";
    ASSERT_TRUE(CopyFileTo(SetupExePath(), exe));
    ASSERT_TRUE(ReplacePayload(exe, c.bytes));
    ASSERT_TRUE(PayloadOf(exe) == (c.bytes ? *c.bytes : std::string())) << "the copy carries the damaged payload";
    ASSERT_TRUE(reg::DeleteKey());
    const std::vector<std::string> tempBefore = ListFolder(TempFolder());
    const std::vector<std::string> folderBefore = ListFolder(box.Path());

    SetupRun run = SetupRun::Start(exe, {}, box.Path());
    MsgBox mb = run.WaitMessageBox(30s);
    ASSERT_TRUE(mb);
    const std::string text = mb.Text();
    EXPECT_EQ(0u, text.find("The setup program is damaged and cannot continue.\r\r")) << text;
    EXPECT_NE(std::string::npos, text.find(c.reason)) << text;
    EXPECT_NE(std::string::npos, text.find("\r\rPlease download the setup program again.")) << text;
    EXPECT_EQ(std::vector<std::string>{"OK"}, mb.Buttons());
    // The box belongs to the application's hidden window, which already
    // carries the title of the taskbar button.
    HWND owner = GetWindow(mb.Hwnd(), GW_OWNER);
    char title[128] = {};
    GetWindowTextA(owner, title, sizeof title);
    EXPECT_EQ(std::string("Quillora Irish Spellchecker - Setup"), title);
    // (Its icon cannot be read from here: Wine answers WM_GETICON across
    // processes with 0.)
    EXPECT_TRUE(mb.Press("OK"));
    EXPECT_EQ(2, run.WaitExit(20s));
    EXPECT_EQ(tempBefore, ListFolder(TempFolder()));
    EXPECT_EQ(folderBefore, ListFolder(box.Path()));
    EXPECT_FALSE(reg::KeyExists()) << "the settings are not even read";
  }
}
