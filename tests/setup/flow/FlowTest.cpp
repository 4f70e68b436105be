// The wizard's logic that needs no wizard: the update-log merge and the
// record formats, the host settings in the registry, the "-d" option, host
// detection and the choice of the dictionary folders.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "AttachFiles.h"
#include "Classes.h"
#include "InstUtils.h"
#include "InstallRun.h"
#include "MainDlg.h"
#include "Registry.h"
#include "Settings.h"
#include "TestPayload.h"
#include "UpdateLog.h"

using namespace testkit;
typedef std::vector<std::string> Lines;

namespace {

std::string Show(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines) {
    s += "  [";
    for (char c : l) s += c == '\t' ? std::string("\\t") : std::string(1, c);
    s += "]\n";
  }
  return s.empty() ? "  (none)\n" : s;
}

std::string Escaped(const std::string& bytes) {
  std::string s;
  for (unsigned char c : bytes) {
    if (c == '\r') s += "\\r";
    else if (c == '\n') s += "\\n";
    else if (c == '\t') s += "\\t";
    else if (c < 32 || c > 126) { char b[8]; snprintf(b, sizeof b, "\\x%02X", c); s += b; }
    else s += static_cast<char>(c);
  }
  return s;
}

}  // namespace

// ---- update log ----

TEST(UpdateLog, MarkerSpellsTheBytesInMemoryOrder) {
  struct Case { TDateTime time; const char* marker; };
  const Case cases[] = {
      {45000.5, "*0000000010F9E540"},  // 15 March 2023, 12:00
      {0.0, "*0000000000000000"},
      {1.0, "*000000000000F03F"},
      {-1.5, "*000000000000F8BF"},
  };
  for (const Case& c : cases) {
    std::string bytes = InstallStampBytes(c.time);
    EXPECT_EQ(8u, bytes.size());
    TDateTime back;
    std::memcpy(&back, bytes.data(), 8);
    EXPECT_EQ(c.time, back);
    EXPECT_EQ(c.marker, InstallMarker(c.time)) << "time " << c.time;
  }
}

TEST(UpdateLog, MergeTable) {
  const std::string N = "*NEW";
  const std::string x = "C:\\Data\\Quillora\\Public\\Spellcheck\\ga_IE.aff";
  const std::string y = "C:\\Data\\Quillora\\Public\\Spellcheck\\ga_IE.dic";
  const std::string z = "C:\\Data\\Quillora\\Public\\Spellcheck\\Irish.asc";
  const std::string u = "C:\\Data\\Quillora\\Public\\Spellcheck\\userdicir.tlx";
  const std::string um = u + "\t!";
  std::string X = x;
  for (char& c : X) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  struct Case { const char* what; Lines log; Lines installed; Lines expected; };
  const Case cases[] = {
      {"first log ever", {}, {y, x}, {N, x, y}},
      {"N x y: every path written again", {"*A", x, y}, {x, y}, {N, x, y}},
      {"A x N y", {"*A", x, y}, {y}, {"*A", x, N, y}},
      {"A y N x: the emptied group's marker keeps y", {"*A", x, "*K", y}, {x}, {"*A", y, N, x}},
      {"empty lines and a case-different line go", {"", "*A", "", X, "", y, ""}, {x}, {"*A", y, N, x}},
      {"every old group emptied", {"*A", x, "*B", y, "*C", z}, {x, y, z}, {N, x, y, z}},
      {"marked user dictionary", {"*A", um, x}, {um}, {"*A", x, N, um}},
      {"an unmarked line is another line", {"*A", u}, {um}, {"*A", u, N, um}},
      {"lines before the first marker stay", {"foreign", "*A", x}, {x}, {"foreign", N, x}},
      {"only markers", {"*A", "*B"}, {x}, {N, x}},
  };
  for (const Case& c : cases) {
    Lines installed = c.installed;
    SortLines(installed, CompareLogLines);
    Lines got = MergeUpdateLog(c.log, installed, N, CompareLogLines);
    EXPECT_EQ(c.expected, got) << c.what << "\n got:\n" << Show(got) << " expected:\n" << Show(c.expected);
  }
}

