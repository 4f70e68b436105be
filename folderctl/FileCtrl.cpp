// Skeleton bodies: the two controls load from the form and link up; listing
// drives and folders is still to come.
#include "FileCtrl.h"
#include "FormReader.h"

TDriveComboBox::TDriveComboBox(TComponent* owner) : TComboBox(owner) { SetStyle(csOwnerDrawFixed); }

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

void TDriveComboBox::SetDrive(char drive) { FDrive = drive; }

void TDriveComboBox::BuildDriveList() { FDriveMask = GetLogicalDrives(); }

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TListBox(owner) { SetStyle(lbOwnerDrawFixed); }

TDirectoryListBox::~TDirectoryListBox() {
  if (FDriveCombo) FDriveCombo->SetDirList(nullptr);
}

const TPropTable& TDirectoryListBox::Published() const {
  static const TPropTable table(&TListBox::Published(),
                                {NotifyEventProp<TDirectoryListBox>("OnChange", &TDirectoryListBox::OnChange)});
  return table;
}

void TDirectoryListBox::SetDirectory(const std::string& path) {
  if (path.empty() || path == FDirectory) return;
  FDirectory = path;
  NotifyChange();
}

void TDirectoryListBox::SwitchDrive(char drive) { (void)drive; }

void TDirectoryListBox::NotifyChange() {
  if (OnChange) OnChange(this);
}

void TDirectoryListBox::BuildFolderList() {}
