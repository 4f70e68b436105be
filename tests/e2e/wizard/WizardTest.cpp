// The wizard window as the user meets it: frame, layout, texts of page 0,
// the logos' temporary file, dialog keys and accelerators.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <set>
#include <thread>

#include "Driver.h"
#include "TestPayload.h"

using namespace e2e;

namespace {

const std::string kPrefix = "~QuilloraIrishSpellcheckerSetup";

// Names of files created in a folder while it runs (ReadDirectoryChangesW).
class FolderWatch {
 public:
  explicit FolderWatch(const std::string& folder) {
    dir_ = CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
  }
  ~FolderWatch() { Stop(); }
  bool Ok() const { return dir_ != INVALID_HANDLE_VALUE; }
  void Stop() {
    if (!thread_.joinable()) return;
    SetEvent(stop_);
    thread_.join();
    if (dir_ != INVALID_HANDLE_VALUE) CloseHandle(dir_);
    CloseHandle(stop_);
  }
  std::set<std::string> Added() const { return added_; }

 private:
  void Run() {
    if (dir_ == INVALID_HANDLE_VALUE) return;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    alignas(DWORD) char buffer[16384];
    for (;;) {
      OVERLAPPED ov = {};
      ov.hEvent = done;
      ResetEvent(done);
      if (!ReadDirectoryChangesW(dir_, buffer, sizeof buffer, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, nullptr, &ov,
                                 nullptr))
        break;
      HANDLE both[2] = {done, stop_};
      DWORD w = WaitForMultipleObjects(2, both, FALSE, INFINITE);
      if (w != WAIT_OBJECT_0) {
        CancelIo(dir_);
        DWORD n;
        GetOverlappedResult(dir_, &ov, &n, TRUE);
        break;
      }
      DWORD got = 0;
      if (!GetOverlappedResult(dir_, &ov, &got, FALSE) || got == 0) continue;
      for (char* p = buffer;;) {
        auto* info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(p);
        if (info->Action == FILE_ACTION_ADDED || info->Action == FILE_ACTION_RENAMED_NEW_NAME) {
          char name[MAX_PATH * 2] = {};
          WideCharToMultiByte(CP_ACP, 0, info->FileName, info->FileNameLength / 2, name, sizeof name - 1, nullptr,
                              nullptr);
          added_.insert(name);
        }
        if (!info->NextEntryOffset) break;
        p += info->NextEntryOffset;
      }
    }
    CloseHandle(done);
  }

  HANDLE dir_ = INVALID_HANDLE_VALUE;
  HANDLE stop_ = nullptr;
  std::thread thread_;
  std::set<std::string> added_;
};

std::vector<std::string> WithPrefix(const std::set<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& n : names)
    if (n.compare(0, kPrefix.size(), kPrefix) == 0) out.push_back(n);
  return out;
}

// A child's rectangle in the wizard's client coordinates.
RECT ClientRectOf(const Window& w, const Control& c) {
  RECT r = c.ScreenRect();
  POINT tl = {r.left, r.top}, br = {r.right, r.bottom};
  ScreenToClient(w.Hwnd(), &tl);
  ScreenToClient(w.Hwnd(), &br);
  return RECT{tl.x, tl.y, br.x, br.y};
}

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

}  // namespace

