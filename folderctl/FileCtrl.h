// The drive selector and the folder list of the home folder page, and the
// small text routines they share.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include "Graphics.h"
#include "StdCtrls.h"

class TDirectoryListBox;

// Drives C: to Z: but CD-ROMs, each as "<letter>: <label or network name>"
// with a picture. Bound to a folder list through DirList: choosing a drive
// moves the list there, and the list makes the combo follow its drive.
class TDriveComboBox : public TComboBox {
 public:
  explicit TDriveComboBox(TComponent* owner);
  ~TDriveComboBox() override;
  const char* ClassName() const override { return "TDriveComboBox"; }
  const TPropTable& Published() const override;

  TDirectoryListBox* DirList() const { return FDirList; }
  void SetDirList(TDirectoryListBox* list);  // two-way link
  // Lower-case letter; '\0' before any choice, ' ' after a creation with none.
  char Drive() const { return FDrive; }
  void SetDrive(char drive);
  // GetLogicalDrives as the last BuildDriveList saw it.
  uint32_t DriveMask() const { return FDriveMask; }
  // Rebuilds the items and the mask; leaves nothing selected.
  void BuildDriveList();

 protected:
  void CreateWnd() override;
  void DrawItem(int index, const RECT& rect) override;
  void Click() override;

  // Item descriptions (not to be called with the blank or the zero char).
  static std::string VolumeText(char letter);
  static std::string NetworkText(char letter);
  void AddDriveItem(char letter, const std::string& description, TBitmap* picture);

  TDirectoryListBox* FDirList = nullptr;  // not owned
  char FDrive = 0;
  std::unique_ptr<TBitmap> FFixedBitmap;      // disks, network, RAM disks
  std::unique_ptr<TBitmap> FRemovableBitmap;  // removable and USB/1394 disks
  uint32_t FDriveMask = 0;
};

// The current folder as the chain of its ancestors (open folders) followed
// by its subfolders (closed folders) in name order. Selecting an item makes
// it the current folder at once.
class TDirectoryListBox : public TListBox {
 public:
  explicit TDirectoryListBox(TComponent* owner);
  ~TDirectoryListBox() override;
  const char* ClassName() const override { return "TDirectoryListBox"; }
  const TPropTable& Published() const override;

  // A full path; one '\0' character before any folder was set.
  const std::string& Directory() const { return FDirectory; }
  // Walks up to the nearest existing folder (at most to the drive root).
  // A path that names no drive letter (relative, or \\server\share) stands
  // for the default home folder below Program Files; ignored when that
  // folder is unknown.
  void SetDirectory(const std::string& path);
  // The same folder on the other drive, or its root; the host's folder on
  // the Program Files drive.
  void SwitchDrive(char drive);
  // <0, 0, >0 with the case rule of the volume listed last.
  int CompareFolderNames(const std::string& a, const std::string& b) const;
  // A name as the volume would show it: lower case where case is not kept.
  std::string DisplayCase(const std::string& name) const;
  bool PreserveCase() const { return FPreserveCase; }
  bool CaseSensitive() const { return FCaseSensitive; }
  TDriveComboBox* DriveCombo() const { return FDriveCombo; }

  virtual void NotifyChange();
  virtual void BuildFolderList();
  TNotifyEvent OnChange;

 protected:
  void CreateWnd() override;
  void DrawItem(int index, const RECT& rect) override;
  void Click() override;

  friend class TDriveComboBox;
  TDriveComboBox* FDriveCombo = nullptr;  // not owned; set by the combo box
  bool FInSetDirectory = false;
  bool FPreserveCase = false;
  bool FCaseSensitive = false;
  std::unique_ptr<TBitmap> FClosedBitmap;  // subfolders
  std::unique_ptr<TBitmap> FOpenBitmap;    // the chain
  std::string FDirectory = std::string(1, '\0');
};

// tmHeight of the font on the screen's device context.
int FontTextHeight(TFont* font);
// ASCII letters lowered, double-byte characters untouched where the system
// has them; otherwise the locale's lower case.
std::string LowerCaseFileText(const std::string& text);
// Backslashes in the path, one trailing backslash not counted.
int PathLevel(const std::string& path);
// The text after the last '\' or ':'; the whole path when it has neither.
std::string NamePart(const std::string& path);
// a to z become A to Z, nothing else changes.
char AsciiUpper(char c);
