// The driver against a small wizard-like program of its own (driverprobe.exe)
// and the stand-in host: the same cross-process paths that scenarios use.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "Driver.h"

using namespace e2e;

namespace {

const char kProbeCaption[] = "Driver Probe";

std::string ProbeExe() { return Join(ThisExeFolder(), "driverprobe.exe"); }

// Collects driver failures instead of failing the test, for the cases that
// check how the driver reports.
struct CapturedFailures {
  std::vector<std::string> messages;
  CapturedFailures() {
    SetFailureHandler([this](const std::string& m) { messages.push_back(m); });
  }
  ~CapturedFailures() {
    SetFailureHandler([](const std::string& m) { ADD_FAILURE() << m; });
  }
  std::string All() const {
    std::string r;
    for (const std::string& m : messages) r += m + "\n";
    return r;
  }
};

struct Probe {
  SetupRun run;
  Wizard w;
  Probe() : run(SetupRun::Start(ProbeExe())) {
    Window win = run.WaitWindow(kProbeCaption);
    w = Wizard(win.Hwnd());
  }
};

// Quits the probe through its close question; the exit code says it did.
void QuitProbe(Probe& p) {
  p.w.Press("Cancel");
  MsgBox mb = p.run.WaitMessageBox(5s, kProbeCaption);
  mb.Press("Yes");
  EXPECT_EQ(3, p.run.WaitExit());
}

// Minimal reader for the PNGs the driver writes (RGB, filter 0 rows).
struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> raw;
  uint32_t Pixel(int x, int y) const {
    const uint8_t* p = &raw[static_cast<size_t>(y) * (width * 3 + 1) + 1 + static_cast<size_t>(x) * 3];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  }
};
uint32_t Be32(const std::string& s, size_t at) {
  return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) | (uint32_t(uint8_t(s[at + 2])) << 8) |
         uint8_t(s[at + 3]);
}
std::optional<Image> ReadPng(const std::string& path) {
  std::optional<std::string> f = ReadWholeFile(path);
  if (!f || f->compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0) return std::nullopt;
  Image img;
  std::string idat;
  for (size_t at = 8; at + 12 <= f->size();) {
    uint32_t len = Be32(*f, at);
    std::string type = f->substr(at + 4, 4);
    std::string data = f->substr(at + 8, len);
    uint32_t crc = Be32(*f, at + 8 + len);
    std::string body = f->substr(at + 4, 4 + len);
    if (crc != crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))) return std::nullopt;
    if (type == "IHDR") {
      img.width = static_cast<int>(Be32(data, 0));
      img.height = static_cast<int>(Be32(data, 4));
    }
    if (type == "IDAT") idat += data;
    at += 12 + len;
  }
  uLongf size = static_cast<uLongf>(img.height) * (img.width * 3 + 1);
  img.raw.resize(size);
  if (uncompress(img.raw.data(), &size, reinterpret_cast<const Bytef*>(idat.data()), static_cast<uLong>(idat.size())) !=
          Z_OK ||
      size != img.raw.size())
    return std::nullopt;
  return img;
}

}  // namespace

TEST(Driver, PagesMoveWithButtonsAndStateIsRead) {
  Probe p;
  ASSERT_TRUE(p.w);
  struct Step {
    const char* press;
    const char* title;
    bool backVisible;
  } steps[] = {
      {nullptr, "Page 0", false}, {"&Next >", "Page 1", true}, {"&Next >", "Page 2", true},
      {"< &Back", "Page 1", true}, {"< &Back", "Page 0", false},
  };
  for (const Step& s : steps) {
    if (s.press) p.w.Press(s.press);
    // No waiting: Press returns once the click was handled.
    EXPECT_EQ(s.title, p.w.Title()) << "after " << (s.press ? s.press : "start");
    EXPECT_EQ(s.backVisible, p.w.ButtonVisible("< &Back")) << "on " << s.title;
    EXPECT_TRUE(p.w.HasStatic(std::string("Text of page ") + (s.title + 5)));
  }
  EXPECT_FALSE(p.w.ButtonEnabled("&Disabled"));
  // Hidden labels and the title are not page texts.
  for (const std::string& t : p.w.PageTexts()) {
    EXPECT_NE("Hidden text", t);
    EXPECT_NE("Page 0", t);
  }
  QuitProbe(p);
}

