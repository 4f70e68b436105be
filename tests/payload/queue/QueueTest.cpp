// The install queue: which entries are queued where under the three modes,
// and which destinations are recorded for the update log.
#include <gtest/gtest.h>

#include <cctype>

#include "AttachFiles.h"
#include "InstUtils.h"
#include "TestPayload.h"

using namespace testkit;

namespace {

Bytes PayloadStream() {
  return Stream({
      {"Irish.asc", Local(2013, 4, 7, 20, 12, 30), "[Irish]\r\n"},
      {"ga_IE.dic", Local(2013, 4, 7, 20, 13, 14), "3\nfocal\nteach\nbo\n"},
      {"userdicir.tlx", Local(2013, 4, 4, 22, 4, 42), ""},
      {"Dict", Local(2013, 4, 7, 20, 0, 0), "short name"},
      {"Dicts\\a.dic", Local(2013, 4, 7, 20, 0, 2), "a"},
      {"Other\\c.txt", Local(2013, 4, 7, 20, 0, 4), "c"},
      {"dicts\\sub\\b.aff", Local(2013, 4, 7, 20, 0, 6), "b"},
  });
}

struct Queued {
  std::string name, dest;
  bool operator==(const Queued& o) const { return name == o.name && dest == o.dest; }
};
std::ostream& operator<<(std::ostream& os, const Queued& q) { return os << q.name << " -> " << q.dest; }

std::vector<Queued> QueueOf(TAttachedFiles& store) {
  std::vector<Queued> out;
  for (const auto& item : store.InstallGroup(0)) out.push_back({item->Entry->Name, item->DestFileName});
  return out;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

TEST(Queue, ModesAgainstTheFileThere) {
  const Bytes stream = PayloadStream();
  enum State { Missing, Untouched, Edited, Earlier, Later, FolderOfThatName };
  struct Case {
    const char* what;
    const char* name;
    State state;
    InstallMode mode;
    bool alwaysReplace;
    bool expected;
  };
  const Case cases[] = {
      {"new file", "ga_IE.dic", Missing, imReplaceChanged, false, true},
      {"untouched since the last installation", "ga_IE.dic", Untouched, imReplaceChanged, false, false},
      {"edited by the user", "ga_IE.dic", Edited, imReplaceChanged, false, true},
      {"re-timed two seconds earlier", "ga_IE.dic", Earlier, imReplaceChanged, false, true},
      {"re-timed two seconds later", "ga_IE.dic", Later, imReplaceChanged, false, true},
      {"keep: missing", "userdicir.tlx", Missing, imKeepExisting, false, true},
      {"keep: present", "userdicir.tlx", Untouched, imKeepExisting, false, false},
      {"keep: edited", "userdicir.tlx", Edited, imKeepExisting, false, false},
      {"keep: only a folder of that name", "userdicir.tlx", FolderOfThatName, imKeepExisting, false, true},
      {"always", "Irish.asc", Untouched, imAlwaysReplace, false, true},
      {"keep overruled by AlwaysReplace", "userdicir.tlx", Untouched, imKeepExisting, true, true},
      {"changed overruled by AlwaysReplace", "ga_IE.dic", Untouched, imReplaceChanged, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scratch dir("queue");
    TAttachedFiles store(stream.data(), stream.size());
    const std::string dest = dir / c.name;
    switch (c.state) {
      case Missing: break;
      case Untouched: ASSERT_TRUE(store.ExtractFile(nullptr, c.name, dest)); break;
      case Edited:
        ASSERT_TRUE(store.ExtractFile(nullptr, c.name, dest));
        ASSERT_TRUE(WriteText(dest, "my own words\r\n"));
        break;
      case Earlier:
      case Later: {
        ASSERT_TRUE(store.ExtractFile(nullptr, c.name, dest));
        const int64_t twoSeconds = 20000000;
        ASSERT_TRUE(SetWriteTimeUtc(dest, WriteTimeUtc(dest) + (c.state == Later ? twoSeconds : -twoSeconds)));
        break;
      }
      case FolderOfThatName: ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr)); break;
    }
    store.AlwaysReplace = c.alwaysReplace;
    EXPECT_EQ(c.expected, store.AddFileToInstall(c.name, dir.Path(), 0, c.mode));
    const std::vector<Queued> expected =
        c.expected ? std::vector<Queued>{{c.name, dest}} : std::vector<Queued>{};
    EXPECT_EQ(expected, QueueOf(store));
    EXPECT_TRUE(store.InstalledFiles().empty()) << "not the shared folder: nothing recorded";
  }
}

TEST(Queue, SharedPublicFolderDestinationsAreRecorded) {
  const std::string common = SpecialFolderPath(CSIDL_COMMON_APPDATA_ID);
  ASSERT_FALSE(common.empty());
  // Nothing is written: the destinations do not exist, so every request queues.
  const std::string tag = "queue-test-" + std::to_string(GetCurrentProcessId());
  const std::string shared = JoinPath(common, "Quillora\\Public\\" + tag + "\\Spellcheck");
  const std::string sharedOtherCase = Upper(JoinPath(common, "quillora\\public\\" + tag + "\\Orthographe"));
  Scratch elsewhere("portable");
  const Bytes stream = PayloadStream();

  struct Case {
    const char* what;
    std::string destDir;
    const char* name;
    InstallMode mode;
    bool alwaysReplace;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"replace when changed", shared, "ga_IE.dic", imReplaceChanged, false, {shared + "\\ga_IE.dic"}},
      {"always replace", shared, "Irish.asc", imAlwaysReplace, false, {shared + "\\Irish.asc"}},
      {"keep, missing: marked", shared, "userdicir.tlx", imKeepExisting, false, {shared + "\\userdicir.tlx\t!"}},
      {"keep under AlwaysReplace: still marked", shared, "userdicir.tlx", imKeepExisting, true,
       {shared + "\\userdicir.tlx\t!"}},
      {"folder spelled in other letter cases", sharedOtherCase, "ga_IE.dic", imReplaceChanged, false,
       {sharedOtherCase + "\\ga_IE.dic"}},
      {"not below the shared folder", elsewhere.Path(), "ga_IE.dic", imAlwaysReplace, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TAttachedFiles store(stream.data(), stream.size());
    store.AlwaysReplace = c.alwaysReplace;
    EXPECT_TRUE(store.AddFileToInstall(c.name, c.destDir, 0, c.mode));
    EXPECT_EQ(c.expected, store.InstalledFiles());
  }

  // Queueing twice queues and records twice; kept files are not recorded.
  TAttachedFiles store(stream.data(), stream.size());
  EXPECT_TRUE(store.AddFileToInstall("Irish.asc", shared, 0, imAlwaysReplace));
  EXPECT_TRUE(store.AddFileToInstall("Irish.asc", shared + "\\", 0, imAlwaysReplace));
  const std::vector<std::string> twice = {shared + "\\Irish.asc", shared + "\\Irish.asc"};
  EXPECT_EQ(twice, store.InstalledFiles());
  EXPECT_EQ(2u, store.InstallGroup(0).size());
}

TEST(Queue, NamesPrefixesAndDestinationFolders) {
  const Bytes stream = PayloadStream();
  const std::string d = "C:\\Target";
  struct Case {
    const char* name;
    std::string destDir;
    bool expected;
    std::vector<Queued> queued;
  };
  const Case cases[] = {
      {"GA_ie.DIC", d, true, {{"ga_IE.dic", d + "\\ga_IE.dic"}}},
      {"ga_IE.dic", d + "\\", true, {{"ga_IE.dic", d + "\\ga_IE.dic"}}},
      {"ga_IE.dic", d + "/", true, {{"ga_IE.dic", d + "\\ga_IE.dic"}}},
      {"DICTS\\", d, true, {{"Dicts\\a.dic", d + "\\Dicts\\a.dic"}, {"dicts\\sub\\b.aff", d + "\\dicts\\sub\\b.aff"}}},
      {"dicts\\sub\\", d, true, {{"dicts\\sub\\b.aff", d + "\\dicts\\sub\\b.aff"}}},
      {"Dict", d, true, {{"Dict", d + "\\Dict"}}},   // the exact name, not the prefix
      {"Dic\\", d, false, {}},                         // "Dict" is no match for a longer prefix
      {"Dicts\\a.dic\\", d, false, {}},
      {"hunspell.dll", d, false, {}},                  // not in this payload
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " into " + c.destDir);
    TAttachedFiles store(stream.data(), stream.size());
    store.AlwaysReplace = true;  // the target does not exist; the choice is the name's alone
    EXPECT_EQ(c.expected, store.AddFileToInstall(c.name, c.destDir, 0, imAlwaysReplace));
    EXPECT_EQ(c.queued, QueueOf(store));
  }

