// The drive selector and the folder list of the home folder page.
#include "FileCtrl.h"

#include <algorithm>
#include <vector>

#include "FormReader.h"
#include "InstUtils.h"

namespace {

const char* const HostFolderName = "Quillora";

// The screen's device context, released on every path.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A FindFirstFileA search, closed on every path.
class FolderSearch {
 public:
  FolderSearch(const std::string& pattern, WIN32_FIND_DATAA& data)
      : h_(FindFirstFileA(pattern.c_str(), &data)) {}
  ~FolderSearch() {
    if (valid()) FindClose(h_);
  }
  FolderSearch(const FolderSearch&) = delete;
  FolderSearch& operator=(const FolderSearch&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool next(WIN32_FIND_DATAA& data) { return FindNextFileA(h_, &data) != 0; }

 private:
  HANDLE h_;
};

// No "insert the disk" box from the system while a drive is asked about;
// the previous mode comes back however the query ends.
class CriticalErrorsQuiet {
 public:
  CriticalErrorsQuiet() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~CriticalErrorsQuiet() { SetErrorMode(previous_); }
  CriticalErrorsQuiet(const CriticalErrorsQuiet&) = delete;
  CriticalErrorsQuiet& operator=(const CriticalErrorsQuiet&) = delete;

 private:
  UINT previous_;
};

std::string LocaleLower(const std::string& s) {
  std::string r = s;
  if (!r.empty()) CharLowerBuffA(&r[0], static_cast<DWORD>(r.size()));
  return r;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A path the list can show: a drive letter and a colon.
bool HasDriveLetter(const std::string& path) { return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':'; }

int CompareNames(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a.c_str(), -1, b.c_str(), -1) - 2;
}

std::unique_ptr<TBitmap> LoadPicture(const char* name) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), name);
  return bitmap;
}

TColor BottomLeftColor(const TBitmap& bitmap) { return bitmap.Pixel(0, bitmap.Height() - 1); }

}  // namespace

// ---- unit routines ----

int FontTextHeight(TFont* font) {
  ScreenDC dc;
  if (!dc.get()) return 0;
  HGDIOBJ old = SelectObject(dc.get(), font->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc.get(), &tm);
  SelectObject(dc.get(), old);
  return tm.tmHeight;
}

// ---- TDriveComboBox ----

TDriveComboBox::TDriveComboBox(TComponent* owner) : TComboBox(owner) {
  SetStyle(csOwnerDrawFixed);
  FFixedBitmap = LoadPicture("FIXEDDRIVE");
  FRemovableBitmap = LoadPicture("REMOVABLEDRIVE");
  const int textHeight = FontTextHeight(Font()) + 4;
  SetItemHeight(textHeight >= FFixedBitmap->Height() ? textHeight : FFixedBitmap->Height());
}

TDriveComboBox::~TDriveComboBox() { SetDirList(nullptr); }

const TPropTable& TDriveComboBox::Published() const {
  static const TPropTable table(&TComboBox::Published(),
                                {ComponentProp<TDriveComboBox, TDirectoryListBox>("DirList", &TDriveComboBox::SetDirList)});
  return table;
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
  if (FDirList) FDirList->FDriveCombo = nullptr;
  FDirList = list;
  if (FDirList) FDirList->FDriveCombo = this;
}

void TDriveComboBox::CreateWnd() {
  TComboBox::CreateWnd();
  BuildDriveList();
  SetDrive(FDrive);
}

void TDriveComboBox::BuildDriveList() {
  SetCaption(std::string());
  Items()->Clear();
  FDriveMask = GetLogicalDrives();
  // A: and B: are never listed.
  for (int bit = 2; bit <= 25; ++bit) {
    if (!(FDriveMask & (1u << bit))) continue;
    const char letter = static_cast<char>('a' + bit);
    const std::string root = std::string(1, letter) + ":\\";
    const UINT type = GetDriveTypeA(root.c_str()) & 0xFF;
    if (type == DRIVE_CDROM) continue;
    const std::string description = type == DRIVE_REMOTE ? NetworkText(letter) : VolumeText(letter);
    AddDriveItem(letter, description, IsRemovableDrive(root) ? FRemovableBitmap.get() : FFixedBitmap.get());
  }
}

void TDriveComboBox::AddDriveItem(char letter, const std::string& description, TBitmap* picture) {
  Items()->AddObject(std::string(1, letter) + ": " + description, picture);
}

std::string TDriveComboBox::VolumeText(char letter) {
  const std::string root = std::string(1, letter) + ":\\";
  char label[261] = {};
  DWORD maxComponent = 0, flags = 0;
  std::string text;
  {
    CriticalErrorsQuiet quiet;
    if (GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, &maxComponent, &flags, nullptr, 0)) {
      label[sizeof label - 1] = '\0';
      text = label;
    }
  }
  text = LowerCaseFileText(text);
  return text.empty() ? text : "[" + text + "]";
}

