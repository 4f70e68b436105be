// The wizard window: built from the form description "TMAINDLGFORM", then
// completed by code (caption, titles, logos, settings, timer, page 0).
#include "MainDlg.h"
#include "AttachFiles.h"
#include "FormReader.h"
#include "InstUtils.h"
#include "Messages.h"

std::string PageTitles[7] = {"Welcome to the %s", "License Agreement", "Specify Home Folder", "Ready to Install",
                             "Installing",        "Installation Complete", ""};

TMainDlgForm* MainDlgForm = nullptr;

namespace {
const UINT_PTR kDriveWatchTimer = 1;

// Deletes the logo file once, also when a load fails.
class TempFile {
 public:
  explicit TempFile(std::string name) : Name_(std::move(name)) {}
  ~TempFile() { Delete(); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Name() const { return Name_; }
  void Delete() {
    if (Name_.empty()) return;
    DeleteFileW(WidenString(Name_).c_str());
    Name_.clear();
  }

 private:
  std::string Name_;
};
}  // namespace

TMainDlgForm::TMainDlgForm(TComponent* owner) : TForm(owner) {
  ReadFormResource("TMAINDLGFORM");
  SetCaption(SetupTitle);
  PageTitles[0] = FormatText(PageTitles[0], ProductName);
  // Themed parents would lend the band their background: it stays white.
  TopPanel->SetParentBackground(false);
  LoadLogos();
  CompleteCaptions();
  ReadSettings();
  DestDirEdt->SetText(HomeDir);
  DestDirLstBx->SetDirectory(HomeDir);
  SetTimer(Handle(), kDriveWatchTimer, 1000, nullptr);
  GoToPage(255, 0);
  Initialized = true;
}

TMainDlgForm::~TMainDlgForm() {
  if (HandleAllocated()) KillTimer(Handle(), kDriveWatchTimer);
}

// One temporary file for both pictures; a picture that cannot be loaded
// (its extraction was abandoned) raises, and the wizard is not created.
void TMainDlgForm::LoadLogos() {
  TempFile temp(MakeTempFileName());
  AttachedFiles->ExtractFile(nullptr, "Logo.bmp", temp.Name());
  LogoImage->Bitmap()->LoadFromFile(temp.Name());
  AttachedFiles->ExtractFile(nullptr, "LogoSmall.bmp", temp.Name());
  LogoSmallImage->Bitmap()->LoadFromFile(temp.Name());
  temp.Delete();
}

// The welcome text leaves the brand word out.
void TMainDlgForm::CompleteCaptions() {
  WelcomeLbl->SetCaption(FormatText(WelcomeLbl->Caption(), "Irish Spellchecker"));
  StartLbl->SetCaption(FormatText(StartLbl->Caption(), ProductName));
  FinishLbl->SetCaption(FormatText(FinishLbl->Caption(), ProductName));
}

void TMainDlgForm::ShowPage(uint8_t ToPage, TWinControl* focusTarget) {
  BackBtn->SetVisible(ToPage != 0);
  BackBtn->SetEnabled(ToPage < 4);
  BackBtn->SetCaption("< &Back");
  NextBtn->SetEnabled(ToPage != 4);
  NextBtn->SetCaption(ToPage == 5 ? "&Finish" : "&Next >");
  CancelBtn->SetEnabled(ToPage != 5);
  CancelBtn->SetCaption(ButtonCaptions[mbCancel]);
  TopLbl->SetCaption(PageTitles[ToPage < 7 ? ToPage : 6]);
  PgCtrl->SetActivePageIndex(ToPage);
  if (focusTarget) focusTarget->SetFocus();
  // The installing page runs synchronously after this: paint it first.
  if (HandleAllocated() && IsWindowVisible(Handle()))
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

std::vector<TFieldInfo> TMainDlgForm::PublishedFields() {
  return {
      Field("TopPanel", TopPanel),
      Field("TopLbl", TopLbl),
      Field("LogoSmallImage", LogoSmallImage),
      Field("LeftPanel", LeftPanel),
      Field("LogoImage", LogoImage),
      Field("LeftBevel", LeftBevel),
      Field("PgCtrl", PgCtrl),
      Field("WelcomeTabSheet", WelcomeTabSheet),
      Field("WelcomeLbl", WelcomeLbl),
      Field("LicenseTabSheet", LicenseTabSheet),
      Field("LicenseLbl", LicenseLbl),
      Field("LicenseMemo", LicenseMemo),
      Field("LicenseChkBx", LicenseChkBx),
      Field("DestDirTabSheet", DestDirTabSheet),
      Field("DestDirLbl", DestDirLbl),
      Field("DestDirEdt", DestDirEdt),
      Field("DestDirLstBx", DestDirLstBx),
      Field("DestDirCmbBx", DestDirCmbBx),
      Field("StartTabSheet", StartTabSheet),
      Field("StartLbl", StartLbl),
      Field("InstallingTabSheet", InstallingTabSheet),
      Field("FinishTabSheet", FinishTabSheet),
      Field("FinishLbl", FinishLbl),
      Field("FinishChkBx", FinishChkBx),
      Field("BottomBevelPanel", BottomBevelPanel),
      Field("BottomBevel", BottomBevel),
      Field("BottomPanel", BottomPanel),
      Field("BackBtn", BackBtn),
      Field("NextBtn", NextBtn),
      Field("CancelBtn", CancelBtn),
  };
}

std::vector<THandlerInfo> TMainDlgForm::PublishedHandlers() {
  return {
      Handler("BNClick", this, &TMainDlgForm::BNClick),
      Handler("CancelBtnClick", this, &TMainDlgForm::CancelBtnClick),
      Handler("FormCloseQuery", this, &TMainDlgForm::FormCloseQuery),
      Handler("DestDirLstBxChange", this, &TMainDlgForm::DestDirLstBxChange),
  };
}
