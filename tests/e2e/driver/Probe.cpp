// A small wizard-like window for the driver's self-test: a title band, three
// pages, Back/Next/Cancel (Next is the default button, Cancel answers
// Escape), an edit, a memo, a check box, a list box and a combo box whose
// notifications show up in labels, and task-modal questions.
//
// Exit codes: 3 after quitting through the close question, 7 after
// confirming on the last page.
#include <windows.h>

#include <string>

namespace {

const char kCaption[] = "Driver Probe";
enum {
  IdBack = 101, IdNext, IdDisabled, IdEdit, IdMemo, IdTick, IdList, IdCombo,
  IdTitle = 200, IdPageText, IdListSel, IdListDbl, IdComboSel, IdTickState, IdHidden,
};

HWND g_main;
int g_page = 0;
HBRUSH g_green;
HBRUSH g_white;

HWND Child(int id) { return GetDlgItem(g_main, id); }

void SetText(int id, const std::string& s) { SetWindowTextA(Child(id), s.c_str()); }

std::string ItemText(HWND list, UINT getText, int i) {
  char buf[256] = {};
  if (i >= 0) SendMessageA(list, getText, i, reinterpret_cast<LPARAM>(buf));
  return buf;
}

void ShowPage(int page) {
  g_page = page;
  SetText(IdTitle, "Page " + std::to_string(page));
  SetText(IdPageText, "Text of page " + std::to_string(page));
  ShowWindow(Child(IdBack), page == 0 ? SW_HIDE : SW_SHOW);
}

bool Ask(const char* text) {
  return MessageBoxA(g_main, text, kCaption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

void Quit(int code) {
  DestroyWindow(g_main);
  PostQuitMessage(code);
}

HWND Make(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, g_main,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return c;
}

void Build() {
  Make("Static", "", SS_LEFT, 20, 14, 200, 18, IdTitle);
  Make("Static", "", SS_LEFT, 130, 60, 200, 16, IdPageText);
  Make("Static", "List: ", SS_LEFT, 130, 80, 200, 16, IdListSel);
  Make("Static", "Dbl: ", SS_LEFT, 130, 96, 200, 16, IdListDbl);
  Make("Static", "Combo: ", SS_LEFT, 130, 112, 200, 16, IdComboSel);
  Make("Static", "Tick: 0", SS_LEFT, 130, 128, 200, 16, IdTickState);
  ShowWindow(Make("Static", "Hidden text", SS_LEFT, 130, 300, 100, 16, IdHidden), SW_HIDE);
  Make("Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 130, 150, 200, 20, IdEdit);
  Make("Edit", "line one\r\nline two", WS_BORDER | ES_MULTILINE | ES_READONLY | WS_VSCROLL, 130, 175, 200, 50, IdMemo);
  Make("Button", "I &accept", WS_TABSTOP | BS_AUTOCHECKBOX, 130, 232, 150, 17, IdTick);
  HWND list = Make("ListBox", "", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_HASSTRINGS, 340, 60, 140, 100,
                   IdList);
  const char* items[] = {"alpha", "beta", "\xC9ire", "gamma"};
  for (const char* s : items) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  for (int i = 4; i < 20; ++i) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("item " + std::to_string(i)).c_str()));
  HWND combo = Make("ComboBox", "", WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 340, 170, 140, 100, IdCombo);
  const char* drives[] = {"c:", "d:", "e:"};
  for (const char* s : drives) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  Make("Button", "< &Back", WS_TABSTOP | BS_PUSHBUTTON, 210, 319, 85, 22, IdBack);
  Make("Button", "&Next >", WS_TABSTOP | BS_DEFPUSHBUTTON, 295, 319, 85, 22, IdNext);
  Make("Button", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 392, 319, 85, 22, IDCANCEL);
  EnableWindow(Make("Button", "&Disabled", BS_PUSHBUTTON, 20, 319, 85, 22, IdDisabled), FALSE);
  ShowPage(0);
}

void OnCommand(int id, int code, HWND ctl) {
  switch (id) {
    case IdNext:
      if (g_page < 2)
        ShowPage(g_page + 1);
      else if (Ask("Finish now?\rReally"))
        Quit(7);
      break;
    case IdBack:
      if (g_page > 0) ShowPage(g_page - 1);
      break;
    case IDCANCEL:
      if (Ask("Quit the probe?")) Quit(3);
      break;
    case IdTick:
      if (code == BN_CLICKED)
        SetText(IdTickState, "Tick: " + std::to_string(SendMessageA(ctl, BM_GETCHECK, 0, 0)));
      break;
    case IdList:
      if (code == LBN_SELCHANGE)
        SetText(IdListSel, "List: " + ItemText(ctl, LB_GETTEXT, static_cast<int>(SendMessageA(ctl, LB_GETCURSEL, 0, 0))));
      if (code == LBN_DBLCLK)
        SetText(IdListDbl, "Dbl: " + ItemText(ctl, LB_GETTEXT, static_cast<int>(SendMessageA(ctl, LB_GETCURSEL, 0, 0))));
      break;
    case IdCombo:
      if (code == CBN_SELCHANGE)
        SetText(IdComboSel, "Combo: " + ItemText(ctl, CB_GETLBTEXT, static_cast<int>(SendMessageA(ctl, CB_GETCURSEL, 0, 0))));
      break;
  }
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case DM_GETDEFID:
      return MAKELONG(IdNext, DC_HASDEFID);
    case WM_CLOSE:
      if (Ask("Quit the probe?")) Quit(3);
      return 0;
    case WM_ERASEBKGND: {
      // A white band on top of a green page: the screenshot test looks for both.
      HDC dc = reinterpret_cast<HDC>(wp);
      RECT r;
      GetClientRect(hwnd, &r);
      RECT band = r;
      band.bottom = 46;
      FillRect(dc, &band, g_white);
      r.top = 46;
      FillRect(dc, &r, g_green);
      return 1;
    }
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_green = CreateSolidBrush(RGB(0, 128, 0));
  g_white = CreateSolidBrush(RGB(255, 255, 255));
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = "DriverProbe";
  RegisterClassA(&wc);
  RECT r{0, 0, 492, 351};
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_POPUP;
  AdjustWindowRect(&r, style, FALSE);
  g_main = CreateWindowExA(WS_EX_CONTROLPARENT, "DriverProbe", kCaption, style, 100, 100, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  Build();
  ShowWindow(g_main, SW_SHOW);
  SetFocus(Child(IdNext));

  MSG m;
  int code = 0;
  for (;;) {
    BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got <= 0) {
      code = static_cast<int>(m.wParam);
      break;
    }
    if (IsWindow(g_main) && IsDialogMessageA(g_main, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  DeleteObject(g_green);
  DeleteObject(g_white);
  return code;
}