std::string TDriveComboBox::NetworkText(char letter) {
  char local[3] = {AsciiUpper(letter), ':', '\0'};
  char remote[261] = {};
  DWORD size = sizeof remote;
  if (BoundWNetGetConnectionA(local, remote, &size) == NO_ERROR) {
    remote[sizeof remote - 1] = '\0';
    return LowerCaseFileText(remote);
  }
  return VolumeText(letter);
}

void TDriveComboBox::SetDrive(char drive) {
  if (ItemIndex() >= 0 && AsciiUpper(drive) == AsciiUpper(FDrive)) return;
  // A letter is kept in lower case; anything else becomes the blank, which
  // the list ignores (upper case plus 32 would turn a blank into '@').
  FDrive = IsAsciiLetter(drive) ? static_cast<char>(AsciiUpper(drive) + 32) : ' ';
  TStrings* items = Items();
  for (int i = 0, n = items->Count(); i < n; ++i) {
    const std::string s = items->Get(i);
    if (s.size() >= 2 && AsciiUpper(s[0]) == AsciiUpper(FDrive) && s[1] == ':') {
      SetItemIndex(i);
      break;
    }
  }
  if (FDirList) FDirList->SwitchDrive(FDrive);
  Change();
}

void TDriveComboBox::Click() {
  TComboBox::Click();
  const int index = ItemIndex();
  if (index < 0) return;
  const std::string s = Items()->Get(index);
  if (!s.empty()) SetDrive(s[0]);
}

