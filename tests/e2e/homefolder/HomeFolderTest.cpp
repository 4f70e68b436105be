// The home folder page of Setup.exe as a user meets it: the folder list and
// the drive selector move the edit at once, and drives plugged in or removed
// while the wizard is open (on any page, also under a message box) are taken
// up by the watcher within a tick or two of its one-second timer.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DriveCtl.h"
#include "Driver.h"
#include "NoProgramFiles.h"

namespace {

using namespace e2e;
using std::string;
using std::vector;

const char* const kHomeTitle = "Specify Home Folder";
// The watcher ticks every second; a change shows after at most two ticks.
const Duration kWatch = 3s;

string Show(const vector<string>& v) {
  string s;
  for (const auto& x : v) s += "[" + x + "] ";
  return s;
}

// Letters without a drive now, from the end of the alphabet; each scenario
// takes its own, since a letter defined again right after its removal is
// sometimes refused.
vector<char> FreeLetters() {
  vector<char> v;
  const DWORD mask = GetLogicalDrives();
  for (char c = 'Y'; c >= 'D'; --c)
    if (!(mask & (1u << (c - 'A')))) v.push_back(c);
  return v;
}
char NextLetter() {
  static vector<char> pool = FreeLetters();
  static size_t next = 0;
  if (next >= pool.size()) {
    ADD_FAILURE() << "out of free drive letters";
    return 0;
  }
  return pool[next++];
}

char Lower(char c) { return static_cast<char>(c | 0x20); }
string Root(char letter) { return string(1, letter) + ":\\"; }

// A drive whose root is a folder of the sandbox; removed when it goes.
class TestDrive {
 public:
  TestDrive(const Sandbox& box, DriveKind kind, const string& label = "", const vector<string>& folders = {})
      : letter_(NextLetter()) {
    const string root = box / string("drive ") + letter_;
    MakeFolders(root);
    for (const string& f : folders) MakeFolders(Join(root, f));
    drive_ = std::make_unique<ScopedDrive>(letter_, kind, UnixPathOf(root), label);
    EXPECT_TRUE(drive_->ok()) << "cannot define " << letter_ << ": on " << root;
  }
  char Letter() const { return letter_; }
  char Lowered() const { return Lower(letter_); }
  void Remove() { drive_.reset(); }

 private:
  char letter_;
  std::unique_ptr<ScopedDrive> drive_;
};

// Setup.exe started with "-d<home>", on the page it was asked for.
struct Wiz {
  SetupRun run;
  Wizard w;
  explicit Wiz(const string& home) {
    run = SetupRun::Start(SetupExePath(), {"-d" + home});
    w = run.WaitWizard();
  }
  ~Wiz() { Quit(); }
  bool ToHomePage() {
    if (!w.Press("&Next >") || !w.WaitTitle("License Agreement")) return false;
    return w.Press("&Next >") && w.WaitTitle(kHomeTitle);
  }
  // Cancel and the question's Yes; the exit code is 0.
  void Quit() {
    if (!run || !run.Running()) return;
    if (MsgBox open = run.FindMessageBox()) {
      vector<string> b = open.Buttons();
      if (!b.empty()) open.Press(b[0]);
    }
    if (w.Press("Cancel"))
      if (MsgBox q = run.WaitMessageBox()) q.Press("&Yes");
    EXPECT_EQ(0, run.WaitExit());
  }
  string Edit() const { return w.EditText(); }
  bool EditBecomes(const string& expected, Duration timeout = kWatch) const {
    return WaitUntil([&] { return w.EditText() == expected; }, timeout);
  }
  vector<string> ListItems() const { return w.ListBox().Items(); }
  string ListSelected() const { return w.ListBox().SelectedText(); }
  vector<string> Drives() const { return w.ComboBox().Items(); }
  string DriveSelected() const { return w.ComboBox().SelectedText(); }
};

string ProgramFilesHost() { return ProgramFiles() + "\\Quillora"; }
// What the list shows on the Program Files drive: the host's folder when
// another test of this prefix left one there, else Program Files.
string ProgramFilesShown() { return FolderExists(ProgramFilesHost()) ? ProgramFilesHost() : ProgramFiles(); }

TEST(HomeFolderPage, WatcherTakesUpDrivesPluggedInAndRemoved) {
  Sandbox box("homefolder watch");
  TestDrive first(box, DriveKind::Fixed, "", {"Tools"});
  const string home = string(1, first.Letter()) + ":\\Tools";
  Wiz z(home);
  ASSERT_TRUE(z.w);
  ASSERT_TRUE(z.ToHomePage());
  EXPECT_EQ(home, z.Edit()) << "the constructor's text stays until the list moves";
  EXPECT_EQ(home, z.ListSelected());
  EXPECT_EQ(string(1, first.Lowered()) + ": ", z.DriveSelected());

  // A stick with the same folder: the list goes to that folder there.
  TestDrive stick(box, DriveKind::Removable, "STICK", {"Tools"});
  const string stickTools = string(1, stick.Lowered()) + ":\\Tools";
  EXPECT_TRUE(z.EditBecomes(stickTools)) << "edit: " << z.Edit();
  EXPECT_EQ(stickTools, z.ListSelected());
  EXPECT_EQ(string(1, stick.Lowered()) + ": [stick]", z.DriveSelected());
  z.w.Screenshot("homefolder-stick");
  SendMessageA(z.w.ComboBox().Hwnd(), CB_SHOWDROPDOWN, TRUE, 0);
  SyncWith(z.w.Hwnd());
  z.w.Screenshot("homefolder-drives");
  SendMessageA(z.w.ComboBox().Hwnd(), CB_SHOWDROPDOWN, FALSE, 0);

  // Another one without it: its root, and the host's folder in the edit.
  TestDrive bare(box, DriveKind::Removable);
  EXPECT_TRUE(z.EditBecomes(string(1, bare.Lowered()) + ":\\Quillora")) << "edit: " << z.Edit();
  EXPECT_EQ(Show({Root(bare.Lowered())}), Show(z.ListItems()));

  // Removing a drive that is not the chosen one changes nothing but the list
  // of drives; the chosen drive's item is selected again.
  const string stickItem = string(1, stick.Lowered()) + ": [stick]";
  stick.Remove();
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (const string& d : z.Drives())
          if (d == stickItem) return false;
        return true;
      },
      kWatch))
      << Show(z.Drives());
  EXPECT_EQ(string(1, bare.Lowered()) + ":\\Quillora", z.Edit());
  EXPECT_EQ(string(1, bare.Lowered()) + ": ", z.DriveSelected());

  // Removing the chosen drive: back to the Program Files drive.
  bare.Remove();
  EXPECT_TRUE(z.EditBecomes(ProgramFilesHost())) << "edit: " << z.Edit();
  EXPECT_EQ(ProgramFilesShown(), z.ListSelected());

  // A CD-ROM has no item but is chosen all the same.
  TestDrive disc(box, DriveKind::CdRom);
  EXPECT_TRUE(z.EditBecomes(string(1, disc.Lowered()) + ":\\Quillora")) << "edit: " << z.Edit();
  EXPECT_EQ(Show({Root(disc.Lowered())}), Show(z.ListItems()));
  EXPECT_EQ(-1, z.w.ComboBox().Selection());
  for (const string& d : z.Drives()) EXPECT_NE(disc.Lowered(), d[0]) << "the CD-ROM is listed: " << d;
}