TEST(Driver, EnterPressesTheDefaultButtonEscapeTheCancelButton) {
  Probe p;
  ASSERT_TRUE(p.w);
  p.w.Key(VK_RETURN);
  EXPECT_EQ("Page 1", p.w.Title());
  p.w.Key(VK_ESCAPE);
  MsgBox mb = p.run.WaitMessageBox(5s, kProbeCaption);
  ASSERT_TRUE(mb);
  EXPECT_EQ("Quit the probe?", mb.Text());
  // A task-modal box disables the window below it: pressing there must fail.
  {
    CapturedFailures f;
    EXPECT_FALSE(p.w.Press("&Next >"));
    EXPECT_NE(std::string::npos, f.All().find("disabled")) << f.All();
  }
  mb.Press("No");  // "No" finds "&No"
  EXPECT_TRUE(mb.WaitGone(5s));
  EXPECT_EQ("Page 1", p.w.Title());
  p.w.CloseBox();
  mb = p.run.WaitMessageBox(5s, kProbeCaption);
  ASSERT_TRUE(mb);
  mb.Key(VK_RETURN);  // the first button, Yes, is the default
  EXPECT_EQ(3, p.run.WaitExit());
}

TEST(Driver, MessageBoxTextAndAnswerReachTheProgram) {
  Probe p;
  ASSERT_TRUE(p.w);
  p.w.Press("&Next >");
  p.w.Press("&Next >");
  p.w.Press("&Next >");
  MsgBox mb = p.run.WaitMessageBox(5s, kProbeCaption);
  ASSERT_TRUE(mb);
  EXPECT_EQ("Finish now?\rReally", mb.Text());
  std::vector<std::string> buttons = mb.Buttons();
  EXPECT_EQ((std::vector<std::string>{"&Yes", "&No"}), buttons);
  mb.Press("&Yes");
  EXPECT_EQ(7, p.run.WaitExit());
}

TEST(Driver, EditMemoCheckBoxAndKeys) {
  Probe p;
  ASSERT_TRUE(p.w);
  EXPECT_TRUE(p.w.SetEditText("D:\\Apps"));
  EXPECT_EQ("D:\\Apps", p.w.EditText());
  p.w.Edit().Click();  // focus, caret where the click lands
  EXPECT_TRUE(p.w.Edit().Focused());
  p.w.Key(VK_END);
  p.w.Type("\\Sub Dir:x");
  EXPECT_EQ("D:\\Apps\\Sub Dir:x", p.w.EditText());
  EXPECT_EQ("line one\r\nline two", p.w.Memo().Text());

  EXPECT_FALSE(p.w.Ticked("I &accept"));
  p.w.Tick("I &accept", true);
  EXPECT_TRUE(p.w.Ticked("I &accept"));
  EXPECT_TRUE(p.w.HasStatic("Tick: 1"));
  p.w.Tick("I &accept", true);  // already ticked: no click
  EXPECT_TRUE(p.w.Ticked("I &accept"));
  p.w.Button("&Next >").Click();  // a real click moves the focus off the edit
  EXPECT_EQ("Page 1", p.w.Title());
  p.w.AltKey('a');  // the mnemonic of the check box
  EXPECT_FALSE(p.w.Ticked("I &accept"));
  EXPECT_TRUE(p.w.HasStatic("Tick: 0"));
  QuitProbe(p);
}

