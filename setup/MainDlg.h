// The wizard window: six pages, a title band, a logo strip and three buttons.
#pragma once
#include <string>
#include "ComCtrls.h"
#include "DosTime.h"
#include "ExtCtrls.h"
#include "FileCtrl.h"
#include "Forms.h"
#include "StdCtrls.h"

// Titles of the pages 0..5 (6: empty); [0] is formatted with ProductName by
// the wizard's constructor.
extern std::string PageTitles[7];

// True once the installation run begins queueing files; makes the entry
// save the settings at exit.
extern bool InstallStarted;

// A top-level window of a running host carries the property "1.x Nimbrel".
bool HostRunning();

class TMainDlgForm : public TForm {
 public:
  explicit TMainDlgForm(TComponent* owner);
  ~TMainDlgForm() override;
  const char* ClassName() const override { return "TMainDlgForm"; }

  // The components, in declaration order (the form description defines them).
  TPanel* TopPanel = nullptr;
  TLabel* TopLbl = nullptr;
  TImage* LogoSmallImage = nullptr;
  TPanel* LeftPanel = nullptr;
  TImage* LogoImage = nullptr;
  TBevel* LeftBevel = nullptr;
  TPageControl* PgCtrl = nullptr;
  TTabSheet* WelcomeTabSheet = nullptr;
  TLabel* WelcomeLbl = nullptr;
  TTabSheet* LicenseTabSheet = nullptr;
  TLabel* LicenseLbl = nullptr;
  TMemo* LicenseMemo = nullptr;
  TCheckBox* LicenseChkBx = nullptr;
  TTabSheet* DestDirTabSheet = nullptr;
  TLabel* DestDirLbl = nullptr;
  TEdit* DestDirEdt = nullptr;
  TDirectoryListBox* DestDirLstBx = nullptr;
  TDriveComboBox* DestDirCmbBx = nullptr;
  TTabSheet* StartTabSheet = nullptr;
  TLabel* StartLbl = nullptr;
  TTabSheet* InstallingTabSheet = nullptr;
  TTabSheet* FinishTabSheet = nullptr;
  TLabel* FinishLbl = nullptr;
  TCheckBox* FinishChkBx = nullptr;
  TPanel* BottomBevelPanel = nullptr;
  TBevel* BottomBevel = nullptr;
  TPanel* BottomPanel = nullptr;
  TButton* BackBtn = nullptr;
  TButton* NextBtn = nullptr;
  TButton* CancelBtn = nullptr;

  bool CloseApproved = false;  // closing needs no question
  bool Initialized = false;    // set as the constructor's last step
  TDateTime InstallTime = 0;   // moment of the Finish action
  std::string HomeDir;         // the host's home folder

  // Published handlers (bound by name from the form description).
  void BNClick(TObject* Sender);
  void CancelBtnClick(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void DestDirLstBxChange(TObject* Sender);

  // FromPage 255: none (the constructor); ToPage 6: the Finish action.
  void GoToPage(uint8_t FromPage, uint8_t ToPage);
  void NormalizeDestDir();
  bool IsPortableInstall();
  void SaveSettings();
  void UpdateInstallLog();

 protected:
  void WMTimer(TMessage& Message) override;  // the drive watcher (timer 1)
  std::vector<TFieldInfo> PublishedFields() override;
  std::vector<THandlerInfo> PublishedHandlers() override;

 private:
  void LoadLogos();
  void CompleteCaptions();
  void ReadSettings();
  // The show stage of GoToPage: buttons, title, active page, focus.
  void ShowPage(uint8_t ToPage, TWinControl* focusTarget);
};

extern TMainDlgForm* MainDlgForm;