TEST(HomeFolderPage, WatcherRunsOnOtherPagesAndUnderAMessageBox) {
  Sandbox box("homefolder pages");
  const string home = box / "no host here";
  MakeFolders(home);
  Wiz z(home);
  ASSERT_TRUE(z.w);

  TestDrive early(box, DriveKind::Removable);  // while the welcome page shows
  Sleep(2500);
  ASSERT_TRUE(z.ToHomePage());
  EXPECT_EQ(string(1, early.Lowered()) + ":\\Quillora", z.Edit());

  // Next refuses the folder with a box; the watcher goes on under it.
  ASSERT_TRUE(z.w.Press("&Next >"));
  MsgBox refusal = z.run.WaitMessageBox();
  ASSERT_TRUE(refusal);
  TestDrive late(box, DriveKind::Fixed);
  EXPECT_TRUE(z.EditBecomes(string(1, late.Lowered()) + ":\\Quillora")) << "edit: " << z.Edit();
  vector<string> b = refusal.Buttons();
  ASSERT_FALSE(b.empty());
  refusal.Press(b[0]);
  EXPECT_TRUE(z.w.WaitTitle(kHomeTitle));
  EXPECT_EQ(string(1, late.Lowered()) + ":\\Quillora", z.Edit());
}

TEST(HomeFolderPage, WatcherWithoutAProgramFilesFolder) {
  // The chosen drive goes away and there is no Program Files drive to fall
  // back to: nothing moves. A drive plugged in is still taken up.
  Sandbox box("homefolder no program files");
  TestDrive gone(box, DriveKind::Fixed, "", {"Tools"});
  const string home = string(1, gone.Letter()) + ":\\Tools";
  Wiz z(home);
  ASSERT_TRUE(z.w);
  ASSERT_TRUE(z.ToHomePage());
  NoProgramFiles none;
  ASSERT_TRUE(none.ok());
  ASSERT_EQ("", ProgramFiles());
  const string item = string(1, gone.Lowered()) + ": ";
  gone.Remove();
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (const string& d : z.Drives())
          if (d == item) return false;
        return true;
      },
      kWatch))
      << Show(z.Drives());
  SyncWith(z.w.Hwnd());
  EXPECT_EQ(home, z.Edit());
  EXPECT_EQ(home, z.ListSelected());
  EXPECT_EQ(-1, z.w.ComboBox().Selection());

  TestDrive stick(box, DriveKind::Removable);
  EXPECT_TRUE(z.EditBecomes(string(1, stick.Lowered()) + ":\\Quillora")) << "edit: " << z.Edit();
}