TEST(Driver, ListAndComboItemsAndClicks) {
  Probe p;
  ASSERT_TRUE(p.w);
  Control list = p.w.ListBox();
  ASSERT_TRUE(list);
  std::vector<std::string> items = list.Items();
  ASSERT_EQ(20u, items.size());
  EXPECT_EQ("alpha", items[0]);
  EXPECT_EQ("\xC9ire", items[2]);  // beyond ASCII, through the wide message
  EXPECT_EQ("item 19", items[19]);
  EXPECT_EQ(-1, list.Selection());

  struct Click {
    int index;
    bool dbl;
    const char* label;
  } clicks[] = {{2, false, "List: \xC9ire"}, {1, true, "Dbl: beta"}, {17, false, "List: item 17"}};
  for (const Click& c : clicks) {
    list.ClickItem(c.index, c.dbl);
    EXPECT_EQ(c.index, list.Selection()) << c.label;
    EXPECT_TRUE(p.w.HasStatic(c.label)) << c.label << "; labels: " << ::testing::PrintToString(p.w.Statics());
  }

  Control combo = p.w.ComboBox();
  ASSERT_TRUE(combo);
  EXPECT_EQ((std::vector<std::string>{"c:", "d:", "e:"}), combo.Items());
  combo.SelectItem(1);
  EXPECT_EQ("d:", combo.SelectedText());
  EXPECT_TRUE(p.w.HasStatic("Combo: d:"));
  QuitProbe(p);
}

TEST(Driver, ScreenshotHoldsWhatIsOnTheScreen) {
  Probe p;
  ASSERT_TRUE(p.w);
  std::string path = p.w.Screenshot("driver-selftest-probe");
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(Join(Join(BuildFolder(), "screenshots"), "driver-selftest-probe.png"), path);
  std::optional<Image> img = ReadPng(path);
  ASSERT_TRUE(img) << "not a readable PNG: " << path;
  RECT r = p.w.ScreenRect();
  EXPECT_EQ(r.right - r.left, img->width);
  EXPECT_EQ(r.bottom - r.top, img->height);
  // Client (0,0) of the probe is white, client (5,200) green.
  POINT band{5, 5}, page{5, 200};
  ClientToScreen(p.w.Hwnd(), &band);
  ClientToScreen(p.w.Hwnd(), &page);
  EXPECT_EQ(0xFFFFFFu, img->Pixel(band.x - r.left, band.y - r.top));
  EXPECT_EQ(0x008000u, img->Pixel(page.x - r.left, page.y - r.top));
  QuitProbe(p);
}

TEST(Driver, FailuresNameWhatWasAwaitedAndWhatWasThere) {
  Probe p;
  ASSERT_TRUE(p.w);
  struct Case {
    const char* name;
    std::function<void()> act;
    std::vector<const char*> says;
  } cases[] = {
      {"absent button", [&] { p.w.Press("Nope"); }, {"Nope", "no visible button", "&Next >"}},
      {"disabled button", [&] { p.w.Press("&Disabled"); }, {"&Disabled", "disabled"}},
      {"absent window", [&] { p.run.WaitWindow("Absent", 300ms); }, {"Absent", "300 ms", kProbeCaption}},
      {"no message box", [&] { p.run.WaitMessageBox(300ms, kProbeCaption); }, {"message box", "Page 0"}},
      {"no wizard", [&] { p.run.WaitWizard(300ms); }, {SetupTitle, kProbeCaption}},
      {"absent check box", [&] { p.w.Tick("Nothing", true); }, {"Nothing", "I &accept"}},
  };
  for (const Case& c : cases) {
    CapturedFailures f;
    c.act();
    ASSERT_EQ(1u, f.messages.size()) << c.name << ": " << f.All();
    for (const char* s : c.says) EXPECT_NE(std::string::npos, f.messages[0].find(s)) << c.name << ": " << f.All();
  }
  {
    CapturedFailures f;
    EXPECT_EQ(-1, p.run.WaitExit(500ms));
    EXPECT_NE(std::string::npos, f.All().find("did not end")) << f.All();
  }
  EXPECT_FALSE(p.run.Running());  // killed by the time-out
}

