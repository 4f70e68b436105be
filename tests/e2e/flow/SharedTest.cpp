// Shared installations: the first one step by step, the choice of the
// dictionary folders, the update log merged with earlier runs, and a log
// that is locked while Finish runs.
#include <gtest/gtest.h>

#include <cstring>

#include "DosTime.h"
#include "FlowKit.h"
#include "LockerClient.h"

using namespace flow;

namespace {

std::string Normalised(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// The lines a run writes into `folder`, as the log names them.
std::vector<std::string> InstalledLines(const std::string& folder) {
  std::vector<std::string> lines;
  for (const char* name : kDictNames)
    lines.push_back(Join(folder, name) + (std::strcmp(name, "userdicir.tlx") == 0 ? "\t!" : ""));
  return lines;
}

std::string ShowLines(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += "  " + Printable(l) + "\n";
  return s;
}

TDateTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDateTime({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

void ExpectPayloadFiles(const std::string& folder, const char* what) {
  for (const char* name : kDictNames) {
    const PayloadEntry& e = Entry(name);
    const std::string path = Join(folder, name);
    EXPECT_EQ(e.data, ReadWholeFile(path).value_or("(missing)")) << what << ": content of " << path;
    EXPECT_EQ(e.modTime, ModTime(path)) << what << ": time of " << path;
  }
}

// Welcome to Finish with the launch box as given; returns the exit code.
int InstallAndFinish(const Home& home, bool launch, const std::string& tag) {
  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  if (!w || !NextTo(w, 0, 5, tag)) return -1;
  w.Tick("&Launch Quillora Word Processor", launch);
  w.Press("&Finish");
  return run.WaitExit(20s);
}

}  // namespace

TEST(Shared, FirstInstallationStepByStep) {
  ASSERT_EQ(7u + 3u, Payload().size()) << "payload of " << SetupExePath();
  CleanPrefix clean;
  Home home;
  ASSERT_FALSE(home.qlr.empty());
  ASSERT_TRUE(MakeFolders(Join(SharedRoot(), "Hidden")));  // the host's side keeps its stamp there
  SetHostEnvironment("", 3000);  // the started host records beside itself and goes after 3 s

  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  ASSERT_TRUE(w.WaitTitle(kTitles[0]));
  w.Screenshot("shared-first-page0");
  EXPECT_TRUE(reg::KeyExists()) << "the constructor's read creates the key";
  EXPECT_FALSE(reg::String("MAINDIR")) << reg::Describe();

  ASSERT_TRUE(NextTo(w, 0, 1, "shared-first"));
  EXPECT_EQ(Normalised(Entry("License.txt").data), Normalised(w.Memo().Text())) << "the licence text";
  EXPECT_TRUE(w.Ticked("I &accept all the terms of the above License Agreement"));

  ASSERT_TRUE(NextTo(w, 1, 2, "shared-first"));
  EXPECT_EQ(home.path, w.EditText());

  ASSERT_TRUE(NextTo(w, 2, 5, "shared-first"));
  const std::string spell = PublicFolder("Spellcheck");
  std::vector<std::string> expectedNames(std::begin(kDictNames), std::end(kDictNames));
  SortLikeTheLog(expectedNames);
  std::vector<std::string> names = ListFolder(spell);
  SortLikeTheLog(names);
  EXPECT_EQ(expectedNames, names) << "files in " << spell;
  ExpectPayloadFiles(spell, "first shared installation");
  EXPECT_FALSE(FolderExists(PublicFolder("Orthographe"))) << "Orthographe must not be created";
  EXPECT_FALSE(FileExists(StampPath())) << "nothing is recorded before Finish";
  EXPECT_FALSE(FileExists(LogPath()));
  EXPECT_TRUE(w.Ticked("&Launch Quillora Word Processor")) << "no LAUNCH value: ticked";

  ASSERT_TRUE(w.Press("&Finish"));
  EXPECT_EQ(0, run.WaitExit(20s));

  const std::string stamp = ReadWholeFile(StampPath()).value_or("");
  ASSERT_EQ(8u, stamp.size()) << "the stamp is the 8 bytes of the install time";
  double when;
  std::memcpy(&when, stamp.data(), 8);
  EXPECT_NEAR(LocalNow(), when, 5.0 / 1440) << "the stamp holds the local time of Finish";

  bool ended = false;
  const std::vector<std::string> log = SplitCrLf(ReadWholeFile(LogPath()).value_or(""), &ended);
  EXPECT_TRUE(ended) << "every line of the log ends with CR LF";
  std::vector<std::string> expected = InstalledLines(spell);
  SortLikeTheLog(expected);
  expected.insert(expected.begin(), "*" + Hex(stamp));
  EXPECT_EQ(expected, log) << "log:\n" << ShowLines(log) << "expected:\n" << ShowLines(expected);

  EXPECT_EQ(home.path, reg::String("MAINDIR").value_or("(none)"));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), reg::Type("MAINDIR").value_or(0));
  EXPECT_EQ(1u, reg::Dword("LAUNCH").value_or(99)) << reg::Describe();

  std::optional<HostStart> started = WaitHostStarted(HostLogBeside(home.path));
  ASSERT_TRUE(started) << "the host was not started";
  EXPECT_EQ("\"" + home.qlr + "\"", started->commandLine) << "started from its quoted path";
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_EQ(cwd, started->currentDir) << "the host inherits the setup's current folder";
  EXPECT_TRUE(SetupTempFiles().empty()) << "temporary files left behind";
  SetHostEnvironment("", 0);
}

// Which of "Spellcheck" and "Orthographe" already exist decides where the
// dictionaries go. A file locked in the second folder holds the run inside
// it, so the order of writing can be seen: Spellcheck first, complete.
TEST(Shared, FolderChoices) {
  struct Case {
    const char* what;
    bool spell, ortho;
  };
  const Case cases[] = {
      {"only Orthographe exists", false, true},
      {"both exist", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CleanPrefix clean;
    Home home;
    const std::string spell = PublicFolder("Spellcheck"), ortho = PublicFolder("Orthographe");
    if (c.spell) {
      ASSERT_TRUE(MakeFolders(spell));
    }
    ASSERT_TRUE(MakeFolders(ortho));
    // The user's words in a shared folder are replaced by the payload's empty file.
    ASSERT_TRUE(WriteWholeFile(Join(ortho, "userdicir.tlx"), "my own words\r\n"));
    fixture::LockedFile lock;
    ASSERT_TRUE(lock.Lock(Join(ortho, "Irish.asc")));

    SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
    Wizard w = run.WaitWizard();
    ASSERT_TRUE(w);
    ASSERT_TRUE(NextTo(w, 0, 3));
    ASSERT_TRUE(w.Press("&Next >"));
    MsgBox box = run.WaitMessageBox(20s);
    ASSERT_TRUE(box);
    EXPECT_NE(std::string::npos, box.Text().find("Irish.asc")) << Printable(box.Text());
    EXPECT_EQ(kTitles[4], w.Title());
    w.Screenshot(std::string("shared-choice-page4-") + (c.spell ? "both" : "ortho"));
    if (c.spell) {
      for (const char* name : kDictNames)
        EXPECT_TRUE(FileExists(Join(spell, name))) << name << " not written before Orthographe";
    }
    EXPECT_EQ(std::vector<std::string>({"Irish.asc", "userdicir.tlx"}), ListFolder(ortho))
        << "Orthographe before its first file";
    ASSERT_TRUE(lock.Release());
    box.Press("&Retry");
    ASSERT_TRUE(w.WaitTitle(kTitles[5], 20s));
    w.Tick("&Launch Quillora Word Processor", false);
    w.Press("&Finish");
    EXPECT_EQ(0, run.WaitExit(20s));

    if (c.spell) {
      ExpectPayloadFiles(spell, c.what);
    } else {
      EXPECT_FALSE(FolderExists(spell)) << "Spellcheck must not be created";
    }
    ExpectPayloadFiles(ortho, c.what);
    EXPECT_FALSE(FileExists(StampPath())) << "no Hidden folder: no stamp";
    EXPECT_FALSE(FolderExists(Join(SharedRoot(), "Hidden"))) << "the stamp's folder is not created";

    std::vector<std::string> expected;
    if (c.spell) expected = InstalledLines(spell);
    for (const std::string& l : InstalledLines(ortho)) expected.push_back(l);
    SortLikeTheLog(expected);
    std::vector<std::string> log = SplitCrLf(ReadWholeFile(LogPath()).value_or(""));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(17u, log[0].size()) << "marker " << log[0];
    log.erase(log.begin());
    EXPECT_EQ(expected, log) << "log:\n" << ShowLines(log) << "expected:\n" << ShowLines(expected);
  }
}

// An earlier log and this run's group: lines written again move to the new
// group; emptied groups go.
TEST(Shared, UpdateLogMerges) {
  const std::string spell = PublicFolder("Spellcheck");
  std::vector<std::string> I = InstalledLines(spell);
  SortLikeTheLog(I);
  const std::string x = Join(spell, "ga_IE.aff");
  const std::string old = Join(spell, "old.dic");  // not written by this run
  std::string X = x;
  for (char& ch : X) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  const std::string A = "*0000000010F9E540", K = "*000000000000F03F";
  const std::string N = "(new marker)";
  struct Case {
    const char* what;
    std::vector<std::string> before;
    std::vector<std::string> after;  // N stands for this run's marker, I for its lines
  };
  const Case cases[] = {
      {"N x y: the old group written again", {A, x, Join(spell, "ga_IE.dic")}, {N, "I"}},
      {"A x N y", {A, old, x}, {A, old, N, "I"}},
      {"A y N x", {A, x, K, old}, {A, old, N, "I"}},
      {"empty and case-different lines", {"", A, "", X, "", old, ""}, {A, old, N, "I"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CleanPrefix clean;
    Home home;
    ASSERT_TRUE(MakeFolders(Join(SharedRoot(), "Hidden")));
    std::string seeded;
    for (const std::string& l : c.before) seeded += l + "\r\n";
    ASSERT_TRUE(WriteWholeFile(LogPath(), seeded));

    ASSERT_EQ(0, InstallAndFinish(home, false, ""));

    const std::string stamp = ReadWholeFile(StampPath()).value_or("");
    ASSERT_EQ(8u, stamp.size());
    std::vector<std::string> expected;
    for (const std::string& l : c.after) {
      if (l == N) expected.push_back("*" + Hex(stamp));
      else if (l == "I") expected.insert(expected.end(), I.begin(), I.end());
      else expected.push_back(l);
    }
    std::vector<std::string> log = SplitCrLf(ReadWholeFile(LogPath()).value_or(""));
    EXPECT_EQ(expected, log) << "log:\n" << ShowLines(log) << "expected:\n" << ShowLines(expected);
  }
}

// Finish with the log held open by another program: the class library's
// error box, the wizard stays on its last page, and Finish works again
// once the log is free.
TEST(Shared, LockedLogAtFinish) {
  CleanPrefix clean;
  Home home;
  ASSERT_TRUE(MakeFolders(Join(SharedRoot(), "Hidden")));
  const std::string old = Join(PublicFolder("Spellcheck"), "old.dic");
  ASSERT_TRUE(WriteWholeFile(LogPath(), "*0000000010F9E540\r\n" + old + "\r\n"));
  SetHostEnvironment("", 3000);

  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  ASSERT_TRUE(NextTo(w, 0, 5));
  fixture::LockedFile lock;
  ASSERT_TRUE(lock.Lock(LogPath()));
  ASSERT_TRUE(w.Press("&Finish"));
  MsgBox box = run.WaitMessageBox(10s, "");
  ASSERT_TRUE(box);
  EXPECT_EQ("Exception EFOpenError", box.Text());
  w.Screenshot("shared-locked-log");
  box.Press("OK");
  ASSERT_TRUE(box.WaitGone());
  EXPECT_TRUE(run.Running());
  EXPECT_EQ(kTitles[5], w.Title()) << "the wizard stays on its last page";
  EXPECT_TRUE(w.ButtonEnabled("&Finish"));
  EXPECT_FALSE(FileExists(HostLogBeside(home.path))) << "the host is not started when Finish failed";
  EXPECT_FALSE(reg::String("MAINDIR")) << "nor are the settings saved: " << reg::Describe();

  ASSERT_TRUE(lock.Release());
  ASSERT_TRUE(w.Press("&Finish"));
  EXPECT_EQ(0, run.WaitExit(20s));
  const std::string stamp = ReadWholeFile(StampPath()).value_or("");
  ASSERT_EQ(8u, stamp.size());
  std::vector<std::string> expected = {"*0000000010F9E540", old, "*" + Hex(stamp)};
  std::vector<std::string> I = InstalledLines(PublicFolder("Spellcheck"));
  SortLikeTheLog(I);
  expected.insert(expected.end(), I.begin(), I.end());
  std::vector<std::string> log = SplitCrLf(ReadWholeFile(LogPath()).value_or(""));
  EXPECT_EQ(expected, log) << "log:\n" << ShowLines(log) << "expected:\n" << ShowLines(expected);
  EXPECT_TRUE(WaitHostStarted(HostLogBeside(home.path))) << "the second Finish starts the host";
  EXPECT_EQ(home.path, reg::String("MAINDIR").value_or("(none)"));
  SetHostEnvironment("", 0);
}
