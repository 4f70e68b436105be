#include "Forms.h"
#include <functional>
#include "Application.h"
#include "FormReader.h"
#include "StdCtrls.h"

namespace {
TCursor g_ScreenCursor = crDefault;

// Every descendant, depth first, in creation order: the tab order.
void CollectControls(TWinControl* parent, std::vector<TWinControl*>& out) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TWinControl* c = parent->Controls(i);
    out.push_back(c);
    CollectControls(c, out);
  }
}

bool Usable(const TWinControl* c) {
  return c->HandleAllocated() && IsWindowVisible(c->Handle()) && c->CanFocus();
}

// "&x" in a caption (not "&&"): x equals ch, both upper-cased.
bool IsAccel(WPARAM ch, const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    char a[2] = {caption[i + 1], 0};
    char b[2] = {static_cast<char>(ch), 0};
    CharUpperA(a);
    CharUpperA(b);
    return a[0] == b[0];
  }
  return false;
}
}  // namespace

TCursor ScreenCursor() { return g_ScreenCursor; }

void SetScreenCursor(TCursor cursor) {
  g_ScreenCursor = cursor;
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(cursor == crHourGlass ? 32514 : 32512)));  // IDC_WAIT, IDC_ARROW
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  SetParentFont(false);
  SetVisible(false);
}

TForm::~TForm() {
  BeginDestruction();
  DestroyHandle();
}

const TPropTable& TForm::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {
          IntProp<TForm>("ClientWidth", &TForm::SetClientWidth),
          IntProp<TForm>("ClientHeight", &TForm::SetClientHeight),
          EnumProp<TForm, TFormBorderStyle>("BorderStyle", &TForm::SetBorderStyle,
                                            {{"bsNone", bsNone},
                                             {"bsSingle", bsSingle},
                                             {"bsSizeable", bsSizeable},
                                             {"bsDialog", bsDialog},
                                             {"bsToolWindow", bsToolWindow},
                                             {"bsSizeToolWin", bsSizeToolWin}}),
          SetProp<TForm>("BorderIcons", &TForm::SetBorderIcons,
                         {{"biSystemMenu", biSystemMenu},
                          {"biMinimize", biMinimize},
                          {"biMaximize", biMaximize},
                          {"biHelp", biHelp}}),
          EnumProp<TForm, TPosition>("Position", &TForm::SetPosition,
                                     {{"poDesigned", poDesigned},
                                      {"poDefault", poDefault},
                                      {"poScreenCenter", poScreenCenter},
                                      {"poDesktopCenter", poDesktopCenter}}),
          IntProp<TForm>("PixelsPerInch", &TForm::SetPixelsPerInch),
          StringProp<TWinControl>("Caption", &TWinControl::SetCaption),
          CloseQueryEventProp<TForm>("OnCloseQuery", &TForm::OnCloseQuery),
      });
  return table;
}

namespace {
void WindowStyles(TFormBorderStyle border, TBorderIcons icons, DWORD& style, DWORD& exStyle) {
  style = WS_CLIPCHILDREN;
  exStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
  switch (border) {
    case bsNone: style |= WS_POPUP; break;
    case bsSingle: style |= WS_CAPTION; break;
    case bsSizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog: style |= WS_CAPTION; exStyle |= WS_EX_DLGMODALFRAME; break;
    case bsToolWindow: style |= WS_CAPTION; exStyle |= WS_EX_TOOLWINDOW; break;
    case bsSizeToolWin: style |= WS_CAPTION | WS_THICKFRAME; exStyle |= WS_EX_TOOLWINDOW; break;
  }
  if (border != bsNone && (icons & biSystemMenu)) {
    style |= WS_SYSMENU;
    // Dialogs and tool windows have no minimise or maximise box.
    if (border == bsSingle || border == bsSizeable) {
      if (icons & biMinimize) style |= WS_MINIMIZEBOX;
      if (icons & biMaximize) style |= WS_MAXIMIZEBOX;
    }
  }
}
}  // namespace

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "WinlibForm";
  params.OwnClass = true;
  WindowStyles(BorderStyle_, BorderIcons_, params.Style, params.ExStyle);
  RECT r = {0, 0, ClientWidth_, ClientHeight_};
  AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
  params.Width = r.right - r.left;
  params.Height = r.bottom - r.top;
  if (Position_ == poScreenCenter || Position_ == poDesktopCenter) {
    params.X = (GetSystemMetrics(SM_CXSCREEN) - params.Width) / 2;
    params.Y = (GetSystemMetrics(SM_CYSCREEN) - params.Height) / 2;
  } else if (Position_ == poDefault) {
    params.X = params.Y = CW_USEDEFAULT;
  }
  params.WndParent = nullptr;
}

void TForm::CreateWnd() {
  ApplyClientSize();
  if (Application && Application->Icon()) {
    SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Application->Icon()));
    SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Application->Icon()));
  }
  TWinControl::CreateWnd();
}