TEST(HomeFolderPage, ClicksKeysAndTheDriveSelector) {
  Sandbox box("homefolder clicks");
  const string mid = box / "Tree\\Mid";
  for (const char* sub : {"Beta", "Alpha", "gamma"}) MakeFolders(Join(mid, sub));
  Wiz z(mid);
  ASSERT_TRUE(z.w);
  ASSERT_TRUE(z.ToHomePage());
  Control list = z.w.ListBox();
  vector<string> items = z.ListItems();
  const int at = list.Selection();
  ASSERT_GE(at, 0);
  ASSERT_EQ(static_cast<size_t>(at) + 4, items.size()) << Show(items);
  EXPECT_EQ(mid, items[at]);
  EXPECT_EQ(Show({mid + "\\Alpha", mid + "\\Beta", mid + "\\gamma"}),
            Show(vector<string>(items.begin() + at + 1, items.end())));

  // A click makes the folder current at once; the rebuilt list selects it.
  ASSERT_TRUE(list.ClickItem(at + 2));
  EXPECT_EQ(mid + "\\Beta", z.Edit());
  EXPECT_EQ(mid + "\\Beta", z.ListSelected());
  EXPECT_EQ(static_cast<size_t>(at) + 2, z.ListItems().size()) << "Beta has no subfolders";
  z.w.Screenshot("homefolder-clicked");

  // One arrow step: up to the parent, down into the first subfolder.
  const struct {
    WORD key;
    string edit;
  } steps[] = {{VK_UP, mid}, {VK_DOWN, mid + "\\Alpha"}, {VK_UP, mid}, {VK_HOME, ""}};
  for (const auto& s : steps) {
    ASSERT_TRUE(z.w.Key(s.key));
    if (s.key == VK_HOME)
      EXPECT_EQ(string(1, mid[0]) + ":\\Quillora", z.Edit()) << "Home: the drive root";
    else
      EXPECT_EQ(s.edit, z.Edit()) << "key " << s.key;
  }

  // Choosing a drive in the selector moves the list, and so the edit.
  vector<string> drives = z.Drives();
  auto indexOf = [&](char letter) {
    for (size_t i = 0; i < drives.size(); ++i)
      if (drives[i][0] == letter) return static_cast<int>(i);
    return -1;
  };
  const int zIndex = indexOf('z');
  ASSERT_GE(zIndex, 0) << Show(drives);
  ASSERT_TRUE(z.w.ComboBox().SelectItem(zIndex));
  EXPECT_EQ("z:\\Quillora", z.Edit()) << "the same folder (the root) on Z:";
  EXPECT_EQ("z:\\", z.ListSelected());
  const int pfIndex = indexOf(Lower(ProgramFiles()[0]));
  ASSERT_GE(pfIndex, 0) << Show(drives);
  ASSERT_TRUE(z.w.ComboBox().SelectItem(pfIndex));
  EXPECT_EQ(ProgramFilesHost(), z.Edit()) << "the Program Files drive";
  EXPECT_EQ(ProgramFilesShown(), z.ListSelected());
  z.w.Screenshot("homefolder-programfiles");

  // The selector with the focus, and its list dropped down with the pictures.
  ASSERT_TRUE(z.w.Key(VK_TAB));
  EXPECT_TRUE(z.w.ComboBox().Focused());
  z.w.Screenshot("homefolder-combofocus");
  SendMessageA(z.w.ComboBox().Hwnd(), CB_SHOWDROPDOWN, TRUE, 0);
  SyncWith(z.w.Hwnd());
  z.w.Screenshot("homefolder-dropdown");
  SendMessageA(z.w.ComboBox().Hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(ProgramFilesHost(), z.Edit()) << "opening and closing the list chooses nothing";
}

TEST(HomeFolderPage, HomeFoldersWithoutADriveLetter) {
  // From the registry or "-d": the edit keeps the text, the list shows the
  // default folder's drive, and Next tests the text as usual.
  const struct {
    const char* home;
    const char* afterNext;
  } cases[] = {
      {"\\\\srv\\share\\dir\\", "\\\\srv\\share\\dir"},
      {"Apps\\Data", ""},  // no drive: the chosen drive's host folder
  };
  for (const auto& c : cases) {
    Wiz z(c.home);
    ASSERT_TRUE(z.w) << c.home;
    ASSERT_TRUE(z.ToHomePage()) << c.home;
    EXPECT_EQ(c.home, z.Edit());
    EXPECT_EQ(ProgramFilesShown(), z.ListSelected()) << c.home;
    ASSERT_TRUE(z.w.Press("&Next >"));
    MsgBox refusal = z.run.WaitMessageBox();
    ASSERT_TRUE(refusal) << c.home;
    const string expected = *c.afterNext ? c.afterNext : string(1, Lower(ProgramFiles()[0])) + ":\\Quillora";
    EXPECT_EQ(expected, z.Edit()) << c.home;
    vector<string> b = refusal.Buttons();
    ASSERT_FALSE(b.empty());
    refusal.Press(b[0]);
    EXPECT_TRUE(z.w.WaitTitle(kHomeTitle)) << c.home;
  }
}

}  // namespace
