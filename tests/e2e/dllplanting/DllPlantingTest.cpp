// Setup.exe is often started from a downloads folder, where anybody may have
// left a DLL named like a system one. The program must take no DLL from its
// own folder: canaries under those names must stay unloaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "DriveCtl.h"
#include "Driver.h"

using namespace e2e;

namespace {

// The fsutil tests' canary: loaded, it leaves "<its name>.loaded" beside itself.
std::string Canary() { return Join(BuildFolder(), "tests\\fsutil\\dllplant\\canary.dll"); }
std::string PlainLoader() { return Join(ThisExeFolder(), "plainloader.exe"); }

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
  return s;
}

// DLLs that Windows always takes from the system folder (KnownDLLs), and
// Wine's own core: a copy beside the program is never used for them.
const std::set<std::string> kKnown = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll",  "difxapi.dll", "gdi32.dll",
    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",  "kernel32.dll", "msctf.dll", "msvcrt.dll",  "normaliz.dll",
    "nsi.dll",      "ole32.dll",   "oleaut32.dll", "psapi.dll",   "rpcrt4.dll", "sechost.dll", "setupapi.dll",
    "shcore.dll",   "shell32.dll", "shlwapi.dll", "user32.dll",   "wldap32.dll", "ws2_32.dll", "ntdll.dll",
    "kernelbase.dll",
};

// Names the program or the system libraries it uses may load by name:
// the shell-folder fallback, network names, and what comctl32 v6 and the
// themed controls pull in.
const std::vector<std::string> kLoadedByName = {
    "shfolder.dll", "mpr.dll", "uxtheme.dll", "dwmapi.dll", "version.dll", "winmm.dll", "msimg32.dll",
    "userenv.dll",  "propsys.dll", "cryptbase.dll", "profapi.dll", "netapi32.dll", "wtsapi32.dll",
};

// DLLs that Wine's own system DLLs load through the program's search path,
// where Windows' do not: Wine's user32 imports version.dll and loads
// uxtheme.dll while the process starts (before the program's first
// instruction), and Wine's uxtheme resolves its delay import of msimg32.dll
// through the program's folder when it first draws a themed control.
// Asked to prefer native copies of these, Wine itself would take the
// canaries (traced with WINEDEBUG=+module), so they are planted with Wine's
// default order only.
const std::set<std::string> kWineLoadsItself = {"uxtheme.dll", "version.dll", "msimg32.dll"};

// The DLL names in the import directory of a PE file (32-bit).
std::vector<std::string> ImportedDlls(const std::string& exe) {
  std::vector<std::string> names;
  std::optional<std::string> f = ReadWholeFile(exe);
  if (!f || f->size() < 0x40) return names;
  const std::string& b = *f;
  auto u16 = [&](size_t at) { return at + 2 <= b.size() ? uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8) : 0; };
  auto u32 = [&](size_t at) { return at + 4 <= b.size() ? uint32_t(u16(at) | uint32_t(u16(at + 2)) << 16) : 0; };
  uint32_t pe = u32(0x3C);
  if (u32(pe) != 0x4550) return names;
  uint16_t sections = u16(pe + 6), optSize = u16(pe + 20);
  size_t opt = pe + 24;
  if (u16(opt) != 0x10B) return names;  // PE32
  uint32_t importRva = u32(opt + 96 + 8);
  size_t sect = opt + optSize;
  auto toOffset = [&](uint32_t rva) -> size_t {
    for (uint16_t i = 0; i < sections; ++i) {
      size_t s = sect + i * 40u;
      uint32_t va = u32(s + 12), size = std::max(u32(s + 8), u32(s + 16)), raw = u32(s + 20);
      if (rva >= va && rva < va + size) return raw + (rva - va);
    }
    return 0;
  };
  size_t d = toOffset(importRva);
  for (; d && d + 20 <= b.size(); d += 20) {
    uint32_t nameRva = u32(d + 12);
    if (!nameRva) break;
    size_t n = toOffset(nameRva);
    if (n && n < b.size()) names.push_back(Lower(std::string(b.c_str() + n)));
  }
  return names;
}

std::vector<std::string> PlantedNames(const std::string& setup) {
  std::set<std::string> all(kLoadedByName.begin(), kLoadedByName.end());
  for (const std::string& n : ImportedDlls(setup))
    if (!kKnown.count(n)) all.insert(n);
  return {all.begin(), all.end()};
}

// Wine takes its own builtin copy of most system DLLs even when a program
// loads them plainly, which would hide a careless load. Asking for native
// first, as Windows does, makes the canaries visible; the control test shows
// that it takes. A careful load (system folder only) still finds Wine's own.
// The setting is Wine's per-program one, for programs named Setup.exe only,
// and is removed again with the folder.
const char kOverrides[] = "Software\\Wine\\AppDefaults\\Setup.exe\\DllOverrides";

