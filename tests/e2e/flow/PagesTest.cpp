// Moving between the pages: the running host, the close question on every
// page, the refused licence, folders without the host, the "-d" option and
// the remembered launch choice.
#include <gtest/gtest.h>

#include "FlowKit.h"

using namespace flow;

namespace {

const char* const kHostRunningText =
    "There are running instances of Quillora Word Processor on your computer.\r\n"
    "Please close any running instance(s) of Quillora Word Processor before proceeding.";
const char* const kLicenceText =
    "To install this program, you need to agree to all the terms\r\n"
    "of the Quillora Word Processor License Agreement.\r\n"
    "Do you really want to cancel the Quillora Spellchecker install?";
const char* const kNoHostText =
    "The specified folder does not contain a properly installed Quillora Word Processor.\r\n"
    "Please specify the proper home folder of Quillora Word Processor on your hard disk.";
const char* const kCloseText =
    "Setup is not complete. If you quit this setup program now,\r\n"
    "the Quillora Irish Spellchecker will not be correctly installed.\r\n\r\n"
    "You may relaunch the setup program at a later time\r\n"
    "to complete the installation of the Quillora Irish Spellchecker.\r\n\r\n"
    "To continue installing, click No.\r\n"
    "To quit this setup program, click Yes.";
const char* const kLaunchBox = "&Launch Quillora Word Processor";

// Message boxes show bare CRs as line breaks; compare their text with CR LF.
std::string WithCrLf(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    out += s[i];
    if (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n')) out += '\n';
  }
  return out;
}

// Answers the box that must be open now; returns its text.
std::string Answer(SetupRun& run, const std::string& button, std::vector<std::string>* buttons = nullptr) {
  MsgBox box = run.WaitMessageBox();
  if (!box) return "(no box)";
  const std::string text = WithCrLf(box.Text());
  if (buttons) *buttons = box.Buttons();
  box.Press(button);
  box.WaitGone();
  return text;
}

// The edit of the home folder page, also while that page is hidden.
std::string HomeEditText(const Wizard& w) {
  for (const WindowInfo& c : w.Descendants())
    if (c.className == "Edit" && !(c.style & ES_MULTILINE)) return Control(c.hwnd).Text();
  return "(no edit)";
}

int LaunchBoxState(const Wizard& w) { return w.FindChild("Button", kLaunchBox, false).CheckState(); }

}  // namespace

TEST(Pages, RunningHostBlocksTheLicenceAndTheInstallation) {
  CleanPrefix clean;
  Home home;
  SetupRun host = StartHost(home.qlr, true);
  ASSERT_TRUE(host);

  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  ASSERT_TRUE(w.Press("&Next >"));
  std::vector<std::string> buttons;
  EXPECT_EQ(kHostRunningText, Answer(run, "OK", &buttons));
  EXPECT_EQ(std::vector<std::string>({"OK"}), buttons);
  EXPECT_EQ(kTitles[0], w.Title());
  EXPECT_TRUE(w.ButtonEnabled("&Next >"));
  EXPECT_TRUE(w.ButtonEnabled("Cancel"));

  ASSERT_TRUE(CloseHostWindows());
  host.WaitExit();
  ASSERT_TRUE(NextTo(w, 0, 1));
  EXPECT_FALSE(w.Memo().Text().empty()) << "the licence is loaded once the host is gone";
  ASSERT_TRUE(NextTo(w, 1, 3));

  SetupRun again = StartHost(home.qlr, true);
  ASSERT_TRUE(again);
  ASSERT_TRUE(w.Press("&Next >"));
  EXPECT_EQ(kHostRunningText, Answer(run, "OK"));
  EXPECT_EQ(kTitles[3], w.Title()) << "the installation must not start";
  EXPECT_FALSE(FolderExists(PublicFolder("Spellcheck")));
  ASSERT_TRUE(CloseHostWindows());
  again.WaitExit();

  ASSERT_TRUE(w.Press("Cancel"));
  EXPECT_EQ(kCloseText, Answer(run, "&Yes"));
  EXPECT_EQ(0, run.WaitExit());
  EXPECT_TRUE(reg::KeyExists());
  EXPECT_FALSE(reg::String("MAINDIR")) << "no run began: nothing saved; " << reg::Describe();
}

