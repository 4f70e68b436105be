#include "Application.h"

TApplication* Application = nullptr;

namespace {
const char kAppWindowClass[] = "TApplication";
std::string& LastTitle() {
  static std::string title;
  return title;
}

LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(wnd, msg, wp, lp);
}
}  // namespace

TApplication::TApplication() {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = AppWndProc;
  wc.hInstance = inst;
  wc.lpszClassName = kAppWindowClass;
  RegisterClassA(&wc);  // a second registration in tests fails harmlessly
  // Visible-style popup of zero size: it carries the taskbar button's text
  // and icon while the wizard is shown.
  Handle_ = CreateWindowExA(0, kAppWindowClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                            nullptr, nullptr, inst, nullptr);
}

TApplication::~TApplication() {
  if (Handle_) DestroyWindow(Handle_);
}

const std::string& ApplicationTitle() { return LastTitle(); }

void TApplication::SetTitle(const std::string& title) {
  Title_ = title;
  LastTitle() = title;
  if (Handle_) SetWindowTextA(Handle_, title.c_str());
}

void TApplication::SetIcon(HICON icon) {
  Icon_ = icon;
  if (Handle_) SendMessageA(Handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}