// The frame may come out another size than asked: fix the client size.
void TForm::ApplyClientSize() {
  if (!HandleAllocated()) return;
  RECT client, window;
  GetClientRect(Handle(), &client);
  GetWindowRect(Handle(), &window);
  int dw = ClientWidth_ - client.right, dh = ClientHeight_ - client.bottom;
  if (dw || dh)
    SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left + dw, window.bottom - window.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetClientWidth(int v) {
  ClientWidth_ = v;
  ApplyClientSize();
  Realign();
}

void TForm::SetClientHeight(int v) {
  ClientHeight_ = v;
  ApplyClientSize();
  Realign();
}

// ---- the modal loop ----

int TForm::ShowModal() {
  if (InModalLoop_) throw EInvalidOperation("form " + Name() + " is already shown modally");
  HandleNeeded();
  ModalResult_ = 0;
  InModalLoop_ = true;
  SetVisible(true);
  SetForegroundWindow(Handle());
  MSG msg;
  for (;;) {
    if (ModalResult_ != 0) {
      bool canClose = false;
      GuardedCall([&] { canClose = CloseQuery(); });
      if (canClose) break;
      ModalResult_ = 0;
    }
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT: pass it on to whoever runs the next loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      ModalResult_ = mrCancel;
      break;
    }
    if (got == -1) {
      ModalResult_ = mrCancel;
      break;
    }
    if (IsDialogKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  SetVisible(false);
  InModalLoop_ = false;
  return ModalResult_;
}

void TForm::SetModalResult(int result) {
  ModalResult_ = result;
  // Set from a sent message or a timer, the loop may not wake on its own.
  if (InModalLoop_ && result != 0 && HandleAllocated()) PostMessageA(Handle(), WM_NULL, 0, 0);
}

void TForm::Close() {
  if (InModalLoop_) {
    SetModalResult(mrCancel);
    return;
  }
  if (CloseQuery()) SetVisible(false);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

// ---- focus and the dialog keys ----

TWinControl* TForm::ActiveControl() const {
  HWND f = GetFocus();
  if (f && HandleAllocated() && IsChild(Handle(), f)) return FromHandle(f);
  return LastFocus_ ? FromHandle(LastFocus_) : nullptr;
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control) control->SetFocus();
}

void TForm::SelectNext(bool forward) {
  std::vector<TWinControl*> all;
  CollectControls(this, all);
  auto isStop = [this](TWinControl* c) {
    if (!c->TabStop() || !Usable(c)) return false;
    return !(Leaving_ && (c == Leaving_ || IsChild(Leaving_->Handle(), c->Handle())));
  };
  // Where the focus is now: the control that has it or contains it.
  const int n = static_cast<int>(all.size());
  int pos = -1;
  for (HWND w = GetFocus(); w && w != Handle() && pos < 0; w = GetParent(w))
    for (int i = 0; i < n; ++i)
      if (all[i]->Handle() == w) pos = i;
  if (pos < 0 && !forward) pos = n;
  TWinControl* target = nullptr;
  for (int k = 1; k <= n && !target; ++k) {
    int i = ((forward ? pos + k : pos - k) % n + n) % n;
    if (isStop(all[i])) target = all[i];
  }
  if (!target) {
    if (HandleAllocated() && IsWindowVisible(Handle())) ::SetFocus(Handle());
    return;
  }
  target->SetFocus();
  if (auto* edit = dynamic_cast<TEdit*>(target)) {
    if (!dynamic_cast<TMemo*>(edit)) edit->SelectAll();
  }
}

void TForm::MoveFocusFrom(TWinControl* leaving) {
  Leaving_ = leaving;
  SelectNext(true);
  Leaving_ = nullptr;
}

TButton* TForm::DefaultButton() const {
  std::vector<TWinControl*> all;
  CollectControls(const_cast<TForm*>(this), all);
  for (TWinControl* c : all)
    if (auto* b = dynamic_cast<TButton*>(c))
      if (b->Default() && b->HandleAllocated() && IsWindowVisible(b->Handle())) return b;
  return nullptr;
}

TButton* TForm::CancelButton() const {
  std::vector<TWinControl*> all;
  CollectControls(const_cast<TForm*>(this), all);
  for (TWinControl* c : all)
    if (auto* b = dynamic_cast<TButton*>(c))
      if (b->Cancel() && b->HandleAllocated() && IsWindowVisible(b->Handle())) return b;
  return nullptr;
}

void TForm::UpdateDefaultFrame(TWinControl* focused) {
  auto* target = dynamic_cast<TButton*>(focused);
  std::vector<TWinControl*> all;
  CollectControls(this, all);
  for (TWinControl* c : all)
    if (auto* b = dynamic_cast<TButton*>(c)) b->SetActive(target ? b == target : b->Default());
}

namespace {
void PressButton(TButton* b) {
  if (b && b->CanFocus()) GuardedCall([b] { b->Click(); });
}
}  // namespace

bool TForm::IsDialogKey(MSG& msg) {
  if (!HandleAllocated() || (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd))) return false;
  switch (msg.message) {
    case WM_KEYDOWN: {
      bool ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
      TWinControl* focused = FromHandle(GetFocus());
      auto* combo = dynamic_cast<TComboBox*>(focused);
      switch (msg.wParam) {
        case VK_TAB:
          if (ctrl || alt) return false;
          SelectNext(GetKeyState(VK_SHIFT) >= 0);
          return true;
        case VK_RETURN: {
          if (combo && combo->DroppedDown()) return false;  // closes the list
          if (auto* memo = dynamic_cast<TMemo*>(focused))
            if (!memo->ReadOnly()) return false;
          // The focused button, else the default one.
          auto* b = dynamic_cast<TButton*>(focused);
          PressButton(b ? b : DefaultButton());
          return true;
        }
        case VK_ESCAPE: {
          if (combo && combo->DroppedDown()) return false;
          TButton* b = CancelButton();
          if (!b) return false;
          PressButton(b);
          return true;
        }
      }
      return false;
    }
    case WM_SYSCHAR: {
      bool handled = false;
      GuardedCall([&] { handled = DialogChar(msg.wParam); });
      return handled;
    }
    case WM_CHAR: {
      // A plain letter is a mnemonic where the focused control takes no text.
      LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
      if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return false;
      if (msg.wParam < 32) return false;
      bool handled = false;
      GuardedCall([&] { handled = DialogChar(msg.wParam); });
      return handled;
    }
  }
  return false;
}

// Alt+letter: a label moves the focus to its FocusControl (or to the next
// control, as a dialog's static does), a button is pressed, a check box
// gets the focus and toggles.
bool TForm::DialogChar(WPARAM ch) {
  std::vector<TWinControl*> all;
  CollectControls(this, all);
  for (size_t i = 0; i < all.size(); ++i) {
    TWinControl* c = all[i];
    if (!c->HandleAllocated() || !IsWindowVisible(c->Handle())) continue;
    if (auto* label = dynamic_cast<TLabel*>(c)) {
      if (!label->ShowAccelChar() || !IsAccel(ch, label->Caption())) continue;
      TWinControl* target = label->FocusControl();
      // Without one, the next control that takes the focus, as in dialogs.
      for (size_t j = i + 1; !target && j < all.size(); ++j)
        if (all[j]->TabStop() && Usable(all[j])) target = all[j];
      if (!target || !target->CanFocus()) continue;
      target->SetFocus();
      if (auto* edit = dynamic_cast<TEdit*>(target))
        if (!dynamic_cast<TMemo*>(edit)) edit->SelectAll();
      return true;
    }
    if (!c->CanFocus() || !IsAccel(ch, c->Caption())) continue;
    if (auto* button = dynamic_cast<TButton*>(c)) {
      button->Click();
      return true;
    }
    if (auto* check = dynamic_cast<TCheckBox*>(c)) {
      check->SetFocus();
      check->SetChecked(!check->Checked());
      check->Click();
      return true;
    }
  }
  return false;
}

void TForm::WMCommand(TMessage& message) {
  if (message.LParam == 0) {
    WORD id = LOWORD(message.WParam);
    if (id == IDOK) PressButton(DefaultButton());
    else if (id == IDCANCEL) PressButton(CancelButton());
    message.Result = 0;
    return;
  }
  TWinControl::WndProc(message);
}

void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:  // close box, system menu, Alt+F4
      Close();
      message.Result = 0;
      return;
    case WM_COMMAND:
      WMCommand(message);
      return;
    case WM_TIMER:
      WMTimer(message);
      return;
    case WM_ACTIVATE:
      if (LOWORD(message.WParam) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(Handle(), f)) LastFocus_ = f;
      } else if (!HIWORD(message.WParam)) {  // not minimised
        if (LastFocus_ && IsWindow(LastFocus_) && IsChild(Handle(), LastFocus_) && IsWindowVisible(LastFocus_) &&
            IsWindowEnabled(LastFocus_))
          ::SetFocus(LastFocus_);
        else
          SelectNext(true);
      }
      message.Result = 0;
      return;
    case WM_SETFOCUS:
      if (LastFocus_ && IsWindow(LastFocus_) && IsChild(Handle(), LastFocus_) && IsWindowVisible(LastFocus_))
        ::SetFocus(LastFocus_);
      return;
  }
  TWinControl::WndProc(message);
}

// ---- reading the form ----

std::vector<TFieldInfo> TForm::PublishedFields() { return {}; }
std::vector<THandlerInfo> TForm::PublishedHandlers() { return {}; }

void TForm::ReadForm(const std::string& text) {
  TFormReader reader(*this, PublishedFields(), PublishedHandlers());
  reader.Read(text);
  HandleNeeded();
}

void TForm::ReadFormResource(const char* resourceName) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, resourceName, MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL data = res ? LoadResource(module, res) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) throw EResNotFound(std::string("form resource ") + resourceName + " not found");
  ReadForm(std::string(static_cast<const char*>(bytes), SizeofResource(module, res)));
}
