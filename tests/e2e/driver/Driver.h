// End-to-end driver: starts Setup.exe (or any GUI program) and drives its
// windows from another process the way a user would.
//
// Failures (a window that does not come, a button that is absent or disabled,
// a process that does not end) are reported through the failure handler,
// by default a GoogleTest non-fatal failure naming what was awaited and what
// windows were there. Objects for windows that were not found are empty
// (operator bool is false) and every operation on them fails softly, so a
// scenario can `ASSERT_TRUE(w)` where going on makes no sense.
//
// Every action waits until the program's GUI thread has taken it up (see
// SyncWith), so a check right after Press() sees the result of the click,
// or the message box that it opened.
//
//   SetupRun run = SetupRun::Start(SetupExePath(), {"-dC:\\Some Folder"});
//   Wizard w = run.WaitWizard();
//   EXPECT_EQ("Welcome to the Quillora Irish Spellchecker", w.Title());
//   w.Press("&Next >");
//   MsgBox mb = run.WaitMessageBox();
//   EXPECT_THAT(mb.Text(), HasSubstr("running instances"));
//   mb.Press("OK");
//   w.Screenshot("page0-host-running");
//   EXPECT_EQ(0, run.WaitExit());
#pragma once
#include <windows.h>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

extern const char* const SetupTitle;       // "Quillora Irish Spellchecker - Setup"
extern const char* const HostProperty;     // "1.x Nimbrel"
extern const char* const InstallKeyPath;   // "Software\\Quillora Word Processor\\Install"

// ---- failures ----

// Receives every failure of the driver. The default adds a GoogleTest
// failure; a program without tests (the walk of `make run`) sets its own.
using FailureHandler = std::function<void(const std::string& message)>;
void SetFailureHandler(FailureHandler handler);
void Fail(const std::string& message);

// ---- windows ----

// A snapshot of one window, for listings and searches.
struct WindowInfo {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  std::string className;
  std::string text;
  LONG style = 0;
  int id = 0;
  bool visible = false;  // IsWindowVisible: the window and all its parents
  bool enabled = false;
  RECT rect{};           // screen coordinates
};
std::string Describe(const WindowInfo& w);                 // one line
std::string Describe(const std::vector<WindowInfo>& ws);   // one line each

// A window of another process, borrowed: nothing is closed or destroyed.
class Control {
 public:
  Control() = default;
  explicit Control(HWND hwnd, std::string what = "control") : hwnd_(hwnd), what_(std::move(what)) {}
  explicit operator bool() const { return hwnd_ != nullptr; }
  HWND Hwnd() const { return hwnd_; }
  bool Exists() const;           // the window is still there
  std::string ClassName() const;
  std::string Text() const;      // WM_GETTEXT
  LONG Style() const;
  bool Visible() const;
  bool Enabled() const;
  bool Focused() const;          // has the keyboard focus of its thread
  RECT ScreenRect() const;
  WindowInfo Info() const;

  // Check boxes and radio buttons: BST_CHECKED (1), BST_UNCHECKED (0), ...
  int CheckState() const;

  // List boxes and combo boxes. Item texts travel as UTF-16 (the only form
  // Wine marshals across processes) and come back in the ANSI code page.
  int ItemCount() const;
  std::vector<std::string> Items() const;
  std::string ItemText(int index) const;
  int Selection() const;          // LB_GETCURSEL / CB_GETCURSEL; -1 when none
  std::string SelectedText() const;
  // List box: a mouse click (button down and up) on the item, as the user
  // would; doubleClick adds the second click. Fails when out of range.
  bool ClickItem(int index, bool doubleClick = false) const;
  // Combo box: selects the item and tells the parent (CBN_SELCHANGE), which
  // is what choosing it in the drop-down list does.
  bool SelectItem(int index) const;

  // A real left click in the middle of the window (SendInput; the window is
  // brought to the front first).
  bool Click() const;

 protected:
  bool Require(const char* action) const;  // fails when empty or gone
  HWND hwnd_ = nullptr;
  std::string what_;
};

// A top-level window of the program under test.
class Window : public Control {
 public:
  Window() = default;
  explicit Window(HWND hwnd, std::string what = "window") : Control(hwnd, std::move(what)) {}

  std::string Caption() const { return Text(); }
  // Every child window, depth first, in z-order among siblings.
  std::vector<WindowInfo> Descendants() const;
  std::string DescribeChildren() const;