TEST(Wizard, FirstPageLooksAsDesigned) {
  reg::DeleteKey();
  FolderWatch watch(TempFolder());
  ASSERT_TRUE(watch.Ok());
  SetupRun run = SetupRun::Start(SetupExePath());
  Wizard w = run.WaitWizard(30s);
  ASSERT_TRUE(w);
  watch.Stop();

  // The frame: caption, client size, system menu only.
  EXPECT_EQ("Quillora Irish Spellchecker - Setup", w.Caption());
  RECT client;
  GetClientRect(w.Hwnd(), &client);
  EXPECT_EQ(492, client.right) << "client width";
  EXPECT_EQ(351, client.bottom) << "client height";
  const LONG style = w.Style();
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MINIMIZEBOX) << "no minimise box";
  EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "no maximise box";
  EXPECT_FALSE(style & WS_THICKFRAME) << "fixed size";
  RECT frame = w.ScreenRect();
  EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (frame.left + frame.right) / 2, 1) << "centred: " << Show(frame);
  EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, (frame.top + frame.bottom) / 2, 1) << "centred: " << Show(frame);

  // Texts of page 0.
  EXPECT_EQ("Welcome to the Quillora Irish Spellchecker", w.Title());
  EXPECT_TRUE(w.HasStatic("This program will install the Irish Spellchecker\r\nfor Quillora Word Processor on your "
                          "computer.\r\n\r\n\r\n\r\n\r\nClick Next to continue. Click Cancel to quit Setup."))
      << Describe(w.Descendants());
  std::vector<std::string> shown = w.ButtonCaptions();
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ((std::vector<std::string>{"&Next >", "Cancel"}), shown) << "Back is hidden";

  // Buttons at their places (bottom panel at 307).
  struct {
    const char* caption;
    RECT expected;
  } buttons[] = {{"&Next >", {295, 319, 380, 341}}, {"Cancel", {392, 319, 477, 341}}};
  for (const auto& b : buttons) {
    Control c = w.Button(b.caption);
    ASSERT_TRUE(c) << b.caption;
    RECT got = ClientRectOf(w, c);
    EXPECT_EQ(Show(b.expected), Show(got)) << b.caption;
  }
  EXPECT_TRUE(w.ButtonEnabled("&Next >"));
  EXPECT_TRUE(w.ButtonEnabled("Cancel"));

  // A real tab control that never got a tab item.
  std::vector<Control> tabs = w.FindChildren(WC_TABCONTROLA);
  ASSERT_EQ(1u, tabs.size());
  EXPECT_EQ(0, SendMessageA(tabs[0].Hwnd(), TCM_GETITEMCOUNT, 0, 0)) << "no tab strip";

  // One temporary file for both logos, gone before the window shows.
  std::vector<std::string> made = WithPrefix(watch.Added());
  EXPECT_EQ(1u, made.size()) << "temporary files made at start-up";
  for (const std::string& n : made) EXPECT_FALSE(FileExists(Join(TempFolder(), n))) << n << " is left";

  EXPECT_FALSE(w.Screenshot("wizard-page0").empty());

  // Escape presses Cancel, which asks; No continues.
  ASSERT_TRUE(w.Key(VK_ESCAPE));
  MsgBox q = run.WaitMessageBox();
  ASSERT_TRUE(q) << "Escape asks the close question";
  q.Press("&No");
  ASSERT_TRUE(q.WaitGone());
  EXPECT_EQ("Welcome to the Quillora Irish Spellchecker", w.Title());

  // The close box asks too.
  ASSERT_TRUE(w.CloseBox());
  q = run.WaitMessageBox();
  ASSERT_TRUE(q) << "the close box asks the close question";
  q.Press("&Yes");
  EXPECT_EQ(0, run.WaitExit(30s));
}

