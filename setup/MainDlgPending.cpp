// PENDING: placeholder bodies so the wizard links while the page flow, the
// settings, the installation run and the home folder page are written.
// Each owner deletes its functions from this file when adding the real ones
// (e.g. in PageFlow.cpp); delete the file when it is empty.
#include "FormReader.h"
#include "InstUtils.h"
#include "MainDlg.h"

bool HostRunning() { return false; }

void TMainDlgForm::BNClick(TObject* Sender) {
  int current = PgCtrl->ActivePageIndex();
  GoToPage(static_cast<uint8_t>(current), static_cast<uint8_t>(Sender == BackBtn ? current - 1 : current + 1));
}

void TMainDlgForm::CancelBtnClick(TObject*) { Close(); }

void TMainDlgForm::FormCloseQuery(TObject*, bool& CanClose) { CanClose = true; }

void TMainDlgForm::DestDirLstBxChange(TObject*) {}

// Only the show stage: no guards and no page work yet.
void TMainDlgForm::GoToPage(uint8_t, uint8_t ToPage) {
  if (ToPage > 5) return;
  ShowPage(ToPage, nullptr);
}

void TMainDlgForm::NormalizeDestDir() {}
bool TMainDlgForm::IsPortableInstall() { return false; }
void TMainDlgForm::SaveSettings() {}
void TMainDlgForm::UpdateInstallLog() {}
void TMainDlgForm::ReadSettings() { HomeDir = JoinPath(SpecialFolderPath(CSIDL_PROGRAM_FILES_ID), "Quillora"); }
void TMainDlgForm::WMTimer(TMessage&) {}