// The file as the host reads it: every line ends with CR LF; the old log
// may have any line ends and ends at a NUL.
TEST(UpdateLog, FileBytes) {
  const TDateTime t = 45000.5;
  const std::string M = "*0000000010F9E540";
  static const char kWithNul[] = "*A\r\np\\x\r\n\0*B\r\np\\z\r\n";
  struct Case { const char* what; bool seed; std::string before; Lines installed; std::string after; };
  const Case cases[] = {
      {"no log yet", false, "", {"p\\b", "p\\a\t!"}, M + "\r\np\\a\t!\r\np\\b\r\n"},
      {"CR, LF and CR LF line ends", true, "*A\rp\\x\np\\y\r\n", {"p\\y"}, "*A\r\np\\x\r\n" + M + "\r\np\\y\r\n"},
      {"no line end at the end", true, "*A\r\np\\x", {"p\\y"}, "*A\r\np\\x\r\n" + M + "\r\np\\y\r\n"},
      {"a NUL ends the text", true, std::string(kWithNul, sizeof kWithNul - 1), {"p\\y"},
       "*A\r\np\\x\r\n" + M + "\r\np\\y\r\n"},
      {"an empty log", true, "", {"p\\y"}, M + "\r\np\\y\r\n"},
  };
  for (const Case& c : cases) {
    Scratch dir("flow log");
    const std::string log = dir / "Update.log";
    if (c.seed) {
      ASSERT_TRUE(WriteText(log, c.before));
    }
    Lines installed = c.installed;
    UpdateLogFile(log, installed, t);
    std::string got;
    ASSERT_TRUE(ReadText(log, got)) << c.what;
    EXPECT_EQ(Escaped(c.after), Escaped(got)) << c.what;
  }
}

TEST(UpdateLog, InstalledListStaysSortedAndEmptyListTouchesNothing) {
  Scratch dir("flow log");
  const std::string log = dir / "Update.log";
  Lines none;
  UpdateLogFile(log, none, 1.0);
  EXPECT_FALSE(Exists(log)) << "an empty run must not create the log";

  ASSERT_TRUE(WriteText(log, "*A\r\n\r\n"));
  UpdateLogFile(log, none, 1.0);
  std::string got;
  ASSERT_TRUE(ReadText(log, got));
  EXPECT_EQ("*A\\r\\n\\r\\n", Escaped(got)) << "an empty run must leave the log as it was";

  Lines installed = {"p\\c", "P\\B", "p\\a"};
  UpdateLogFile(log, installed, 1.0);
  const Lines sorted = {"p\\a", "P\\B", "p\\c"};
  EXPECT_EQ(sorted, installed) << Show(installed);
}