TEST(Wizard, EnterAndAltLettersWork) {
  SetupRun run = SetupRun::Start(SetupExePath());
  Wizard w = run.WaitWizard(30s);
  ASSERT_TRUE(w);

  // Enter presses Next (the focus starts on it).
  ASSERT_TRUE(w.Key(VK_RETURN));
  ASSERT_TRUE(w.WaitTitle("License Agreement", 20s));
  EXPECT_TRUE(w.Ticked("I &accept all the terms of the above License Agreement"));

  // Enter in the read-only licence text still presses Next... after a
  // round trip back: Alt+B is Back, Alt+N is Next.
  ASSERT_TRUE(w.AltKey('b'));
  ASSERT_TRUE(w.WaitTitle("Welcome to the Quillora Irish Spellchecker"));
  ASSERT_TRUE(w.AltKey('n'));
  ASSERT_TRUE(w.WaitTitle("License Agreement"));
  EXPECT_TRUE(w.Memo().Focused()) << "page 1 gives the licence text the focus";
  // Alt+L: the label of the licence goes to the control after it.
  ASSERT_TRUE(w.Key(VK_TAB));
  SyncWith(w.Hwnd());
  ASSERT_TRUE(w.CheckBox("I &accept all the terms of the above License Agreement").Focused()) << "Tab after the text";
  ASSERT_TRUE(w.AltKey('l'));
  SyncWith(w.Hwnd());
  EXPECT_TRUE(w.Memo().Focused()) << "Alt+L focuses the licence text";

  // Alt+A toggles the check box and moves the focus to it.
  struct {
    bool ticked;
  } toggles[] = {{false}, {true}};
  for (const auto& t : toggles) {
    ASSERT_TRUE(w.AltKey('a'));
    SyncWith(w.Hwnd());
    EXPECT_EQ(t.ticked, w.Ticked("I &accept all the terms of the above License Agreement"));
    EXPECT_TRUE(w.CheckBox("I &accept all the terms of the above License Agreement").Focused());
  }

  // Page 2: Alt+F puts the focus into the edit through its label.
  ASSERT_TRUE(w.Key(VK_RETURN));
  ASSERT_TRUE(w.WaitTitle("Specify Home Folder"));
  ASSERT_TRUE(w.AltKey('b'));
  ASSERT_TRUE(w.WaitTitle("License Agreement"));
  ASSERT_TRUE(w.AltKey('n'));
  ASSERT_TRUE(w.WaitTitle("Specify Home Folder"));
  ASSERT_TRUE(w.Button("Cancel").Click());  // the focus leaves the edit
  MsgBox q = run.WaitMessageBox();
  ASSERT_TRUE(q);
  q.Press("&No");
  ASSERT_TRUE(q.WaitGone());
  ASSERT_TRUE(w.AltKey('f'));
  SyncWith(w.Hwnd());
  EXPECT_TRUE(w.Edit().Focused()) << "Alt+F focuses the home folder edit";

  // Tab moves on from the edit to the folder list.
  ASSERT_TRUE(w.Key(VK_TAB));
  SyncWith(w.Hwnd());
  EXPECT_TRUE(w.ListBox().Focused()) << "Tab after the edit";

  ASSERT_TRUE(w.Key(VK_ESCAPE));
  q = run.WaitMessageBox();
  ASSERT_TRUE(q);
  q.Press("&Yes");
  EXPECT_EQ(0, run.WaitExit(30s));
}

namespace {

// Replaces the FILES resource of a copy of Setup.exe.
bool ReplacePayload(const std::string& exe, const testkit::Bytes& bytes) {
  HANDLE h = BeginUpdateResourceA(exe.c_str(), FALSE);
  if (!h) return false;
  const bool ok = UpdateResourceA(h, "FILES", "FILES", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                  const_cast<unsigned char*>(bytes.data()), static_cast<DWORD>(bytes.size())) != FALSE;
  return EndUpdateResourceA(h, !ok) && ok;
}

}  // namespace

// A logo that is no bitmap: the wizard cannot be built, the exception
// reaches the entry's last chance, and the program ends with exit code 1.
TEST(Wizard, LogoThatIsNoBitmapEndsTheProgramWithExitCode1) {
  const TDateTime t = testkit::Local(2024, 5, 1, 10, 0, 0);
  struct {
    const char* what;
    std::vector<testkit::Item> items;
    const char* text;
  } cases[] = {
      {"Logo.bmp is text", {{"Logo.bmp", t, "not a picture"}, {"LogoSmall.bmp", t, "nor this"}},
       "Exception EInvalidGraphic"},
  };
  for (const auto& c : cases) {
    Sandbox box("wizard logo");
    const std::string exe = box / "Setup.exe";
    ASSERT_TRUE(CopyFileTo(SetupExePath(), exe));
    ASSERT_TRUE(ReplacePayload(exe, testkit::Stream(c.items)));
    SetupRun run = SetupRun::Start(exe, {}, box.Path());
    MsgBox mb = run.WaitMessageBox(30s);
    ASSERT_TRUE(mb) << c.what;
    EXPECT_EQ(c.text, mb.Text()) << c.what;
    EXPECT_EQ(std::vector<std::string>{"OK"}, mb.Buttons()) << c.what;
    EXPECT_TRUE(mb.Press("OK"));
    EXPECT_EQ(1, run.WaitExit(20s)) << c.what;
    std::set<std::string> left;
    for (const std::string& n : ListFolder(TempFolder())) left.insert(n);
    EXPECT_EQ(std::vector<std::string>{}, WithPrefix(left)) << c.what << ": temporary files left";
  }
}