void TDriveComboBox::DrawItem(int index, const RECT& rect) {
  TCanvas* canvas = Canvas();
  // Selected items look like the others: only the focus rectangle marks one.
  const TColor oldBrush = canvas->Brush()->Color();
  const TColor oldFont = canvas->Font()->Color();
  canvas->Brush()->SetColor(clWindow);
  canvas->FillRect(rect);
  RECT textRect = rect;
  if (auto* picture = dynamic_cast<TBitmap*>(Items()->GetObject(index))) {
    canvas->DrawTransparent(rect.left + 2, (rect.top + rect.bottom - picture->Height()) / 2, *picture,
                            BottomLeftColor(*picture));
    textRect.left += picture->Width() + 6;
  }
  canvas->Font()->SetColor(clWindowText);
  canvas->DrawText(Items()->Get(index), textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  canvas->Brush()->SetColor(oldBrush);
  canvas->Font()->SetColor(oldFont);
}

// ---- TDirectoryListBox ----

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TListBox(owner) {
  SetStyle(lbOwnerDrawFixed);
  FOpenBitmap = LoadPicture("OPENFOLDER");
  FClosedBitmap = LoadPicture("CLOSEDFOLDER");
  const int textHeight = FontTextHeight(Font());
  const int pictureHeight = FOpenBitmap->Height() + 1;
  SetItemHeight(textHeight >= pictureHeight ? textHeight : pictureHeight);
}

TDirectoryListBox::~TDirectoryListBox() {
  if (FDriveCombo) FDriveCombo->SetDirList(nullptr);
}

const TPropTable& TDirectoryListBox::Published() const {
  static const TPropTable table(&TListBox::Published(),
                                {NotifyEventProp<TDirectoryListBox>("OnChange", &TDirectoryListBox::OnChange)});
  return table;
}

void TDirectoryListBox::CreateWnd() {
  TListBox::CreateWnd();
  BuildFolderList();
  const int level = PathLevel(FDirectory);
  if (level < Items()->Count()) SetItemIndex(level);
}

void TDirectoryListBox::Click() {
  const int index = ItemIndex();
  if (index >= 0) SetDirectory(Items()->Get(index));
}

void TDirectoryListBox::NotifyChange() {
  if (OnChange) OnChange(this);
}

int TDirectoryListBox::CompareFolderNames(const std::string& a, const std::string& b) const {
  const std::string x = FCaseSensitive ? a : LowerCaseFileText(a);
  const std::string y = FCaseSensitive ? b : LowerCaseFileText(b);
  return CompareStringA(LOCALE_USER_DEFAULT, 0, x.data(), static_cast<int>(x.size()), y.data(),
                        static_cast<int>(y.size())) -
         2;
}

std::string TDirectoryListBox::DisplayCase(const std::string& name) const {
  return (FPreserveCase || FCaseSensitive) ? name : LocaleLower(name);
}

void TDirectoryListBox::SetDirectory(const std::string& requested) {
  if (requested.empty()) return;
  std::string path = requested;
  // A relative path or a network share has no drive to list or to hand to
  // the drive selector; show the default home folder instead, and nothing
  // when Program Files is unknown. The home folder edit keeps the text.
  if (!HasDriveLetter(path)) {
    const std::string programFiles = SpecialFolderPath(CSIDL_PROGRAM_FILES_ID);
    if (!HasDriveLetter(programFiles)) return;
    path = JoinPath(programFiles, HostFolderName);
  }
  if (CompareFolderNames(path, FDirectory) == 0) return;
  while (!FolderExists(path) && path.size() > DrivePart(path).size() + 1) {
    if (LastChar(path) == '\\') DeleteLastChar(path);
    path = FolderPart(path);
  }
  const bool driveChanged = AsciiUpper(path[0]) != AsciiUpper(FDirectory.empty() ? '\0' : FDirectory[0]);
  FDirectory = path;
  if (driveChanged) {
    struct InSetDirectory {
      bool& flag;
      explicit InSetDirectory(bool& f) : flag(f) { flag = true; }
      ~InSetDirectory() { flag = false; }
    } guard(FInSetDirectory);
    if (FDriveCombo)
      FDriveCombo->SetDrive(FDirectory[0]);
    else
      SwitchDrive(FDirectory[0]);
  }
  BuildFolderList();
  NotifyChange();
}

void TDirectoryListBox::SwitchDrive(char drive) {
  if (static_cast<unsigned char>(drive) <= ' ') return;
  // Only letters make a drive; anything else would make a root of nonsense.
  if (!IsAsciiLetter(drive)) return;
  if (AsciiUpper(drive) == AsciiUpper(FDirectory.empty() ? '\0' : FDirectory[0])) return;
  std::string programFiles = SpecialFolderPath(CSIDL_PROGRAM_FILES_ID);
  if (!programFiles.empty() && AsciiUpper(drive) == AsciiUpper(programFiles[0])) {
    AddPathDelimiter(programFiles);
    const std::string hostFolder = programFiles + HostFolderName;
    FDirectory = FolderExists(hostFolder) ? hostFolder : programFiles;
  } else {
    const size_t colon = FDirectory.find(':');
    std::string sameFolder;
    if (colon != std::string::npos) sameFolder = std::string(1, drive) + FDirectory.substr(colon);
    FDirectory = (!sameFolder.empty() && FolderExists(sameFolder)) ? sameFolder : std::string(1, drive) + ":\\";
  }
  if (!FInSetDirectory) {
    BuildFolderList();
    NotifyChange();
  }
}

void TDirectoryListBox::BuildFolderList() {
  TStrings* items = Items();
  struct Update {
    TStrings* items;
    explicit Update(TStrings* i) : items(i) { items->BeginUpdate(); }
    ~Update() { items->EndUpdate(); }
  } update(items);
  items->Clear();
  // No folder yet: nothing to show.
  if (FDirectory.empty() || FDirectory[0] == '\0') return;

  const std::string root = DrivePart(FDirectory) + "\\";
  DWORD maxComponent = 0, flags = 0;
  if (GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, &maxComponent, &flags, nullptr, 0)) {
    FPreserveCase = (flags & (FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED)) != 0;
    FCaseSensitive = (flags & FS_CASE_SENSITIVE) != 0;
  } else {
    // A drive that is gone or not ready: show the names as they were given.
    FPreserveCase = true;
    FCaseSensitive = false;
  }

  std::string chain = FDirectory;
  while (chain.size() > 3) {
    if (LastChar(chain) == '\\') DeleteLastChar(chain);
    items->InsertObject(0, chain, FOpenBitmap.get());
    while (!chain.empty() && LastChar(chain) != '\\') DeleteLastChar(chain);
  }
  if (!chain.empty()) items->InsertObject(0, chain, FOpenBitmap.get());
  const int current = items->Count() - 1;

  // Sorted as the string lists sort; a name equal to one already collected
  // goes before it.
  std::vector<std::string> names;
  std::string pattern = FDirectory;
  if (LastChar(pattern) != '\\') pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAA data{};
  {
    FolderSearch search(pattern, data);
    if (search.valid()) {
      do {
        const DWORD attributes = data.dwFileAttributes;
        if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */)) continue;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        data.cFileName[MAX_PATH - 1] = '\0';
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        auto at = std::lower_bound(names.begin(), names.end(), name,
                                   [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; });
        names.insert(at, name);
      } while (search.next(data));
    }
  }
  std::string prefix = FDirectory;
  AddPathDelimiter(prefix);
  for (const std::string& name : names) items->AddObject(prefix + name, FClosedBitmap.get());
  if (HandleAllocated()) SetItemIndex(current);
}

void TDirectoryListBox::DrawItem(int index, const RECT& rect) {
  TCanvas* canvas = Canvas();
  canvas->FillRect(rect);
  int indent = index * 12 + 3;
  int pictureWidth = 16;
  const int height = rect.bottom - rect.top;
  if (auto* picture = dynamic_cast<TBitmap*>(Items()->GetObject(index))) {
    // Every subfolder stands one step right of the current folder.
    if (picture == FClosedBitmap.get()) indent = (PathLevel(FDirectory) + 1) * 12 + 3;
    pictureWidth = picture->Width();
    canvas->DrawTransparent(rect.left + indent, rect.top + (height - picture->Height()) / 2, *picture,
                            BottomLeftColor(*picture));
  }
  const std::string s = Items()->Get(index);
  const std::string text = DisplayCase(index == 0 ? s.substr(0, 2) : NamePart(s));
  canvas->TextOut(rect.left + pictureWidth + indent + 4, rect.top + (height - canvas->TextHeight("A")) / 2, text);
}