TEST(Driver, StandInHostRecordsHowItWasStarted) {
  Sandbox box("host");
  std::string home = box / "Home With Blanks";
  std::string qlr = InstallStandInHost(home);
  ASSERT_FALSE(qlr.empty());
  std::string log = box / "started.txt";
  SetHostEnvironment(log, 0);
  std::string workDir = box / "Work Dir";
  MakeFolders(workDir);
  {
    // Started as the setup starts it: the quoted path, no arguments.
    SetupRun host = SetupRun::StartRaw(qlr, "", workDir);
    std::optional<HostStart> s = WaitHostStarted(log);
    ASSERT_TRUE(s);
    EXPECT_EQ("\"" + qlr + "\"", s->commandLine);
    EXPECT_EQ(workDir, s->currentDir);
    EXPECT_TRUE(WaitHostWindow(5s));
    EXPECT_TRUE(CloseHostWindows());
    EXPECT_EQ(0, host.WaitExit());
  }
  {
    // The time-out from the environment closes it by itself.
    SetHostEnvironment(log, 300);
    SetupRun host = SetupRun::Start(qlr);
    EXPECT_EQ(0, host.WaitExit(10s));
  }
  SetHostEnvironment("", 0);
  {
    // Without QLR_LOG it records beside itself; --running records nothing.
    SetupRun running = StartHost(qlr, true);
    EXPECT_FALSE(HostWindows().empty());
    EXPECT_FALSE(FileExists(HostLogBeside(home)));
    EXPECT_TRUE(CloseHostWindows());
    SetupRun plain = StartHost(qlr, false);
    EXPECT_TRUE(WaitHostStarted(HostLogBeside(home), 5s));
    EXPECT_TRUE(CloseHostWindows());
    EXPECT_EQ(0, plain.WaitExit());
  }
  EXPECT_TRUE(HostWindows().empty());
}

TEST(Driver, RegistryAndFileHelpers) {
  reg::DeleteKey();
  EXPECT_FALSE(reg::KeyExists());
  EXPECT_FALSE(reg::String("MAINDIR"));
  ASSERT_TRUE(reg::SetString("MAINDIR", "C:\\Program Files\\Quillora"));
  ASSERT_TRUE(reg::SetDword("LAUNCH", 0));
  EXPECT_EQ("C:\\Program Files\\Quillora", reg::String("MAINDIR").value_or("(none)"));
  EXPECT_EQ(0u, reg::Dword("LAUNCH").value_or(99));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), reg::Type("MAINDIR").value_or(0));
  EXPECT_FALSE(reg::Dword("MAINDIR"));  // not a DWORD
  EXPECT_NE(std::string::npos, reg::Describe().find("LAUNCH = REG_DWORD 0")) << reg::Describe();
  EXPECT_TRUE(reg::DeleteValue("LAUNCH"));
  EXPECT_FALSE(reg::Dword("LAUNCH"));
  EXPECT_TRUE(reg::DeleteKey());
  EXPECT_FALSE(reg::KeyExists());

  EXPECT_FALSE(CommonAppData().empty());
  EXPECT_FALSE(Documents().empty());
  EXPECT_FALSE(ProgramFiles().empty());
  EXPECT_EQ(Join(BuildFolder(), "Setup.exe"), SetupExePath());

  std::string kept;
  {
    Sandbox box("files");
    kept = box.Path();
    EXPECT_NE(std::string::npos, kept.find(' '));
    ASSERT_TRUE(MakeFolders(box / "a\\b"));
    ASSERT_TRUE(WriteWholeFile(box / "a\\b\\x.txt", std::string("1\r\n2\0", 5)));
    ASSERT_TRUE(WriteWholeFile(box / "top.txt", ""));
    EXPECT_EQ((std::vector<std::string>{"a\\", "top.txt"}), ListFolder(box.Path()));
    EXPECT_EQ((std::vector<std::string>{"a\\b\\x.txt", "top.txt"}), ListTree(box.Path()));
    EXPECT_EQ(std::string("1\r\n2\0", 5), ReadWholeFile(box / "a\\b\\x.txt").value_or("(none)"));
    EXPECT_FALSE(ReadWholeFile(box / "none"));
    EXPECT_NE(0u, FileWriteTime(box / "top.txt"));
    EXPECT_TRUE(WaitForFile(box / "top.txt", 100ms));
    EXPECT_FALSE(WaitForFile(box / "none", 100ms));
  }
  EXPECT_FALSE(FolderExists(kept));
}
