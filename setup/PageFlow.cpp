// Page flow of the wizard: the guards of each page, the Back/Next and
// Cancel buttons, the close question and the Finish action.
#include <windows.h>

#include "AttachFiles.h"
#include "InstUtils.h"
#include "InstallRun.h"
#include "MainDlg.h"
#include "Messages.h"
#include "Settings.h"
#include "UpdateLog.h"

namespace {

const char* const kHostRunningText =
    "There are running instances of Quillora Word Processor on your computer.\r"
    "Please close any running instance(s) of Quillora Word Processor before proceeding.";

const char* const kLicenseRefusedText =
    "To install this program, you need to agree to all the terms\r"
    "of the Quillora Word Processor License Agreement.\r"
    "Do you really want to cancel the Quillora Spellchecker install?";

const char* const kNoHostText =
    "The specified folder does not contain a properly installed Quillora Word Processor.\r"
    "Please specify the proper home folder of Quillora Word Processor on your hard disk.";

// Yes quits, No continues: the last line names the answer the box offers.
const char* const kCloseQuestionText =
    "Setup is not complete. If you quit this setup program now,\r"
    "the %s will not be correctly installed.\r\r"
    "You may relaunch the setup program at a later time\r"
    "to complete the installation of the %s.\r\r"
    "To continue installing, click No.\r"
    "To quit this setup program, click Yes.";

// The wait cursor for the length of a scope; the previous one comes back
// on every way out.
class WaitCursor {
 public:
  WaitCursor() : previous_(ScreenCursor()) { SetScreenCursor(crHourGlass); }
  ~WaitCursor() { SetScreenCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  TCursor previous_;
};

std::string CloseQuestionText() { return FormatText(kCloseQuestionText, ProductName); }

}  // namespace

void TMainDlgForm::BNClick(TObject* Sender) {
  int current = PgCtrl->ActivePageIndex();
  GoToPage(static_cast<uint8_t>(current), static_cast<uint8_t>(Sender == BackBtn ? current - 1 : current + 1));
}

void TMainDlgForm::CancelBtnClick(TObject*) { Close(); }

void TMainDlgForm::FormCloseQuery(TObject*, bool& CanClose) {
  if (!CloseApproved) CloseApproved = ShowMessageBox(CloseQuestionText(), mkConfirmation, mbtYes | mbtNo) == IDYES;
  CanClose = CloseApproved;
}

namespace {

// The licence text through a temporary file. False when the user gave up
// the extraction.
bool LoadLicense(TMemo& memo) {
  std::string temp = MakeTempFileName();
  if (!AttachedFiles->ExtractFile(nullptr, "License.txt", temp)) return false;
  try {
    memo.Lines()->LoadFromFile(temp);
  } catch (const Exception&) {
    // An unreadable text leaves the memo empty; the next Next tries again.
  }
  DeleteFileW(WidenString(temp).c_str());
  return true;
}

}  // namespace

void TMainDlgForm::GoToPage(uint8_t FromPage, uint8_t ToPage) {
  TWinControl* focusTarget = nullptr;
  switch (ToPage) {
    case 0:
    case 5:
      break;
    case 1:
      if (FromPage == 0 && LicenseMemo->Lines()->Count() == 0) {
        if (HostRunning()) {
          ShowMessageBox(kHostRunningText, mkInformation, mbtOK);
          return;
        }
        NextBtn->SetEnabled(false);
        CancelBtn->SetEnabled(false);
        WaitCursor wait;
        if (!LoadLicense(*LicenseMemo)) {
          CloseApproved = true;
          SetModalResult(mrCancel);
        }
      }
      focusTarget = LicenseMemo;
      break;
    case 2:
      if (FromPage == 1 && !LicenseChkBx->Checked()) {
        if (ShowMessageBox(kLicenseRefusedText, mkInformation, mbtYes | mbtNo) == IDYES) {
          CloseApproved = true;
          SetModalResult(mrCancel);
        }
        return;
      }
      focusTarget = DestDirEdt;
      break;
    case 3:
      NormalizeDestDir();
      if (!HoldsHost(DestDirEdt->Text())) {
        ShowMessageBox(kNoHostText, mkInformation, mbtOK);
        return;
      }
      HomeDir = DestDirEdt->Text();
      focusTarget = NextBtn;
      break;
    case 4:
      if (HostRunning()) {
        ShowMessageBox(kHostRunningText, mkInformation, mbtOK);
        return;
      }
      break;
    case 6:
      // The Finish action. An exception from the log leaves the wizard on
      // page 5 (the class library reports it); Finish can be pressed again.
      if (!IsPortableInstall()) {
        InstallTime = CurrentDateTime();
        WriteInstallStamp(InstallTime);
        UpdateInstallLog();
      }
      if (FinishChkBx->Checked()) LaunchHost(HomeDir);
      SaveSettings();
      CloseApproved = true;
      SetModalResult(mrOk);
      return;
    default:
      return;
  }

  ShowPage(ToPage, focusTarget);

  if (ToPage == 4) {
    if (RunInstallation(*this)) {
      GoToPage(4, 5);
    } else {
      CloseApproved = true;
      SetModalResult(mrCancel);
    }
  }
}
