// The drive combo box and the directory list box in a window of their own:
// items, order, pictures, the painters' positions, the folder walk and the
// drive rules, on folders and Wine drive letters made here.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "DriveCtl.h"
#include "FileCtrl.h"
#include "Forms.h"
#include "InstUtils.h"
#include "NoProgramFiles.h"

namespace {

using std::string;
using std::vector;

// ---- probes: the controls with their painters and pictures reachable ----

// Paints one item into a device context the way the platform would.
template <class Base>
struct Painting : Base {
  using Base::Base;
  void PaintItem(HDC dc, int index, const RECT& rect, TColor brush) {
    this->Canvas_.SetHandle(dc);
    this->Canvas_.Font()->Assign(*this->Font());
    this->Canvas_.Brush()->SetColor(brush);
    this->DrawItem(index, rect);
    this->Canvas_.SetHandle(nullptr);
  }
};

struct ProbeList : Painting<TDirectoryListBox> {
  using Painting::Painting;
  int builds = 0;
  void BuildFolderList() override {
    ++builds;
    TDirectoryListBox::BuildFolderList();
  }
  TBitmap* Open() { return FOpenBitmap.get(); }
  TBitmap* Closed() { return FClosedBitmap.get(); }
};

struct ProbeCombo : Painting<TDriveComboBox> {
  using Painting::Painting;
  TBitmap* Fixed() { return FFixedBitmap.get(); }
  TBitmap* Removable() { return FRemovableBitmap.get(); }
};

// A form holding the list over the combo box, as on the home folder page.
struct Page {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  ProbeList* list;
  ProbeCombo* combo;
  int changes = 0;
  Page() {
    form->SetBounds(0, 0, 400, 300);
    list = new ProbeList(form.get());
    list->SetParent(form.get());
    list->SetBounds(11, 65, 345, 157);
    list->SetItemHeight(17);
    list->OnChange = [this](TObject*) { ++changes; };
    combo = new ProbeCombo(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(11, 225, 345, 19);
    combo->SetDirList(list);
    form->HandleNeeded();
  }
  vector<string> Items() {
    vector<string> v;
    for (int i = 0; i < list->Items()->Count(); ++i) v.push_back(list->Items()->Get(i));
    return v;
  }
};

string Show(const vector<string>& v) {
  string s;
  for (const auto& x : v) s += "[" + x + "] ";
  return s;
}

// ---- a 32-bit memory surface to paint items into ----

class Surface {
 public:
  Surface(int w, int h) : w_(w), h_(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const uint32_t*>(bits);
    old_ = SelectObject(dc_, bmp_);
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    uint32_t p = bits_[y * w_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // The leftmost column with a pixel other than `background`; -1 if none.
  int FirstInk(COLORREF background) const {
    for (int x = 0; x < w_; ++x)
      for (int y = 0; y < h_; ++y)
        if (At(x, y) != background) return x;
    return -1;
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) n += At(x, y) == c;
    return n;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
  const uint32_t* bits_;
};

// First column of the picture that is not its transparent colour.
int FirstOpaqueColumn(const TBitmap& b) {
  const TColor t = b.Pixel(0, b.Height() - 1);
  for (int x = 0; x < b.Width(); ++x)
    for (int y = 0; y < b.Height(); ++y)
      if (b.Pixel(x, y) != t) return x;
  return -1;
}

// Where item `index` of the list paints its picture: rectangle left + indent.
struct Painted {
  int pictureX;
  int transparentPixels;
};
Painted PaintListItem(ProbeList& list, int index) {
  Surface s(345, 17);
  const RECT r{0, 0, 345, 17};
  list.PaintItem(s.dc(), index, r, clWhite);
  TBitmap* b = dynamic_cast<TBitmap*>(list.Items()->GetObject(index));
  const COLORREF t = ColorToRGB(b->Pixel(0, b->Height() - 1));
  return {s.FirstInk(RGB(255, 255, 255)) - FirstOpaqueColumn(*b), s.Count(t)};
}

// ---- folders and drives ----

string SystemTemp() {
  char buf[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH + 1, buf);
  return buf;
}

string ThisFolder() {
  char buf[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  string s = buf;
  return s.substr(0, s.rfind('\\'));
}

// Letters without a drive now, from the end of the alphabet (Z: is Wine's /).
vector<char> FreeLetters(size_t n) {
  vector<char> v;
  const DWORD mask = GetLogicalDrives();
  for (char c = 'Y'; c >= 'D' && v.size() < n; --c)
    if (!(mask & (1u << (c - 'A')))) v.push_back(c);
  return v;
}

char Lower(char c) { return static_cast<char>(c | 0x20); }

class Controls : public ::testing::Test {
 protected:
  // Folders are removed only at the end: Wine maps a folder back to a drive
  // by its inode through a drive table it keeps for a second, so a new folder
  // that reuses the inode of a removed drive's root would be taken for that
  // drive when its label file is written.
  static string Scratch() { return SystemTemp() + "folderctl-" + std::to_string(GetCurrentProcessId()); }
  static void SetUpTestSuite() { RemoveDirTree(Scratch()); }  // a crashed run's
  static void TearDownTestSuite() { RemoveDirTree(Scratch()); }
  void SetUp() override {
    base = Scratch() + "\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    MakeDirTree(base);
    // Each test takes letters of its own: a letter defined again right
    // after its removal may keep its old label.
    letters = FreeLetters(16);
    ASSERT_EQ(16u, letters.size()) << "not enough free drive letters";
  }
  void TearDown() override { drives.clear(); }
  string Make(const string& relative) {
    const string p = base + "\\" + relative;
    MakeDirTree(p);
    return p;
  }
  // A drive whose root is base\<folder>; removed at the end of the test.
  void Drive(char letter, DriveKind kind, const string& folder, const string& label = "") {
    const string root = Make(folder);
    drives.push_back(std::make_unique<ScopedDrive>(letter, kind, UnixPathOf(root), label));
    ASSERT_TRUE(drives.back()->ok()) << "cannot define " << letter << ": on " << root << ", error " << GetLastError()
                                     << ", the folder maps back to " << WindowsPathOf(UnixPathOf(root));
  }
  string base;
  vector<char> letters;
  vector<std::unique_ptr<ScopedDrive>> drives;
};

TEST_F(Controls, ChainSubfoldersPicturesAndIndents) {
  const char q = letters[0];
  Drive(q, DriveKind::Fixed, "q");
  const string host = "q\\Program Files\\Quillora\\";
  for (const char* sub : {"Dict", "addins", "Bin", ".cache", "Hidden", "Sys"}) Make(host + sub);
  SaveStringToFile(base + "\\" + host + "readme.txt", "x");
  SetFileAttributesA((base + "\\" + host + "Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  SetFileAttributesA((base + "\\" + host + "Sys").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(GetFileAttributesA((base + "\\" + host + "Hidden").c_str()) & FILE_ATTRIBUTE_HIDDEN)
      << "the hidden attribute does not stick on this file system";

  Page page;
  const string Q(1, q);
  page.list->SetDirectory(Q + ":\\Program Files\\Quillora");
  const vector<string> expected = {Q + ":\\",
                                   Q + ":\\Program Files",
                                   Q + ":\\Program Files\\Quillora",
                                   Q + ":\\Program Files\\Quillora\\addins",
                                   Q + ":\\Program Files\\Quillora\\Bin",
                                   Q + ":\\Program Files\\Quillora\\Dict"};
  EXPECT_EQ(Show(expected), Show(page.Items()));
  EXPECT_EQ(2, page.list->ItemIndex());
  EXPECT_EQ(1, page.changes);
  EXPECT_EQ(Lower(q), page.combo->Drive()) << "the combo box follows the list's drive";

  const int indents[] = {3, 15, 27, 39, 39, 39};
  for (int i = 0; i < page.list->Items()->Count() && i < 6; ++i) {
    TBitmap* picture = dynamic_cast<TBitmap*>(page.list->Items()->GetObject(i));
    EXPECT_EQ(i < 3 ? page.list->Open() : page.list->Closed(), picture) << "picture of item " << i;
    const Painted p = PaintListItem(*page.list, i);
    EXPECT_EQ(indents[i], p.pictureX) << "indent of item " << i;
    EXPECT_EQ(0, p.transparentPixels) << "transparent colour left on screen, item " << i;
  }
}

TEST_F(Controls, SubfolderOrder) {
  // Hyphens and apostrophes sort as symbols before letters; case is ignored.
  for (const char* sub : {"b", "A", "-z", "'q", "a-b", "ab", "B2", "co-op", "coop"}) Make(string("order\\") + sub);
  Page page;
  page.list->SetDirectory(base + "\\order");
  vector<string> got;
  const string prefix = base + "\\order\\";
  for (const string& s : page.Items())
    if (s.compare(0, prefix.size(), prefix) == 0) got.push_back(s.substr(prefix.size()));
  EXPECT_EQ(Show({"'q", "-z", "A", "a-b", "ab", "b", "B2", "co-op", "coop"}), Show(got));

  // Names equal but for case (made outside Windows): the later found first.
  const string pair = ThisFolder() + "\\casepair";
  vector<string> found;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((pair + "\\*").c_str(), &fd);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  do
    if (fd.cFileName[0] != '.') found.push_back(fd.cFileName);
  while (FindNextFileA(h, &fd));
  FindClose(h);
  ASSERT_EQ(2u, found.size()) << Show(found);
  page.list->SetDirectory(pair);
  const int n = page.list->Items()->Count();
  ASSERT_GE(n, 2);
  EXPECT_EQ(Show({pair + "\\" + found[1], pair + "\\" + found[0]}),
            Show({page.list->Items()->Get(n - 2), page.list->Items()->Get(n - 1)}));
}

TEST_F(Controls, SetDirectoryWalksUp) {
  Make("walk\\A");
  Page page;
  page.list->SetDirectory(base + "\\walk\\A\\B\\C");
  EXPECT_EQ(base + "\\walk\\A\\", page.list->Directory()) << "the nearest existing folder, with its backslash";
  const vector<string> items = page.Items();
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(base + "\\walk\\A", items.back());
  EXPECT_EQ(PathLevel(page.list->Directory()), page.list->ItemIndex());

  // A drive that is not there: its root alone.
  const char x = letters[1];
  const string X(1, x);
  const int selected = page.combo->ItemIndex();
  page.list->SetDirectory(X + ":\\Data");
  EXPECT_EQ(X + ":\\", page.list->Directory());
  EXPECT_EQ(Show({X + ":\\"}), Show(page.Items()));
  EXPECT_EQ(Lower(x), page.combo->Drive());
  EXPECT_EQ(selected, page.combo->ItemIndex()) << "a letter without an item leaves the selection";
  EXPECT_EQ(X + ":", page.list->DisplayCase(X + ":")) << "names of a drive that cannot be asked keep their case";
}

TEST_F(Controls, SetDirectoryOnlyWhenTheFolderDiffers) {
  const string dir = Make("Same\\Folder");
  Page page;
  page.list->SetDirectory(dir);
  const int builds = page.list->builds, changes = page.changes;
  page.list->SetDirectory(dir);
  EXPECT_EQ(builds, page.list->builds);
  EXPECT_EQ(changes, page.changes);
  string other = dir;
  CharUpperBuffA(&other[0], static_cast<DWORD>(other.size()));
  page.list->SetDirectory(other);
  const bool moved = page.changes != changes;
  std::printf("volume of %s: preserves case %d, case-sensitive %d\n", dir.c_str(), page.list->PreserveCase(),
              page.list->CaseSensitive());
  EXPECT_EQ(page.list->CaseSensitive(), moved) << "letter case only; the volume is case-sensitive: "
                                                << page.list->CaseSensitive();
  page.list->SetDirectory("");
  EXPECT_EQ(moved ? changes + 1 : changes, page.changes) << "an empty path does nothing";
}

TEST(DisplayCase, FollowsTheVolumeFlags) {
  struct Flags : ProbeList {
    using ProbeList::ProbeList;
    void Set(bool preserve, bool sensitive) {
      FPreserveCase = preserve;
      FCaseSensitive = sensitive;
    }
  };
  const struct {
    bool preserve, sensitive;
    const char* shown;
    bool sameFolder;  // C:\Program Files and c:\program files
  } cases[] = {
      {false, false, "program files", true},
      {true, false, "Program Files", true},
      {true, true, "Program Files", false},
      {false, true, "Program Files", false},
  };
  TForm form(nullptr);
  Flags* list = new Flags(&form);
  for (const auto& c : cases) {
    list->Set(c.preserve, c.sensitive);
    EXPECT_EQ(c.shown, list->DisplayCase("Program Files")) << "preserve " << c.preserve << " sensitive " << c.sensitive;
    EXPECT_EQ(c.sameFolder, list->CompareFolderNames("C:\\Program Files", "c:\\program files") == 0)
        << "preserve " << c.preserve << " sensitive " << c.sensitive;
    EXPECT_NE(0, list->CompareFolderNames("C:\\co-op", "C:\\coop")) << "preserve " << c.preserve;
  }
}

TEST_F(Controls, SwitchDriveRules) {
  const char q = letters[2], r = letters[3], s = letters[4];
  Drive(q, DriveKind::Fixed, "q");
  Drive(r, DriveKind::Fixed, "r");
  Drive(s, DriveKind::Fixed, "s");
  Make("q\\Work\\Docs");
  Make("r\\Work\\Docs");
  Page page;
  page.list->SetDirectory(string(1, q) + ":\\Work\\Docs");
  ASSERT_EQ(string(1, q) + ":\\Work\\Docs", page.list->Directory());

  // The same folder on the other drive, else its root; the combo box passes
  // lower-case letters.
  page.combo->SetDrive(r);
  EXPECT_EQ(string(1, Lower(r)) + ":\\Work\\Docs", page.list->Directory());
  page.combo->SetDrive(s);
  EXPECT_EQ(string(1, Lower(s)) + ":\\", page.list->Directory());

  // The drive shown already, in either case, or the blank: nothing at all.
  const int builds = page.list->builds, changes = page.changes;
  for (char c : {Lower(s), s}) {
    page.combo->SetDrive(c);
    page.list->SwitchDrive(c);
  }
  page.list->SwitchDrive(' ');
  page.list->SwitchDrive('\0');
  EXPECT_EQ(builds, page.list->builds);
  EXPECT_EQ(changes, page.changes);

  // The Program Files drive: the host's folder there, else Program Files.
  const string pf = SpecialFolderPath(CSIDL_PROGRAM_FILES_ID);
  ASSERT_FALSE(pf.empty());
  const string hostDir = pf + "\\Quillora";
  // A host folder that other tests of this prefix left is put aside meanwhile.
  struct Aside {
    string path, away;
    bool moved = false;
    explicit Aside(const string& p) : path(p), away(p + ".aside") {
      moved = FolderExists(path) && MoveFileA(path.c_str(), away.c_str());
    }
    ~Aside() {
      RemoveDirTree(path);
      if (moved) MoveFileA(away.c_str(), path.c_str());
    }
  } aside(hostDir);
  ASSERT_FALSE(FolderExists(hostDir)) << hostDir;
  page.combo->SetDrive(Lower(pf[0]));
  EXPECT_EQ(pf + "\\", page.list->Directory());
  vector<string> chain = page.Items();
  chain.resize(2);
  EXPECT_EQ(Show({pf.substr(0, 3), pf}), Show(chain));
  EXPECT_EQ(1, page.list->ItemIndex());
  page.combo->SetDrive(q);
  MakeDirTree(hostDir);
  page.combo->SetDrive(Lower(pf[0]));
  EXPECT_EQ(hostDir, page.list->Directory());
}

TEST_F(Controls, DriveItemsAndPictures) {
  // Labels: Wine reads them when a drive is defined.
  struct Case {
    char letter;
    DriveKind kind;
    const char* label;
    const char* description;  // "" and no item: CD-ROM
    bool removablePicture;
    bool listed;
  } cases[] = {
      {letters[5], DriveKind::Fixed, "System", "[system]", false, true},
      {letters[6], DriveKind::Removable, "STICK", "[stick]", true, true},
      {letters[7], DriveKind::CdRom, "DISC", "", false, false},
      {letters[8], DriveKind::Remote, "Docs", "[docs]", false, true},
      {letters[9], DriveKind::Fixed, "", "", false, true},
      {letters[10], DriveKind::Fixed, "R&D", "[r&d]", false, true},
  };
  for (const Case& c : cases) Drive(c.letter, c.kind, string("drive") + c.letter, c.label);

  Page page;
  // The label queries silence the system's disk boxes and then put the
  // caller's error mode back.
  const UINT callerMode = SEM_NOOPENFILEERRORBOX;
  const UINT before = SetErrorMode(callerMode);
  page.combo->BuildDriveList();
  EXPECT_EQ(callerMode, SetErrorMode(before)) << "error mode after BuildDriveList";
  EXPECT_EQ(GetLogicalDrives(), page.combo->DriveMask());
  EXPECT_EQ(-1, page.combo->ItemIndex());
  vector<string> items;
  for (int i = 0; i < page.combo->Items()->Count(); ++i) items.push_back(page.combo->Items()->Get(i));
  for (size_t i = 1; i < items.size(); ++i) EXPECT_LT(items[i - 1], items[i]) << "ascending letters";
  for (const string& it : items) EXPECT_TRUE(it[0] >= 'c' && it[0] <= 'z' && it[1] == ':') << it;

  for (const Case& c : cases) {
    const string text = string(1, Lower(c.letter)) + ": " + c.description;
    int at = -1;
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i][0] == Lower(c.letter)) at = static_cast<int>(i);
    if (!c.listed) {
      EXPECT_EQ(-1, at) << "CD-ROM " << c.letter << ": is listed";
      continue;
    }
    ASSERT_NE(-1, at) << c.letter << ": missing from " << Show(items);
    EXPECT_EQ(text, items[at]);
    EXPECT_EQ(c.removablePicture ? page.combo->Removable() : page.combo->Fixed(), page.combo->Items()->GetObject(at))
        << "picture of " << text;
  }

  // The painter: picture 2 pixels in, transparent, on the window colour.
  for (int i = 0; i < page.combo->Items()->Count(); ++i) {
    Surface surf(345, 17);
    page.combo->PaintItem(surf.dc(), i, RECT{0, 0, 345, 17}, clHighlight);
    TBitmap* b = dynamic_cast<TBitmap*>(page.combo->Items()->GetObject(i));
    ASSERT_NE(nullptr, b);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(2, surf.FirstInk(window) - FirstOpaqueColumn(*b)) << items[i];
    const COLORREF transparent = ColorToRGB(b->Pixel(0, b->Height() - 1));
    if (transparent != window) {
      EXPECT_EQ(0, surf.Count(transparent)) << "transparent colour shows, " << items[i];
    }
    EXPECT_EQ(0, surf.Count(GetSysColor(COLOR_HIGHLIGHT))) << "a selected item is drawn like any other";
  }
}

TEST_F(Controls, SetDriveSelectsAndTellsTheList) {
  const char e = letters[11], cd = letters[12], none = letters[13];
  Drive(e, DriveKind::Removable, "e", "STICK");
  Drive(cd, DriveKind::CdRom, "cd");
  Page page;
  int comboChanges = 0;
  page.combo->OnChange = [&](TObject*) { ++comboChanges; };

  page.combo->SetDrive(e);  // upper case in, lower case kept
  EXPECT_EQ(Lower(e), page.combo->Drive());
  ASSERT_GE(page.combo->ItemIndex(), 0);
  EXPECT_EQ(Lower(e), page.combo->Text()[0]);
  EXPECT_EQ(string(1, Lower(e)) + ":\\", page.list->Directory());
  EXPECT_EQ(1, comboChanges);

  // Again, in either case, with an item selected: nothing at all.
  const int changes = page.changes;
  page.combo->SetDrive(e);
  page.combo->SetDrive(Lower(e));
  EXPECT_EQ(1, comboChanges);
  EXPECT_EQ(changes, page.changes);

  // After a rebuild nothing is selected, so the same letter selects again.
  page.combo->BuildDriveList();
  EXPECT_EQ(-1, page.combo->ItemIndex());
  page.combo->SetDrive(Lower(e));
  EXPECT_EQ(2, comboChanges);
  EXPECT_EQ(Lower(e), page.combo->Text()[0]);

  // Letters without an item: the drive changes, the selection stays, the
  // list still goes there.
  const int selected = page.combo->ItemIndex();
  for (char c : {cd, none}) {
    page.combo->SetDrive(c);
    EXPECT_EQ(Lower(c), page.combo->Drive());
    EXPECT_EQ(selected, page.combo->ItemIndex());
    EXPECT_EQ(Lower(c), page.list->Directory()[0]);
  }
  // The blank is no drive.
  page.combo->SetDrive(' ');
  EXPECT_EQ(' ', page.combo->Drive());
  EXPECT_EQ(Lower(none), page.list->Directory()[0]);
}

TEST_F(Controls, WithoutAProgramFilesFolder) {
  // No fallback letter: a path without a drive leaves the list alone, and
  // every drive follows the other-drive rule.
  const char q = letters[14];
  Drive(q, DriveKind::Fixed, "q");
  Make("q\\Work");
  Page page;
  {
    NoProgramFiles none;
    ASSERT_TRUE(none.ok());
    ASSERT_EQ("", SpecialFolderPath(CSIDL_PROGRAM_FILES_ID));
    page.list->SetDirectory("Apps\\Data");
    EXPECT_EQ(0, page.changes);
    EXPECT_EQ(0, page.list->Items()->Count());
    page.list->SetDirectory(string(1, q) + ":\\Work");
    page.combo->SetDrive('c');
    EXPECT_EQ("c:\\", page.list->Directory());
  }
  EXPECT_FALSE(SpecialFolderPath(CSIDL_PROGRAM_FILES_ID).empty()) << "Program Files put back";
}

TEST_F(Controls, PathsWithoutADriveLetter) {
  // A relative path or a network share: the list shows the default home
  // folder under Program Files (walked up) rather than a root made of '\'.
  const string pf = SpecialFolderPath(CSIDL_PROGRAM_FILES_ID);
  ASSERT_FALSE(pf.empty());
  for (const char* path : {"\\\\srv\\share\\dir", "Apps\\Data", "\\Apps"}) {
    Page page;
    page.list->SetDirectory(path);
    const string host = pf + "\\Quillora";
    EXPECT_EQ(FolderExists(host) ? host : pf + "\\", page.list->Directory()) << path;
    EXPECT_EQ(Lower(pf[0]), page.combo->Drive()) << path;
    EXPECT_EQ(1, page.changes) << path;
  }
}

}  // namespace
