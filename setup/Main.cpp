// The program entry: application object, payload store, wizard, clean-up.
#include <windows.h>
#include <commctrl.h>

#include "Application.h"
#include "AttachFiles.h"
#include "InstUtils.h"
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
  // (component classes for the form loader are registered here)
  SetUpApplication();
  try {
    StoreScope store;
    // (the wizard: construct, show modally, save settings if the run began, free)
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
  // (last-chance handler: an exception escaping here is shown as "Exception %s", exit code 1)
  const int exitCode = RunSetup();
  ShutdownInstUtils();
  return exitCode;
}