// Every page but the last keeps its state when the user chooses to go on,
// whether asked through Cancel, Escape or the close box; the buttons show
// what the page allows.
TEST(Pages, CloseQuestionOnEveryPage) {
  CleanPrefix clean;
  Home home;
  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  struct Row {
    bool backVisible, backEnabled, nextEnabled, cancelEnabled;
  };
  const Row rows[4] = {{false, true, true, true}, {true, true, true, true}, {true, true, true, true},
                       {true, true, true, true}};
  for (int page = 0; page < 4; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    ASSERT_TRUE(w.WaitTitle(kTitles[page]));
    w.Screenshot("pages-close-page" + std::to_string(page));
    EXPECT_EQ(rows[page].backVisible, w.ButtonVisible("< &Back"));
    if (rows[page].backVisible) {
      EXPECT_EQ(rows[page].backEnabled, w.ButtonEnabled("< &Back"));
    }
    EXPECT_EQ(rows[page].nextEnabled, w.ButtonEnabled("&Next >"));
    EXPECT_EQ(rows[page].cancelEnabled, w.ButtonEnabled("Cancel"));

    ASSERT_TRUE(w.Press("Cancel"));
    std::vector<std::string> buttons;
    EXPECT_EQ(kCloseText, Answer(run, "&No", &buttons));
    EXPECT_EQ(std::vector<std::string>({"&Yes", "&No"}), buttons);
    ASSERT_TRUE(w.CloseBox());
    EXPECT_EQ(kCloseText, Answer(run, "&No"));
    ASSERT_TRUE(w.Key(VK_ESCAPE));
    EXPECT_EQ(kCloseText, Answer(run, "&No"));
    EXPECT_TRUE(run.Running());
    EXPECT_EQ(kTitles[page], w.Title());
    if (page == 2) {
      EXPECT_EQ(home.path, w.EditText()) << "the folder text is kept";
    }
    if (page < 3) {
      ASSERT_TRUE(w.Press("&Next >"));
    }
  }
  ASSERT_TRUE(w.CloseBox());
  EXPECT_EQ(kCloseText, Answer(run, "&Yes"));
  EXPECT_EQ(0, run.WaitExit());
  EXPECT_FALSE(reg::String("MAINDIR")) << reg::Describe();

  // Cancel and Yes on the first page.
  SetupRun second = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w2 = second.WaitWizard();
  ASSERT_TRUE(w2);
  ASSERT_TRUE(w2.Press("Cancel"));
  EXPECT_EQ(kCloseText, Answer(second, "&Yes"));
  EXPECT_EQ(0, second.WaitExit());
  EXPECT_FALSE(reg::String("MAINDIR")) << reg::Describe();
  EXPECT_TRUE(SetupTempFiles().empty());
}

TEST(Pages, RefusedLicence) {
  CleanPrefix clean;
  Home home;
  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  ASSERT_TRUE(NextTo(w, 0, 1));
  ASSERT_TRUE(w.Tick("I &accept all the terms of the above License Agreement", false));
  ASSERT_TRUE(w.Press("&Next >"));
  std::vector<std::string> buttons;
  EXPECT_EQ(kLicenceText, Answer(run, "&No", &buttons));
  EXPECT_EQ(std::vector<std::string>({"&Yes", "&No"}), buttons);
  EXPECT_EQ(kTitles[1], w.Title());
  ASSERT_TRUE(w.Press("&Next >"));
  EXPECT_EQ(kLicenceText, Answer(run, "&Yes"));
  EXPECT_EQ(0, run.WaitExit()) << "Yes ends the wizard without the close question";
  EXPECT_FALSE(reg::String("MAINDIR")) << reg::Describe();
}