TEST(UpdateLog, FileErrorsRaise) {
  Scratch dir("flow log");
  const std::string log = dir / "Update.log";
  ASSERT_TRUE(WriteText(log, "*A\r\np\\x\r\n"));
  {
    // Held open without sharing, as another program writing it would.
    HANDLE h = CreateFileA(log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    Lines installed = {"p\\y"};
    const char* raised = "nothing";
    try {
      UpdateLogFile(log, installed, 1.0);
    } catch (const Exception& e) {
      raised = e.ClassName();
    }
    CloseHandle(h);
    EXPECT_STREQ("EFOpenError", raised) << "locked log";
  }
  std::string got;
  ASSERT_TRUE(ReadText(log, got));
  EXPECT_EQ("*A\\r\\np\\x\\r\\n", Escaped(got)) << "a failed read must not rewrite the log";

  Lines installed = {"p\\y"};
  const char* raised = "nothing";
  try {
    UpdateLogFile(dir / "missing folder\\Update.log", installed, 1.0);
  } catch (const Exception& e) {
    raised = e.ClassName();
  }
  EXPECT_STREQ("EFCreateError", raised) << "log folder missing";
}

// ---- command line ----

TEST(CommandLine, HomeDirOption) {
  struct Case { const char* line; bool found; const char* folder; };
  const Case cases[] = {
      {"Setup.exe", false, ""},
      {"Setup.exe -dC:\\Q", true, "C:\\Q"},
      {"\"C:\\My Files\\Setup.exe\" -dC:\\Q", true, "C:\\Q"},
      {"Setup.exe \"-dC:\\Program Files\\Q W P\"", true, "C:\\Program Files\\Q W P"},
      {"Setup.exe -d\"C:\\Program Files\\Q\"", true, "C:\\Program Files\\Q"},
      {"Setup.exe -dC:\\A\"B C\"D", true, "C:\\AB CD"},
      {"Setup.exe -DC:\\Q", false, ""},
      {"Setup.exe /x -dC:\\Q", false, ""},
      {"Setup.exe \"\" -dC:\\Q", false, ""},
      {"Setup.exe -d", true, ""},
      {"Setup.exe -d C:\\Q", true, ""},
      {"Setup.exe   -dC:\\Q   second", true, "C:\\Q"},
      {"Setup.exe\t-dC:\\Q", true, "C:\\Q"},
      {"Setup.exe -drelative\\dir", true, "relative\\dir"},
  };
  for (const Case& c : cases) {
    std::string folder = "(untouched)";
    bool found = HomeDirOption(c.line, folder);
    EXPECT_EQ(c.found, found) << c.line;
    if (c.found) {
      EXPECT_EQ(c.folder, folder) << c.line;
    }
  }
}

// ---- registry ----

namespace {

const char* const kTestKey = "Software\\Quillora Setup Tests\\flow";

struct TestKey {
  TestKey() { Drop(); }
  ~TestKey() { Drop(); }
  static void Drop() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quillora Setup Tests");
  }
  static void Set(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &k, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(k);
  }
  static bool Exists() {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
};

}  // namespace

TEST(Registry, MainDirOfAnyTypeAndLength) {
  const std::string longText(5000, 'L');
  const DWORD dwordAbc = 0x00434241;  // "ABC" and a NUL, as little-endian bytes
  struct Case { const char* what; DWORD type; std::string data; bool exists; std::string expected; };
  const Case cases[] = {
      {"REG_SZ with its NUL", REG_SZ, std::string("C:\\Q\0", 5), true, "C:\\Q"},
      {"REG_SZ without a NUL", REG_SZ, "C:\\Q", true, "C:\\Q"},
      {"REG_EXPAND_SZ", REG_EXPAND_SZ, std::string("C:\\E\0", 5), true, "C:\\E"},
      {"REG_BINARY without a NUL", REG_BINARY, "ABC", true, "ABC"},
      {"embedded NUL", REG_BINARY, std::string("AB\0CD", 5), true, "AB"},
      {"REG_DWORD as text", REG_DWORD, std::string(reinterpret_cast<const char*>(&dwordAbc), 4), true, "ABC"},
      {"empty data", REG_BINARY, "", true, ""},
      {"long value", REG_SZ, longText, true, longText},
      {"missing", REG_NONE, "", false, ""},
  };
  for (const Case& c : cases) {
    TestKey key;
    if (c.exists) TestKey::Set("MAINDIR", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
    StoredSettings s = ReadStoredSettings(kTestKey);
    EXPECT_EQ(c.exists, s.HasMainDir) << c.what;
    EXPECT_EQ(c.expected.size(), s.MainDir.size()) << c.what;
    EXPECT_EQ(c.expected, s.MainDir) << c.what;
  }
}

TEST(Registry, LaunchValue) {
  struct Case { const char* what; DWORD type; std::string data; bool expected; };
  auto dword = [](DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  const Case cases[] = {
      {"missing", REG_NONE, "", true},
      {"0", REG_DWORD, dword(0), false},
      {"1", REG_DWORD, dword(1), true},
      {"7", REG_DWORD, dword(7), true},
      {"text \"0\" is no integer", REG_SZ, std::string("0\0", 2), true},
      {"two bytes", REG_DWORD, std::string("\0\0", 2), true},
  };
  for (const Case& c : cases) {
    TestKey key;
    if (c.type != REG_NONE) TestKey::Set("LAUNCH", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
    EXPECT_EQ(c.expected, ReadStoredSettings(kTestKey).Launch) << c.what;
  }
}

TEST(Registry, ReadCreatesTheKeyAndWriteStoresTypedValues) {
  TestKey key;
  ASSERT_FALSE(TestKey::Exists());
  ReadStoredSettings(kTestKey);
  EXPECT_TRUE(TestKey::Exists()) << "reading must create the key";

  const struct { std::string dir; bool launch; } cases[] = {{"C:\\Program Files\\Quillora", true}, {"E:\\Q", false}};
  for (const auto& c : cases) {
    WriteStoredSettings(c.dir, c.launch, kTestKey);
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &k));
    DWORD type = 0, size = 0;
    char text[MAX_PATH] = {};
    size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(k, "MAINDIR", nullptr, &type, reinterpret_cast<BYTE*>(text), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(c.dir.size() + 1, size) << "the text with its NUL";
    EXPECT_EQ(c.dir, std::string(text));
    DWORD launch = 99;
    size = sizeof launch;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(k, "LAUNCH", nullptr, &type, reinterpret_cast<BYTE*>(&launch), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(c.launch ? 1u : 0u, launch);
    RegCloseKey(k);
    StoredSettings back = ReadStoredSettings(kTestKey);
    EXPECT_EQ(c.dir, back.MainDir);
    EXPECT_EQ(c.launch, back.Launch);
  }
}

// ---- the host ----

TEST(Host, RunningMeansAWindowWithTheProperty) {
  HWND w = CreateWindowExA(0, "STATIC", "not the host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, w);
  EXPECT_FALSE(HostRunning()) << "no window carries the property yet";
  SetPropA(w, "1.x Nimbrel", reinterpret_cast<HANDLE>(1));
  EXPECT_TRUE(HostRunning()) << "a hidden window with the property";
  RemovePropA(w, "1.x Nimbrel");
  SetPropA(w, "1.x nimbrel2", reinterpret_cast<HANDLE>(1));
  EXPECT_FALSE(HostRunning()) << "another property";
  DestroyWindow(w);
}

TEST(Host, FolderTestAndCommandLine) {
  Scratch dir("flow host");
  CreateDirectoryA((dir / "with host").c_str(), nullptr);
  ASSERT_TRUE(WriteText(dir / "with host\\qlr.exe", "MZ"));
  CreateDirectoryA((dir / "folder named qlr").c_str(), nullptr);
  CreateDirectoryA((dir / "folder named qlr\\qlr.exe").c_str(), nullptr);
  CreateDirectoryA((dir / "empty").c_str(), nullptr);
  struct Case { std::string folder; bool expected; };
  const Case cases[] = {
      {dir / "with host", true},
      {dir / "with host\\", true},
      {dir / "folder named qlr", false},
      {dir / "empty", false},
      {dir / "missing", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, HoldsHost(c.folder)) << c.folder;

  EXPECT_EQ("\"C:\\Program Files\\Quillora\\qlr.exe\"", HostCommandLine("C:\\Program Files\\Quillora"));
  EXPECT_EQ("\"E:\\Q\\qlr.exe\"", HostCommandLine("E:\\Q\\"));
}

// ---- dictionary folders ----

namespace {

const char* const kDictNames[] = {"Irish.asc",     "hunspell.dll", "ga_IE.dic", "ga_IE.aff",
                                  "userdicir.tlx", "Irish.hyph",   "Irish.thes"};

Bytes DictPayload() {
  std::vector<Item> items = {{"License.txt", Local(2013, 4, 1, 10, 0, 0), "licence"}};
  int n = 0;
  for (const char* name : kDictNames)
    items.push_back({name, Local(2013, 4, 7, 20, 10, 2 * n++), std::string("payload ") + name});
  return Stream(items);
}

Lines QueuedDestinations(TAttachedFiles& store) {
  Lines out;
  for (const auto& item : store.InstallGroup(0)) out.push_back(item->DestFileName);
  return out;
}

Lines Expect(const std::string& folder, std::initializer_list<int> which) {
  Lines out;
  for (int i : which) out.push_back(folder + kDictNames[i]);
  return out;
}

}  // namespace

TEST(DictFolders, PortableChoiceOfFolders) {
  const Bytes stream = DictPayload();
  struct Case { const char* what; bool spell, ortho; Lines (*expected)(const std::string& home); };
  const Case cases[] = {
      {"neither exists: Spellcheck", false, false,
       [](const std::string& h) { return Expect(h + "\\Spellcheck\\", {0, 1, 2, 3, 4, 5, 6}); }},
      {"only Spellcheck", true, false,
       [](const std::string& h) { return Expect(h + "\\Spellcheck\\", {0, 1, 2, 3, 4, 5, 6}); }},
      {"only Orthographe", false, true,
       [](const std::string& h) { return Expect(h + "\\Orthographe\\", {0, 1, 2, 3, 4, 5, 6}); }},
      {"both: Spellcheck then Orthographe", true, true,
       [](const std::string& h) {
         Lines l = Expect(h + "\\Spellcheck\\", {0, 1, 2, 3, 4, 5, 6});
         Lines o = Expect(h + "\\Orthographe\\", {0, 1, 2, 3, 4, 5, 6});
         l.insert(l.end(), o.begin(), o.end());
         return l;
       }},
  };
  for (const Case& c : cases) {
    Scratch home("flow home");
    if (c.spell) CreateDirectoryA((home / "Spellcheck").c_str(), nullptr);
    if (c.ortho) CreateDirectoryA((home / "Orthographe").c_str(), nullptr);
    TAttachedFiles store(stream.data(), stream.size());
    QueueDictionaries(store, home.Path(), [] { return true; });
    EXPECT_FALSE(store.AlwaysReplace) << c.what;
    Lines got = QueuedDestinations(store);
    Lines expected = c.expected(home.Path());
    EXPECT_EQ(expected, got) << c.what << "\n got:\n" << Show(got) << " expected:\n" << Show(expected);
    EXPECT_TRUE(store.InstalledFiles().empty()) << c.what << ": nothing below the home folder is logged";
    ASSERT_TRUE(WriteQueuedFiles(store)) << c.what;
    for (const std::string& f : expected) EXPECT_TRUE(Exists(f)) << c.what << ": " << f;
    EXPECT_EQ(c.ortho, Exists(home / "Orthographe")) << c.what << ": Orthographe is never created";
  }
}

TEST(DictFolders, PortableModesOverAnEarlierInstallation) {
  const Bytes stream = DictPayload();
  Scratch home("flow home");
  {
    TAttachedFiles first(stream.data(), stream.size());
    QueueDictionaries(first, home.Path(), [] { return true; });
    ASSERT_TRUE(WriteQueuedFiles(first));
  }
  const std::string folder = home / "Spellcheck\\";
  ASSERT_TRUE(WriteText(folder + "userdicir.tlx", "my own words"));
  ASSERT_TRUE(WriteText(folder + "ga_IE.aff", "edited"));
  const uint64_t t = WriteTimeUtc(folder + "Irish.thes");
  ASSERT_TRUE(SetWriteTimeUtc(folder + "Irish.thes", t + 20000000));  // two seconds later

  TAttachedFiles store(stream.data(), stream.size());
  QueueDictionaries(store, home.Path(), [] { return true; });
  Lines got = QueuedDestinations(store);
  // The descriptor always; the edited and the re-dated file; not the
  // untouched ones and never the user's dictionary.
  Lines expected = Expect(folder, {0, 3, 6});
  EXPECT_EQ(expected, got) << "got:\n" << Show(got) << " expected:\n" << Show(expected);
  ASSERT_TRUE(WriteQueuedFiles(store));
  std::string text;
  ASSERT_TRUE(ReadText(folder + "userdicir.tlx", text));
  EXPECT_EQ("my own words", text);
  ASSERT_TRUE(ReadText(folder + "ga_IE.aff", text));
  EXPECT_EQ("payload ga_IE.aff", text);
}

TEST(DictFolders, SharedFoldersLieBelowThePublicFolder) {
  const std::string base = SpecialFolderPath(CSIDL_COMMON_APPDATA_ID);
  ASSERT_FALSE(base.empty());
  EXPECT_EQ(base + "\\Quillora\\Public\\Spellcheck\\", DictFolder(0, false, "C:\\Host"));
  EXPECT_EQ(base + "\\Quillora\\Public\\Orthographe\\", DictFolder(1, false, "C:\\Host"));
  EXPECT_EQ("C:\\Host\\Orthographe\\", DictFolder(1, true, "C:\\Host"));
  EXPECT_EQ(base + "\\Quillora\\Hidden\\install_stamp", InstallStampPath());
  EXPECT_EQ(base + "\\Quillora\\Update.log", UpdateLogPath());
}