  // The first child of that class whose text is `text`. A text without '&'
  // also matches a caption that only differs by its '&' ("Yes" finds "&Yes").
  // visibleOnly skips hidden children (pages not shown). Empty when none.
  Control FindChild(const std::string& className, const std::string& text, bool visibleOnly = true) const;
  std::vector<Control> FindChildren(const std::string& className, bool visibleOnly = true) const;

  // Buttons by caption ("&Next >", "Cancel", "OK").
  Control Button(const std::string& caption) const;  // visible button; empty when none
  bool HasButton(const std::string& caption) const;
  bool ButtonEnabled(const std::string& caption) const;
  bool ButtonVisible(const std::string& caption) const;  // false when absent
  std::vector<std::string> ButtonCaptions() const;       // visible buttons
  // Clicks the button (BM_CLICK, posted). Fails clearly, and clicks nothing,
  // when it is absent, hidden or disabled, or when the window is disabled
  // (a task-modal box is open).
  bool Press(const std::string& caption) const;

  // Texts of the visible static controls (labels), in window order.
  std::vector<std::string> Statics() const;
  bool HasStatic(const std::string& substring) const;

  // Keyboard. The window is brought to the front and the keys go through
  // the system's input queue (SendInput), so Enter reaches the default
  // button and Escape the cancel button as a real key press would.
  bool Key(WORD vk) const;
  bool AltKey(char letter) const;           // Alt+letter: mnemonics
  bool Type(const std::string& text) const; // characters into the focused control
  bool Activate() const;                    // to the foreground; false if refused

  // The close box: WM_SYSCOMMAND SC_CLOSE, posted.
  bool CloseBox() const;

  // Waits until the window is destroyed.
  bool WaitGone(Duration timeout = 10s) const;

  // Saves the window's rectangle of the screen as
  // <build folder>/screenshots/<name>.png. Returns the file path, empty on failure.
  std::string Screenshot(const std::string& name) const;
};

// The wizard: the top-level window captioned SetupTitle.
class Wizard : public Window {
 public:
  Wizard() = default;
  explicit Wizard(HWND hwnd) : Window(hwnd, "wizard") {}

  // The page title: the label in the white band across the top.
  std::string Title() const;
  // Waits for that title; fails naming the title seen and the labels shown.
  bool WaitTitle(const std::string& title, Duration timeout = 5s) const;
  // The visible labels of the page area (every static but the title).
  std::vector<std::string> PageTexts() const;

  Control Edit() const;       // the visible single-line edit
  bool SetEditText(const std::string& text) const;  // WM_SETTEXT
  std::string EditText() const;
  Control Memo() const;       // the visible multi-line edit (the licence)
  Control CheckBox(const std::string& caption) const;
  bool Ticked(const std::string& caption) const;
  // Clicks the box when its state differs from `on`; fails when absent.
  bool Tick(const std::string& caption, bool on) const;
  Control ListBox() const;    // the visible list box (the folder list)
  Control ComboBox() const;   // the visible combo box (the drive selector)
};

// A message box (#32770 dialog) of the program.
class MsgBox : public Window {
 public:
  MsgBox() = default;
  explicit MsgBox(HWND hwnd) : Window(hwnd, "message box") {}
  std::string Text() const;                   // the message (its text static)
  std::vector<std::string> Buttons() const { return ButtonCaptions(); }
};

// ---- the process under test ----

class SetupRun {
 public:
  // Starts `exe` with the arguments, each quoted when it holds a blank or
  // is empty. workDir empty: the test program's current folder.
  static SetupRun Start(const std::string& exe, const std::vector<std::string>& args = {},
                        const std::string& workDir = "");
  // Starts `exe` with a command-line tail given exactly as written.
  static SetupRun StartRaw(const std::string& exe, const std::string& argsTail,
                           const std::string& workDir = "");

  SetupRun() = default;
  SetupRun(SetupRun&& other) noexcept;
  SetupRun& operator=(SetupRun&& other) noexcept;
  SetupRun(const SetupRun&) = delete;
  SetupRun& operator=(const SetupRun&) = delete;
  // Kills the process if it still runs (quietly: WaitExit is the check).
  ~SetupRun();

