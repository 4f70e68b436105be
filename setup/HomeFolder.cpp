// The home folder page: the edit follows the folder list, its text is tidied
// into the host's folder, and drives plugged in or removed are taken up.
#include "HomeFolder.h"
#include "InstUtils.h"
#include "MainDlg.h"

namespace {

bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }

}  // namespace

void TMainDlgForm::DestDirLstBxChange(TObject*) {
  // While the constructor gives the list the home folder, the edit keeps the
  // home folder exactly as it was put there.
  if (!Initialized) return;
  DestDirEdt->SetText(DestDirLstBx->Directory());
  NormalizeDestDir();
}

void TMainDlgForm::NormalizeDestDir() {
  DestDirEdt->SetText(
      NormalizedHomeFolder(DestDirEdt->Text(), DestDirCmbBx->Drive(), SpecialFolderPath(CSIDL_PROGRAM_FILES_ID)));
}

void TMainDlgForm::WMTimer(TMessage&) {
  TDriveComboBox* combo = DestDirCmbBx;
  const uint32_t now = GetLogicalDrives();
  if (now == combo->DriveMask()) return;
  const uint32_t oldMask = combo->DriveMask();
  const std::string oldText = combo->Text();
  combo->BuildDriveList();
  const uint32_t newMask = combo->DriveMask();
  if (newMask < oldMask) {
    // Drives went away.
    const char drive = combo->Drive();
    if (IsLowerLetter(drive) && (newMask & (1u << (drive - 'a')))) {
      // The chosen drive is still there: select its item again.
      TStrings* items = combo->Items();
      for (int i = 0, n = items->Count(); i < n; ++i) {
        const std::string s = items->Get(i);
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, s.c_str(), -1, oldText.c_str(),
                           -1) == CSTR_EQUAL) {
          combo->SetItemIndex(i);
          break;
        }
      }
      return;
    }
    // The chosen drive is gone: back to the Program Files drive. Without a
    // Program Files folder there is no drive to fall back to.
    const std::string programFiles = SpecialFolderPath(CSIDL_PROGRAM_FILES_ID);
    if (programFiles.empty()) return;
    char letter = programFiles[0];
    CharLowerBuffA(&letter, 1);
    combo->SetDrive(letter);
    return;
  }
  for (int bit = 2; bit <= 25; ++bit) {
    const uint32_t b = 1u << bit;
    if ((newMask & b) && !(oldMask & b)) {
      combo->SetDrive(static_cast<char>('a' + bit));
      return;
    }
  }
}