TEST(Pages, FolderWithoutTheHostIsRefused) {
  CleanPrefix clean;
  Home home;
  Sandbox other("flow other");
  ASSERT_TRUE(MakeFolders(other / "empty"));
  ASSERT_TRUE(MakeFolders(other / "folder named qlr\\qlr.exe"));
  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  ASSERT_TRUE(NextTo(w, 0, 2));
  for (const std::string& folder : {other / "empty", other / "folder named qlr"}) {
    ASSERT_TRUE(w.SetEditText(folder));
    ASSERT_TRUE(w.Press("&Next >"));
    EXPECT_EQ(kNoHostText, Answer(run, "OK")) << folder;
    EXPECT_EQ(kTitles[2], w.Title()) << folder;
    EXPECT_EQ(folder, w.EditText());
  }
  ASSERT_TRUE(w.SetEditText(home.path));
  ASSERT_TRUE(NextTo(w, 2, 3));
  ASSERT_TRUE(w.Press("< &Back"));
  ASSERT_TRUE(w.WaitTitle(kTitles[2]));
  EXPECT_FALSE(run.FindMessageBox()) << "Back from the ready page asks nothing";
  EXPECT_EQ(home.path, w.EditText());
  ASSERT_TRUE(NextTo(w, 2, 3));
  ASSERT_TRUE(w.CloseBox());
  Answer(run, "&Yes");
  EXPECT_EQ(0, run.WaitExit());
}

// The home folder from the registry, the default or "-d", and the launch
// box from LAUNCH.
TEST(Pages, HomeFolderOptionAndLaunchChoice) {
  CleanPrefix clean;
  Sandbox box("flow option");
  const std::string stored = box / "stored";
  ASSERT_TRUE(MakeFolders(stored));
  // A folder without blanks, so it can follow "-d" unquoted.
  const std::string plain = TempFolder() + "\\flowplain" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(MakeFolders(plain));
  const std::string withBlanks = box / "with blanks";
  ASSERT_TRUE(MakeFolders(withBlanks));
  const std::string defaultHome = Join(ProgramFiles(), "Quillora");
  const std::string gone = box / "no longer there";
  struct Case {
    const char* what;
    std::string mainDir;  // empty: no MAINDIR value
    int launch;  // -1: no LAUNCH value
    std::string args;
    std::string expectedHome;
    int expectedBox;
  };
  const Case cases[] = {
      {"no settings yet", "", -1, "", defaultHome, BST_CHECKED},
      {"stored folder, LAUNCH 0", stored, 0, "", stored, BST_UNCHECKED},
      {"LAUNCH 1", stored, 1, "", stored, BST_CHECKED},
      {"stored folder no longer there", gone, 1, "", defaultHome, BST_CHECKED},
      {"-d unquoted", stored, 0, "-d" + plain, plain, BST_UNCHECKED},
      {"-d quoted whole", stored, 1, "\"-d" + withBlanks + "\"", withBlanks, BST_CHECKED},
      {"-d with the folder quoted", stored, 1, "-d\"" + withBlanks + "\"", withBlanks, BST_CHECKED},
      {"-D is no option", stored, 1, "-D" + plain, stored, BST_CHECKED},
      {"-d in the second parameter", stored, 1, "/x -d" + plain, stored, BST_CHECKED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reg::DeleteKey();
    if (!c.mainDir.empty()) {
      ASSERT_TRUE(reg::SetString("MAINDIR", c.mainDir));
    }
    if (c.launch >= 0) {
      ASSERT_TRUE(reg::SetDword("LAUNCH", static_cast<DWORD>(c.launch)));
    }
    SetupRun run = SetupRun::StartRaw(SetupExePath(), c.args);
    Wizard w = run.WaitWizard();
    ASSERT_TRUE(w);
    EXPECT_EQ(c.expectedHome, HomeEditText(w));
    EXPECT_EQ(c.expectedBox, LaunchBoxState(w));
    ASSERT_TRUE(w.CloseBox());
    Answer(run, "&Yes");
    EXPECT_EQ(0, run.WaitExit());
    EXPECT_EQ(c.mainDir.empty() ? std::string("(none)") : c.mainDir, reg::String("MAINDIR").value_or("(none)"))
        << "nothing is written before an installation run";
  }
  RemoveTree(plain);
}
