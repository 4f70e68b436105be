// A portable installation: the host lives on a removable drive, so the
// dictionaries go below its own folder under per-file rules, and the shared
// records are not touched.
#include <gtest/gtest.h>

#include "DriveCtl.h"
#include "FlowKit.h"

using namespace flow;

namespace {

char FreeDriveLetter() {
  const DWORD used = GetLogicalDrives();
  for (char l = 'R'; l <= 'Y'; ++l)
    if (!(used & (1u << (l - 'A')))) return l;
  return 0;
}

}  // namespace

TEST(Portable, RemovableDriveKeepsTheUsersWordsAndSkipsUnchangedFiles) {
  CleanPrefix clean;
  Sandbox stick("flow stick");
  const char letter = FreeDriveLetter();
  ASSERT_NE(0, letter);
  const std::string unixRoot = UnixPathOf(stick.Path());
  ASSERT_FALSE(unixRoot.empty());
  ScopedDrive drive(letter, DriveKind::Removable, unixRoot);
  ASSERT_TRUE(drive.ok());
  const std::string home = std::string(1, letter) + ":\\Quillora WP";
  ASSERT_FALSE(InstallStandInHost(home).empty());

  // An earlier installation on the stick, partly edited since.
  const std::string spell = Join(home, "Spellcheck");
  ASSERT_TRUE(MakeFolders(spell));
  struct Seed {
    const char* name;
    const char* content;   // nullptr: no file
    double timeShift;      // days from the payload's time
    bool rewritten;
  };
  const Seed seeds[] = {
      {"Irish.asc", "old descriptor", 0, true},            // always rewritten
      {"hunspell.dll", nullptr, 0, true},                  // missing
      {"ga_IE.dic", "same time as the payload", 0, false}, // untouched: kept
      {"ga_IE.aff", "older", -1, true},                    // another time: replaced
      {"userdicir.tlx", "my own words", -3, false},        // the user's: kept
      {"Irish.hyph", "two seconds later", 2.0 / 86400, true},
      {"Irish.thes", nullptr, 0, true},
  };
  for (const Seed& s : seeds) {
    if (!s.content) continue;
    ASSERT_TRUE(WriteWholeFile(Join(spell, s.name), s.content));
    ASSERT_TRUE(SetModTime(Join(spell, s.name), Entry(s.name).modTime + s.timeShift)) << s.name;
  }
  // Shared records from an earlier shared installation stay as they are.
  ASSERT_TRUE(MakeFolders(Join(SharedRoot(), "Hidden")));
  const std::string oldLog = "*0000000010F9E540\r\nC:\\old\\path\r\n";
  ASSERT_TRUE(WriteWholeFile(LogPath(), oldLog));

  SetupRun run = SetupRun::Start(SetupExePath(), {"-d" + home});
  Wizard w = run.WaitWizard();
  ASSERT_TRUE(w);
  ASSERT_TRUE(NextTo(w, 0, 5, "portable"));
  for (const Seed& s : seeds) {
    const std::string path = Join(spell, s.name);
    const std::string got = ReadWholeFile(path).value_or("(missing)");
    if (s.rewritten) {
      EXPECT_EQ(Entry(s.name).data, got) << s.name << " should have been written";
      EXPECT_EQ(Entry(s.name).modTime, ModTime(path)) << s.name;
    } else {
      EXPECT_EQ(s.content, got) << s.name << " should have been kept";
    }
  }
  EXPECT_FALSE(FolderExists(Join(home, "Orthographe")));
  EXPECT_FALSE(FolderExists(SharedRoot() + "\\Public")) << "nothing goes to the shared folder";

  w.Tick("&Launch Quillora Word Processor", false);
  ASSERT_TRUE(w.Press("&Finish"));
  EXPECT_EQ(0, run.WaitExit(20s));
  EXPECT_FALSE(FileExists(StampPath())) << "a portable installation writes no stamp";
  EXPECT_EQ(oldLog, ReadWholeFile(LogPath()).value_or("(missing)")) << "nor the update log";
  EXPECT_EQ(home, reg::String("MAINDIR").value_or("(none)"));
  EXPECT_EQ(0u, reg::Dword("LAUNCH").value_or(99));
  EXPECT_TRUE(SetupTempFiles().empty());
}
