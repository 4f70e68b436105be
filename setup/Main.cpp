// The program entry: application object, payload store, wizard, clean-up.
#include <windows.h>
#include <commctrl.h>

#include "Application.h"
#include "AttachFiles.h"
#include "FormReader.h"
#include "InstUtils.h"
#include "MainDlg.h"
#include "Messages.h"

namespace {

const int kExitDamaged = 2;  // the payload could not be loaded

void SetUpApplication() {
  // Icon group 1 at the large-icon size; shared, so the system frees it.
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                             LR_SHARED));
  Application->SetIcon(icon);       // also WM_SETICON ICON_BIG to the hidden window
  Application->SetTitle(SetupTitle);  // also the hidden window's text (taskbar button)
}

// Reported once; nothing has been written yet.
void ReportDamagedPayload(const PayloadError& e) {
  ShowMessageBox("The setup program is damaged and cannot continue.\r\r" + e.what +
                     "\r\rPlease download the setup program again.",
                 mkError, mbtOK);
}

// The classes the wizard's form description names, in this order.
void RegisterComponentClasses() {
  RegisterComponentClass<TBevel>("TBevel");
  RegisterComponentClass<TButton>("TButton");
  RegisterComponentClass<TCheckBox>("TCheckBox");
  RegisterComponentClass<TDirectoryListBox>("TDirectoryListBox");
  RegisterComponentClass<TDriveComboBox>("TDriveComboBox");
  RegisterComponentClass<TEdit>("TEdit");
  RegisterComponentClass<TImage>("TImage");
  RegisterComponentClass<TLabel>("TLabel");
  RegisterComponentClass<TMemo>("TMemo");
  RegisterComponentClass<TPanel>("TPanel");
  RegisterComponentClass<TPageControl>("TPageControl");
  RegisterComponentClass<TTabSheet>("TTabSheet");
}

// The wizard, freed before the store.
struct WizardScope {
  WizardScope() { MainDlgForm = new TMainDlgForm(nullptr); }
  ~WizardScope() {
    delete MainDlgForm;
    MainDlgForm = nullptr;
  }
};

// The process-wide objects, published through their globals for their lifetime.
struct ApplicationScope {
  TApplication application;
  ApplicationScope() { Application = &application; }
  ~ApplicationScope() { Application = nullptr; }
};

struct StoreScope {
  StoreScope() { AttachedFiles = new TAttachedFiles(); }
  ~StoreScope() {
    delete AttachedFiles;  // removes the temporary files
    AttachedFiles = nullptr;
  }
};

int RunSetup() {
  ApplicationScope app;
  RegisterComponentClasses();
  SetUpApplication();
  try {
    StoreScope store;
    WizardScope wizard;
    MainDlgForm->ShowModal();  // every way of ending leads on alike
    if (InstallStarted) MainDlgForm->SaveSettings();
  } catch (const PayloadError& e) {
    ReportDamagedPayload(e);
    return kExitDamaged;
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitInstUtils();
  INITCOMMONCONTROLSEX icc = {sizeof icc, 0xFF};
  InitCommonControlsEx(&icc);
  int exitCode;
  try {
    exitCode = RunSetup();
  } catch (...) {
    // The last chance: "Exception <class name>", then exit code 1.
    ShowCurrentException();
    exitCode = 1;
  }
  ShutdownInstUtils();
  return exitCode;
}
