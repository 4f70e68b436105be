#include "Controls.h"
#include <algorithm>
#include <set>
#include <unordered_map>
#include "Forms.h"
#include "FormReader.h"

LRESULT CALLBACK WinlibWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

namespace {
std::unordered_map<HWND, TWinControl*>& WindowMap() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}

UINT NextControlId() {
  // Clear of IDOK..IDHELP, which the dialog keys use.
  static UINT next = 100;
  return next++;
}

void RegisterOwnClass(const std::string& name, UINT style) {
  static std::set<std::string> done;
  if (done.count(name)) return;
  WNDCLASSA wc = {};
  wc.style = style;
  wc.lpfnWndProc = WinlibWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = name.c_str();
  RegisterClassA(&wc);
  done.insert(name);
}
}  // namespace

// The one window procedure of our own classes and of the system controls we
// subclass. Nothing thrown by program code may unwind through user32.
LRESULT CALLBACK WinlibWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto& map = WindowMap();
  TWinControl* control = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    control = static_cast<TWinControl*>(cs->lpCreateParams);
    if (control) {
      map[wnd] = control;
      control->Handle_ = wnd;
      control->DefWndProc_ = DefWindowProcA;
    }
  } else {
    auto it = map.find(wnd);
    if (it != map.end()) control = it->second;
  }
  if (!control) return DefWindowProcA(wnd, msg, wp, lp);
  TMessage m = {msg, wp, lp, 0};
  control->Dispatch(m);
  if (msg == WM_NCDESTROY) {
    map.erase(wnd);
    if (control->Handle_ == wnd) control->Handle_ = nullptr;
  }
  return m.Result;
}

void TWinControl::Dispatch(TMessage& message) {
  if (Destroying()) {
    DefaultHandler(message);
    return;
  }
  try {
    WndProc(message);
  } catch (...) {
    ShowCurrentException();
  }
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
  auto& map = WindowMap();
  auto it = map.find(wnd);
  return it == map.end() ? nullptr : it->second;
}

TWinControl::TWinControl(TComponent* owner) : TComponent(owner), Id_(NextControlId()) {
  Font_.OnChange = [this] { FontChanged(); };
}

TWinControl::~TWinControl() {
  Font_.OnChange = nullptr;
  if (Handle_) DestroyWindow(Handle_);
  for (TWinControl* child : Controls_) child->Parent_ = nullptr;
  if (Parent_) Parent_->RemoveControl(this);
  if (Brush_) DeleteObject(Brush_);
}