  explicit operator bool() const { return process_ != nullptr; }
  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_; }  // borrowed
  bool Running() const;

  // Top-level windows of this process (hidden ones included).
  std::vector<WindowInfo> Windows() const;
  std::string DescribeWindows() const;

  // A visible top-level window with this caption. Fails on time-out.
  Window WaitWindow(const std::string& caption, Duration timeout = 10s) const;
  Wizard WaitWizard(Duration timeout = 10s) const;
  // A visible #32770 box; caption empty means any caption ("Exception ..."
  // boxes included). Fails on time-out.
  MsgBox WaitMessageBox(Duration timeout = 5s, const std::string& caption = SetupTitle) const;
  // Without failing: the box now, or empty.
  MsgBox FindMessageBox(const std::string& caption = SetupTitle) const;

  // The exit code. On time-out: fails, kills the process, returns -1.
  int WaitExit(Duration timeout = 10s);
  void Kill();

 private:
  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD pid_ = 0;
  std::string exe_;
};

// Waits until the GUI thread owning `hwnd` has taken up what was posted to
// it before (two round trips of WM_NULL). False when it does not answer.
bool SyncWith(HWND hwnd, Duration timeout = 10s);

// Polls `condition` every 50 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, Duration timeout);

// ---- files, folders, registry ----

std::string ThisExePath();
std::string ThisExeFolder();
// The build folder: the nearest folder above this program holding CMakeCache.txt.
std::string BuildFolder();
std::string SetupExePath();      // <build>\Setup.exe
std::string ScreenshotFolder();  // <build>\screenshots (created)

std::string SpecialFolder(int csidl);  // SHGetFolderPathA; empty when unknown
std::string CommonAppData();           // 35
std::string Documents();               // 5
std::string ProgramFiles();            // 38
std::string TempFolder();              // GetTempPathA, no trailing backslash
std::string Join(const std::string& folder, const std::string& name);

bool FileExists(const std::string& path);    // a file, not a folder
bool FolderExists(const std::string& path);
bool WaitForFile(const std::string& path, Duration timeout = 5s);
std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);
bool MakeFolders(const std::string& path);
bool RemoveTree(const std::string& path);    // true when nothing is left
bool CopyFileTo(const std::string& from, const std::string& to);
// Names in a folder (no "." and ".."), sorted; folders end with '\'.
std::vector<std::string> ListFolder(const std::string& folder);
// Every file below a folder, as paths relative to it, sorted.
std::vector<std::string> ListTree(const std::string& folder);
// Modification time as a FILETIME count (100 ns); 0 when absent.
uint64_t FileWriteTime(const std::string& path);

// A fresh folder below the temporary folder, removed with the object.
// Its name has blanks: "e2e <tag> <pid>-<n>".
class Sandbox {
 public:
  explicit Sandbox(const std::string& tag = "sandbox");
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return Join(path_, name); }

 private:
  std::string path_;
};

// HKCU\Software\Quillora Word Processor\Install.
namespace reg {
bool KeyExists();
bool DeleteKey();                                      // true when gone
std::optional<std::string> String(const std::string& value);  // REG_SZ (any type: raw bytes up to NUL)
std::optional<DWORD> Dword(const std::string& value);         // REG_DWORD only
std::optional<DWORD> Type(const std::string& value);
bool SetString(const std::string& value, const std::string& data);
bool SetDword(const std::string& value, DWORD data);
bool DeleteValue(const std::string& value);            // true when gone
std::string Describe();                                // the values, for reports
}  // namespace reg

// ---- the stand-in host (tests/fixtures/qlr) ----

std::string StandInHostPath();   // <build>\tests\fixtures\qlr\qlr.exe
// Copies qlr.exe into `folder` (created); returns the copy's path, empty on failure.
std::string InstallStandInHost(const std::string& folder);

// What a started stand-in host recorded: its command line and current folder.
struct HostStart {
  std::string commandLine;
  std::string currentDir;
};
// The file where a copy in `folder` records its start when QLR_LOG is not set.
std::string HostLogBeside(const std::string& folder);
// Waits for the record file and reads it; empty on time-out (no failure).
std::optional<HostStart> WaitHostStarted(const std::string& logFile, Duration timeout = 10s);

// Environment for stand-in hosts started later by this process or its
// children (Setup.exe passes its environment on): QLR_LOG and QLR_TIMEOUT_MS.
void SetHostEnvironment(const std::string& logFile, unsigned timeoutMs);

// Top-level windows of any process that carry the host's property.
std::vector<HWND> HostWindows();
bool WaitHostWindow(Duration timeout = 10s);
// Posts WM_CLOSE to every host window and waits until none is left.
bool CloseHostWindows(Duration timeout = 10s);

// Starts the stand-in host itself; `running` makes only its property window
// (hidden, records nothing), as a host that is merely running.
// Waits until its property window exists.
SetupRun StartHost(const std::string& qlrPath, bool running = true, Duration timeout = 10s);

}  // namespace e2e
