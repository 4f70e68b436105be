// The drive selector and the folder list of the home folder page.
// (Skeleton: enough for the wizard's form to load; the behaviour of both
// controls is being written in this folder.)
#pragma once
#include <cstdint>
#include <string>
#include "Graphics.h"
#include "StdCtrls.h"

class TDirectoryListBox;

class TDriveComboBox : public TComboBox {
 public:
  explicit TDriveComboBox(TComponent* owner);
  ~TDriveComboBox() override;
  const char* ClassName() const override { return "TDriveComboBox"; }
  const TPropTable& Published() const override;

  TDirectoryListBox* DirList() const { return FDirList; }
  void SetDirList(TDirectoryListBox* list);  // two-way link
  char Drive() const { return FDrive; }
  void SetDrive(char drive);
  uint32_t DriveMask() const { return FDriveMask; }
  void BuildDriveList();

 protected:
  TDirectoryListBox* FDirList = nullptr;
  char FDrive = 0;
  TBitmap* FFixedBitmap = nullptr;
  TBitmap* FRemovableBitmap = nullptr;
  uint32_t FDriveMask = 0;
};

class TDirectoryListBox : public TListBox {
 public:
  explicit TDirectoryListBox(TComponent* owner);
  ~TDirectoryListBox() override;
  const char* ClassName() const override { return "TDirectoryListBox"; }
  const TPropTable& Published() const override;

  const std::string& Directory() const { return FDirectory; }
  void SetDirectory(const std::string& path);
  void SwitchDrive(char drive);
  virtual void NotifyChange();
  virtual void BuildFolderList();
  TNotifyEvent OnChange;

 protected:
  friend class TDriveComboBox;
  TDriveComboBox* FDriveCombo = nullptr;
  bool FInSetDirectory = false;
  bool FPreserveCase = false;
  bool FCaseSensitive = false;
  TBitmap* FClosedBitmap = nullptr;
  TBitmap* FOpenBitmap = nullptr;
  std::string FDirectory = std::string(1, '\0');
};

int FontTextHeight(TFont* font);