const TPropTable& TWinControl::Published() const {
  static const TPropTable table(
      &TComponent::Published(),
      {
          IntProp<TWinControl>("Left", &TWinControl::SetLeft),
          IntProp<TWinControl>("Top", &TWinControl::SetTop),
          IntProp<TWinControl>("Width", &TWinControl::SetWidth),
          IntProp<TWinControl>("Height", &TWinControl::SetHeight),
          EnumProp<TWinControl, TAlign>(
              "Align", &TWinControl::SetAlign,
              {{"alNone", alNone}, {"alTop", alTop}, {"alBottom", alBottom}, {"alLeft", alLeft}, {"alRight", alRight},
               {"alClient", alClient}}),
          BoolProp<TWinControl>("Visible", &TWinControl::SetVisible),
          NotifyEventProp<TWinControl>("OnClick", &TWinControl::OnClick),
          BoolProp<TWinControl>("Enabled", &TWinControl::SetEnabled),
          BoolProp<TWinControl>("TabStop", &TWinControl::SetTabStop),
          BoolProp<TWinControl>("ParentFont", &TWinControl::SetParentFont),
          BoolProp<TWinControl>("ParentColor", &TWinControl::SetParentColor),
          {"Color",
           [](TComponent& t, const TPropValue& v, TFormReader& r) {
             TColor c;
             if (v.Kind == vkIdent) {
               if (!IdentToColor(v.Str, c)) r.Error(v.Line, "unknown colour " + v.Str);
             } else {
               c = static_cast<TColor>(r.IntValue(v, "Color"));
             }
             static_cast<TWinControl&>(t).SetColor(c);
           }},
          {"Font.Name",
           [](TComponent& t, const TPropValue& v, TFormReader& r) {
             static_cast<TWinControl&>(t).Font()->SetName(r.StringValue(v, "Font.Name"));
           }},
          {"Font.Height",
           [](TComponent& t, const TPropValue& v, TFormReader& r) {
             static_cast<TWinControl&>(t).Font()->SetHeight(static_cast<int>(r.IntValue(v, "Font.Height")));
           }},
          {"Font.Size",
           [](TComponent& t, const TPropValue& v, TFormReader& r) {
             static_cast<TWinControl&>(t).Font()->SetSize(static_cast<int>(r.IntValue(v, "Font.Size")));
           }},
          {"Font.Color",
           [](TComponent& t, const TPropValue& v, TFormReader& r) {
             TColor c;
             if (v.Kind == vkIdent) {
               if (!IdentToColor(v.Str, c)) r.Error(v.Line, "unknown colour " + v.Str);
             } else {
               c = static_cast<TColor>(r.IntValue(v, "Font.Color"));
             }
             static_cast<TWinControl&>(t).Font()->SetColor(c);
           }},
          {"Font.Charset",
           [](TComponent& t, const TPropValue& v, TFormReader& r) {
             long long cs;
             if (v.Kind == vkIdent) {
               if (_stricmp(v.Str.c_str(), "DEFAULT_CHARSET") == 0) cs = DEFAULT_CHARSET;
               else if (_stricmp(v.Str.c_str(), "ANSI_CHARSET") == 0) cs = ANSI_CHARSET;
               else if (_stricmp(v.Str.c_str(), "SYMBOL_CHARSET") == 0) cs = SYMBOL_CHARSET;
               else r.Error(v.Line, "unknown charset " + v.Str);
             } else {
               cs = r.IntValue(v, "Font.Charset");
             }
             static_cast<TWinControl&>(t).Font()->SetCharset(static_cast<uint8_t>(cs));
           }},
          SetProp<TWinControl>("Font.Style", &TWinControl::SetFontStyle,
                               {{"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline},
                                {"fsStrikeOut", fsStrikeOut}}),
      });
  return table;
}

// ---- parent and children ----

void TWinControl::AddControl(TWinControl* child) { Controls_.push_back(child); }

void TWinControl::RemoveControl(TWinControl* child) {
  Controls_.erase(std::remove(Controls_.begin(), Controls_.end(), child), Controls_.end());
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == Parent_) return;
  if (parent == this) throw EInvalidOperation("a control cannot be its own parent");
  if (Handle_) DestroyHandle();
  if (Parent_) Parent_->RemoveControl(this);
  Parent_ = parent;
  if (!Parent_) return;
  Parent_->AddControl(this);
  UpdateParentFont();
  UpdateParentColor();
  if (Align_ != alNone) Parent_->Realign();
  if (Parent_->Handle_) CreateHandle();
}

TForm* TWinControl::ParentForm() const {
  const TWinControl* c = this;
  while (c->Parent_) c = c->Parent_;
  return dynamic_cast<TForm*>(const_cast<TWinControl*>(c));
}

// ---- geometry ----

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  bool resized = width != Width_ || height != Height_;
  bool moved = left != Left_ || top != Top_;
  if (!resized && !moved) return;
  Left_ = left;
  Top_ = top;
  Width_ = width;
  Height_ = height;
  if (Handle_ && Parent_)
    SetWindowPos(Handle_, nullptr, left, top, width, WindowHeightFor(height), SWP_NOZORDER | SWP_NOACTIVATE);
  if (resized) {
    Realign();
    Resized();
  }
  if (Parent_ && Align_ != alNone && !Parent_->Realigning_) Parent_->Realign();
}

int TWinControl::ClientWidth() const {
  if (Handle_) {
    RECT r;
    GetClientRect(Handle_, &r);
    return r.right;
  }
  return Width_;
}

int TWinControl::ClientHeight() const {
  if (Handle_) {
    RECT r;
    GetClientRect(Handle_, &r);
    return r.bottom;
  }
  return Height_;
}

void TWinControl::SetAlign(TAlign align) {
  if (align == Align_) return;
  Align_ = align;
  if (Parent_) Parent_->Realign();
}

// alTop, then alBottom, alLeft, alRight, and alClient in what is left; among
// one kind, in creation order.
void TWinControl::Realign() {
  if (Realigning_) return;
  Realigning_ = true;
  RECT r = AlignRect();
  for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TWinControl* c : Controls_) {
      if (c->Align_ != kind || !c->Visible_) continue;
      int w = c->Width_, h = c->Height_;
      switch (kind) {
        case alTop: c->SetBounds(r.left, r.top, r.right - r.left, h); r.top += h; break;
        case alBottom: c->SetBounds(r.left, r.bottom - h, r.right - r.left, h); r.bottom -= h; break;
        case alLeft: c->SetBounds(r.left, r.top, w, r.bottom - r.top); r.left += w; break;
        case alRight: c->SetBounds(r.right - w, r.top, w, r.bottom - r.top); r.right -= w; break;
        default: c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); break;
      }
    }
  }
  Realigning_ = false;
}