void PreferNative(const std::vector<std::string>& dlls) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
      ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot write " << kOverrides;
    return;
  }
  const char mode[] = "native,builtin";
  for (const std::string& n : dlls)
    if (!kWineLoadsItself.count(n))
      RegSetValueExA(k, n.substr(0, n.size() - 4).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(mode), sizeof mode);
  RegCloseKey(k);
}

void DropOverrides() {
  RegDeleteKeyA(HKEY_CURRENT_USER, kOverrides);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Setup.exe");  // only when empty
}

struct PlantedFolder {
  Sandbox box{"plant"};
  std::vector<std::string> names;
  PlantedFolder(const std::string& program, const std::vector<std::string>& dlls) : names(dlls) {
    EXPECT_TRUE(CopyFileTo(program, box / "Setup.exe")) << program;
    for (const std::string& n : names) EXPECT_TRUE(CopyFileTo(Canary(), box / n)) << n;
    PreferNative(names);
  }
  ~PlantedFolder() { DropOverrides(); }
  std::vector<std::string> Markers() const {
    std::vector<std::string> m;
    for (const std::string& f : ListFolder(box.Path()))
      if (f.size() > 7 && f.compare(f.size() - 7, 7, ".loaded") == 0) m.push_back(f);
    return m;
  }
};

// Ends the wizard through its close question, with the answer that quits.
void CloseThroughQuestion(SetupRun& run, const Wizard& w) {
  w.CloseBox();
  MsgBox q = run.WaitMessageBox();
  ASSERT_TRUE(q);
  std::vector<std::string> b = q.Buttons();
  ASSERT_FALSE(b.empty());
  q.Press(std::find(b.begin(), b.end(), "&Yes") != b.end() ? "&Yes" : b[0]);
}

}  // namespace

TEST(DllPlanting, ImportTableIsRead) {
  // The reader must find at least the core imports of the program, or the
  // list of planted names would silently shrink to the fixed part.
  std::vector<std::string> imports = ImportedDlls(SetupExePath());
  EXPECT_NE(imports.end(), std::find(imports.begin(), imports.end(), "kernel32.dll"))
      << ::testing::PrintToString(imports);
  EXPECT_NE(imports.end(), std::find(imports.begin(), imports.end(), "user32.dll"))
      << ::testing::PrintToString(imports);
}

TEST(DllPlanting, ControlPlainLoadTakesTheCanaries) {
  // Proves the canaries work under this Wine: a program that loads the same
  // names plainly from that folder gets a marker for each.
  std::vector<std::string> names = PlantedNames(SetupExePath());
  PlantedFolder folder(PlainLoader(), names);
  SetupRun run = SetupRun::Start(folder.box / "Setup.exe", names);
  EXPECT_EQ(0, run.WaitExit(20s)) << "some canaries could not be loaded";
  std::vector<std::string> want;
  for (const std::string& n : names)
    if (!kWineLoadsItself.count(n)) want.push_back(n + ".loaded");
  EXPECT_EQ(want, folder.Markers());
}

TEST(DllPlanting, SetupTakesNoDllFromItsFolder) {
  std::vector<std::string> names = PlantedNames(SetupExePath());
  PlantedFolder folder(SetupExePath(), names);
  // A network drive makes the drive list ask for its remote name (mpr).
  Sandbox share("share");
  ScopedDrive remote('R', DriveKind::Remote, UnixPathOf(share.Path()));
  EXPECT_TRUE(remote.ok());
  SetupRun run = SetupRun::Start(folder.box / "Setup.exe", {}, folder.box.Path());
  Wizard w = run.WaitWizard(20s);
  ASSERT_TRUE(w) << "planted: " << ::testing::PrintToString(names);
  // Through the licence (a temporary file) to the home folder page (the
  // drive and folder lists, the special folders).
  w.Press("&Next >");
  w.WaitTitle("License Agreement");
  w.Press("&Next >");
  w.WaitTitle("Specify Home Folder");
  Control drives = w.ComboBox();
  std::vector<std::string> items = drives ? drives.Items() : std::vector<std::string>{};
  EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const std::string& i) { return Lower(i).rfind("r:", 0) == 0; }))
      << "drive list: " << ::testing::PrintToString(items);
  w.Screenshot("dllplanting-homefolder");
  CloseThroughQuestion(run, w);
  EXPECT_EQ(0, run.WaitExit(20s));
  EXPECT_EQ(std::vector<std::string>{}, folder.Markers()) << "planted: " << ::testing::PrintToString(names);
}