  TAttachedFiles store(stream.data(), stream.size());
  EXPECT_FALSE(store.AddFileToInstall("Irish.asc", d, 1, imAlwaysReplace)) << "there is only group 0";
  EXPECT_TRUE(QueueOf(store).empty());
}

TEST(Queue, ExtractingTheQueueThenRequeueingKeepsEverything) {
  Scratch dir("roundtrip");
  const Bytes stream = PayloadStream();
  TAttachedFiles first(stream.data(), stream.size());
  for (const char* name : {"Irish.asc", "ga_IE.dic", "userdicir.tlx", "Dicts\\"})
    ASSERT_TRUE(first.AddFileToInstall(name, dir.Path(), 0, imReplaceChanged)) << name;
  for (const auto& item : first.InstallGroup(0))
    ASSERT_TRUE(first.ExtractFile(item->Entry, "", item->DestFileName)) << item->DestFileName;

  // A second run of the same payload finds every file untouched.
  TAttachedFiles second(stream.data(), stream.size());
  for (const char* name : {"Irish.asc", "ga_IE.dic", "userdicir.tlx", "Dicts\\"})
    EXPECT_FALSE(second.AddFileToInstall(name, dir.Path(), 0, imReplaceChanged)) << name;
  EXPECT_TRUE(QueueOf(second).empty());
}