// ---- state ----

namespace {
bool ContainsFocus(HWND wnd) {
  HWND f = GetFocus();
  return f && wnd && (f == wnd || IsChild(wnd, f));
}
}  // namespace

void TWinControl::ApplyVisible() {
  if (!Handle_) return;
  TForm* form = ParentForm();
  // The focus would stay on (or fall back from) a hidden window: move it on first.
  if (!Visible_ && ContainsFocus(Handle_) && form && form != this) form->MoveFocusFrom(this);
  ShowWindow(Handle_, Visible_ ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetVisible(bool visible) {
  if (visible == Visible_) return;
  Visible_ = visible;
  if (Parent_) {
    ApplyVisible();
    if (Align_ != alNone) Parent_->Realign();
  } else if (Handle_) {
    ShowWindow(Handle_, visible ? SW_SHOW : SW_HIDE);
  }
}

bool TWinControl::Showing() const { return Handle_ && IsWindowVisible(Handle_); }

void TWinControl::SetEnabled(bool enabled) {
  if (enabled == Enabled_) return;
  Enabled_ = enabled;
  if (!Handle_) return;
  TForm* form = ParentForm();
  if (!enabled && ContainsFocus(Handle_) && form && form != this) form->MoveFocusFrom(this);
  EnableWindow(Handle_, enabled);
}

void TWinControl::SetTabStop(bool tabStop) {
  TabStop_ = tabStop;
  if (!Handle_) return;
  LONG_PTR style = GetWindowLongPtrA(Handle_, GWL_STYLE);
  style = tabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
  SetWindowLongPtrA(Handle_, GWL_STYLE, style);
}

bool TWinControl::CanFocus() const {
  if (!Handle_ || !IsWindowVisible(Handle_)) return false;
  for (const TWinControl* c = this; c; c = c->Parent_)
    if (!c->Enabled_) return false;
  return true;
}

bool TWinControl::Focused() const { return Handle_ && GetFocus() == Handle_; }

void TWinControl::SetFocus() {
  HWND wnd = Handle();
  TForm* form = ParentForm();
  // Before the form is shown the focus is remembered and given on showing.
  if (form && form != this && !IsWindowVisible(form->Handle_)) {
    form->LastFocus_ = wnd;
    return;
  }
  ::SetFocus(wnd);
}

// ---- text ----

std::string TWinControl::Caption() const {
  if (!Handle_) return WindowText_;
  int n = GetWindowTextLengthA(Handle_);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(Handle_, &s[0], n + 1);
  s.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return s;
}

void TWinControl::SetCaption(const std::string& caption) {
  WindowText_ = caption;
  if (Handle_) SetWindowTextA(Handle_, caption.c_str());
}

// ---- font and colour ----

void TWinControl::SetParentFont(bool parentFont) {
  ParentFont_ = parentFont;
  if (parentFont) UpdateParentFont();
}

void TWinControl::UpdateParentFont() {
  if (!ParentFont_ || !Parent_) return;
  InheritingFont_ = true;
  Font_.Assign(Parent_->Font_);
  InheritingFont_ = false;
}

void TWinControl::FontChanged() {
  if (!InheritingFont_) ParentFont_ = false;
  if (Handle_) SendMessageA(Handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font_.Handle()), TRUE);
  for (TWinControl* c : Controls_) c->UpdateParentFont();
}

void TWinControl::SetColor(TColor color) {
  ParentColor_ = false;
  if (color == Color_) return;
  Color_ = color;
  Invalidate();
  for (TWinControl* c : Controls_) c->UpdateParentColor();
}

void TWinControl::SetParentColor(bool parentColor) {
  ParentColor_ = parentColor;
  if (parentColor) UpdateParentColor();
}

void TWinControl::UpdateParentColor() {
  if (!ParentColor_ || !Parent_ || Color_ == Parent_->Color_) return;
  Color_ = Parent_->Color_;
  Invalidate();
  for (TWinControl* c : Controls_) c->UpdateParentColor();
}

HBRUSH TWinControl::ColorBrush() {
  if (!Brush_ || BrushColor_ != Color_) {
    if (Brush_) DeleteObject(Brush_);
    Brush_ = CreateSolidBrush(ColorToRGB(Color_));
    BrushColor_ = Color_;
  }
  return Brush_;
}

TColor TWinControl::BackgroundColor() const { return Color_; }

void TWinControl::PaintBackground(HDC dc) {
  RECT r;
  GetClientRect(Handle_, &r);
  FillRect(dc, &r, ColorBrush());
}

HBRUSH TWinControl::CtlColor(HDC dc) {
  SetTextColor(dc, ColorToRGB(Font_.Color()));
  SetBkColor(dc, ColorToRGB(Color_));
  return ColorBrush();
}

void TWinControl::Click() {
  if (OnClick) OnClick(this);
}

// ---- window ----

HWND TWinControl::Handle() {
  if (!Handle_) {
    if (Parent_) {
      Parent_->Handle();  // creates its children, this one included
      if (!Handle_) CreateHandle();
    } else if (dynamic_cast<TForm*>(this)) {
      CreateHandle();
    } else {
      throw EInvalidOperation("control " + Name() + " has no parent window");
    }
  }
  return Handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = WindowText_;
  params.X = Left_;
  params.Y = Top_;
  params.Width = Width_;
  params.Height = WindowHeightFor(Height_);
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (Visible_) params.Style |= WS_VISIBLE;
  if (!Enabled_) params.Style |= WS_DISABLED;
  if (TabStop_) params.Style |= WS_TABSTOP;
}

void TWinControl::CreateHandle() {
  if (Handle_) return;
  TCreateParams params;
  CreateParams(params);
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (params.OwnClass) RegisterOwnClass(params.WinClassName, params.ClassStyle);
  bool child = (params.Style & WS_CHILD) != 0;
  HWND parentWnd = child && Parent_ ? Parent_->Handle_ : params.WndParent;
  HWND wnd = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                             params.X, params.Y, params.Width, params.Height, parentWnd,
                             child ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(Id_)) : nullptr, inst,
                             params.OwnClass ? this : nullptr);
  if (!wnd) {
    Handle_ = nullptr;
    throw EInvalidOperation("cannot create the window of " + Name());
  }
  if (!params.OwnClass) {
    Handle_ = wnd;
    WindowMap()[wnd] = this;
    DefWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WinlibWndProc)));
  }
  SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font_.Handle()), FALSE);
  // Later siblings lie above earlier ones (Windows puts new children below).
  if (child) SetWindowPos(wnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CreateWnd();
}

