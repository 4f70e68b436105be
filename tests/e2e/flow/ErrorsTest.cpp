// A shared installation whose destination files are held open by another
// program: Abort ends the wizard at once (the settings are still saved at
// exit), Retry tries the same file again, Ignore goes on without it. The
// last page then ignores Escape, and its close box asks before quitting.
#include <gtest/gtest.h>

#include "FlowKit.h"
#include "LockerClient.h"

using namespace flow;

namespace {

const char* const kLockedText = "locked by another program";

bool MentionsFile(const MsgBox& box, const std::string& name) {
  return box && box.Text().find(name) != std::string::npos;
}

}  // namespace

TEST(Errors, AbortOnTheThirdFile) {
  CleanPrefix clean;
  Home home;
  ASSERT_TRUE(MakeFolders(Join(SharedRoot(), "Hidden")));
  const std::string spell = PublicFolder("Spellcheck");
  ASSERT_TRUE(MakeFolders(spell));
  ASSERT_TRUE(WriteWholeFile(Join(spell, "ga_IE.dic"), kLockedText));
  fixture::LockedFile lock;
  ASSERT_TRUE(lock.Lock(Join(spell, "ga_IE.dic")));

  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  ASSERT_TRUE(NextTo(w, 0, 3));
  ASSERT_TRUE(w.Press("&Next >"));
  MsgBox box = run.WaitMessageBox(20s);
  ASSERT_TRUE(MentionsFile(box, "ga_IE.dic")) << Printable(box.Text());
  EXPECT_EQ(std::vector<std::string>({"&Abort", "&Retry", "&Ignore"}), box.Buttons());
  w.Screenshot("errors-page4-box");
  EXPECT_FALSE(w.ButtonEnabled("< &Back"));
  EXPECT_FALSE(w.ButtonEnabled("&Next >"));
  box.Press("&Abort");
  EXPECT_EQ(0, run.WaitExit(20s)) << "Abort closes the wizard without the close question";
  lock.Release();

  EXPECT_TRUE(FileExists(Join(spell, "Irish.asc")));
  EXPECT_TRUE(FileExists(Join(spell, "hunspell.dll")));
  EXPECT_EQ(kLockedText, ReadWholeFile(Join(spell, "ga_IE.dic")).value_or("(missing)"));
  for (const char* later : {"ga_IE.aff", "userdicir.tlx", "Irish.hyph", "Irish.thes"})
    EXPECT_FALSE(FileExists(Join(spell, later))) << later << " written after Abort";
  EXPECT_FALSE(FileExists(StampPath()));
  EXPECT_FALSE(FileExists(LogPath()));
  EXPECT_EQ(home.path, reg::String("MAINDIR").value_or("(none)")) << "the settings are saved at exit";
  EXPECT_EQ(1u, reg::Dword("LAUNCH").value_or(99));
  EXPECT_TRUE(SetupTempFiles().empty());
}

TEST(Errors, RetryIgnoreThenTheLastPageClosesOnlyOnYes) {
  CleanPrefix clean;
  Home home;
  ASSERT_TRUE(MakeFolders(Join(SharedRoot(), "Hidden")));
  const std::string spell = PublicFolder("Spellcheck");
  ASSERT_TRUE(MakeFolders(spell));
  ASSERT_TRUE(WriteWholeFile(Join(spell, "ga_IE.dic"), kLockedText));
  fixture::LockedFile dicLock, thesLock;
  ASSERT_TRUE(dicLock.Lock(Join(spell, "ga_IE.dic")));
  ASSERT_TRUE(thesLock.Lock(Join(spell, "Irish.thes")));
  SetHostEnvironment("", 3000);

  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home.path});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  ASSERT_TRUE(NextTo(w, 0, 3));
  ASSERT_TRUE(w.Press("&Next >"));

  MsgBox box = run.WaitMessageBox(20s);
  ASSERT_TRUE(MentionsFile(box, "ga_IE.dic")) << Printable(box.Text());
  box.Press("&Retry");  // still locked: asked again
  ASSERT_TRUE(box.WaitGone());
  box = run.WaitMessageBox(20s);
  ASSERT_TRUE(MentionsFile(box, "ga_IE.dic")) << Printable(box.Text());
  box.Press("&Ignore");
  ASSERT_TRUE(box.WaitGone());
  box = run.WaitMessageBox(20s);
  ASSERT_TRUE(MentionsFile(box, "Irish.thes")) << Printable(box.Text());
  ASSERT_TRUE(thesLock.Release());
  box.Press("&Retry");
  ASSERT_TRUE(w.WaitTitle(kTitles[5], 20s)) << "Ignore counts as done; the run reaches its last page";
  dicLock.Release();
  EXPECT_EQ(kLockedText, ReadWholeFile(Join(spell, "ga_IE.dic")).value_or("(missing)"));
  EXPECT_EQ(Entry("Irish.thes").data, ReadWholeFile(Join(spell, "Irish.thes")).value_or("(missing)"));

  // Cancel is disabled here, so Escape does nothing.
  EXPECT_FALSE(w.ButtonEnabled("Cancel"));
  ASSERT_TRUE(w.Key(VK_ESCAPE));
  SyncWith(w.Hwnd());
  EXPECT_FALSE(run.FindMessageBox()) << "Escape on the last page opened a box";
  EXPECT_EQ(kTitles[5], w.Title());

  // The close box still asks; No stays, Yes quits without Finish.
  ASSERT_TRUE(w.CloseBox());
  box = run.WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_TRUE(IsCloseQuestion(box.Text())) << Printable(box.Text());
  box.Press("&No");
  ASSERT_TRUE(box.WaitGone());
  EXPECT_EQ(kTitles[5], w.Title());
  ASSERT_TRUE(w.CloseBox());
  box = run.WaitMessageBox();
  ASSERT_TRUE(box);
  box.Press("&Yes");
  EXPECT_EQ(0, run.WaitExit(20s));

  EXPECT_FALSE(FileExists(StampPath())) << "quitting on the last page records nothing";
  EXPECT_FALSE(FileExists(LogPath()));
  Sleep(1000);
  EXPECT_FALSE(FileExists(HostLogBeside(home.path))) << "nor starts the host";
  EXPECT_EQ(home.path, reg::String("MAINDIR").value_or("(none)")) << "the run began: settings saved at exit";
  SetHostEnvironment("", 0);
}