void TWinControl::CreateWnd() {
  for (TWinControl* c : Controls_) c->CreateHandle();
  Realign();
}

void TWinControl::DestroyHandle() {
  if (Handle_) DestroyWindow(Handle_);
}

void TWinControl::RecreateWnd() {
  if (!Handle_) return;
  DestroyHandle();
  CreateHandle();
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wp, LPARAM lp) {
  TMessage m = {msg, wp, lp, 0};
  if (Handle_) Dispatch(m);
  return m.Result;
}

void TWinControl::Invalidate() {
  if (Handle_) InvalidateRect(Handle_, nullptr, TRUE);
}

void TWinControl::Update() {
  if (Handle_) UpdateWindow(Handle_);
}

void TWinControl::DefaultHandler(TMessage& message) {
  message.Result = DefWndProc_ ? CallWindowProcA(DefWndProc_, Handle_, message.Msg, message.WParam, message.LParam)
                               : DefWindowProcA(Handle_, message.Msg, message.WParam, message.LParam);
}

// Notifications of a child arrive at its parent; they go to the child.
bool TWinControl::Reflect(TMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND: {
      TWinControl* c = message.LParam ? FromHandle(reinterpret_cast<HWND>(message.LParam)) : nullptr;
      if (!c || c == this) return false;
      c->CNCommand(HIWORD(message.WParam));
      message.Result = 0;
      return true;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(message.LParam);
      TWinControl* c = header ? FromHandle(header->hwndFrom) : nullptr;
      if (!c || c == this) return false;
      return c->CNNotify(header, message.Result);
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      TWinControl* c = FromHandle(item->hwndItem);
      if (!c || c == this) return false;
      c->CNDrawItem(*item);
      message.Result = TRUE;
      return true;
    }
    case WM_MEASUREITEM: {
      // Sent while the child's window is being made: found by its id.
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      for (TWinControl* c : Controls_)
        if (c->Id_ == item->CtlID) {
          c->CNMeasureItem(*item);
          message.Result = TRUE;
          return true;
        }
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      TWinControl* c = FromHandle(reinterpret_cast<HWND>(message.LParam));
      if (!c || c == this) return false;
      message.Result = reinterpret_cast<LRESULT>(c->CtlColor(reinterpret_cast<HDC>(message.WParam)));
      return true;
    }
  }
  return false;
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (Reflect(message)) return;
      break;
    case WM_SETCURSOR:
      if (ScreenCursor() != crDefault) {
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(ScreenCursor() == crHourGlass ? 32514 : 32512)));
        message.Result = TRUE;
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (DefWndProc_ == DefWindowProcA) {
        PaintBackground(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
      }
      break;
  }
  DefaultHandler(message);
}
