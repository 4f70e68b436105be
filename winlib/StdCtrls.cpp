#include "StdCtrls.h"
#include "Forms.h"
#include "FormReader.h"

namespace {
int ScreenFontHeight(TFont* font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font->Handle());
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}
}  // namespace

// ---- TLabel ----

std::string CRToCRLF(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) out += '\n';
  }
  return out;
}

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {
  SetParentColor(true);
  SetBounds(0, 0, 65, 13);
}

const TPropTable& TLabel::Published() const {
  static const TPropTable table(&TWinControl::Published(),
                                {
                                    StringProp<TLabel>("Caption", &TLabel::SetCaption),
                                    BoolProp<TLabel>("AutoSize", &TLabel::SetAutoSize),
                                    BoolProp<TLabel>("ShowAccelChar", &TLabel::SetShowAccelChar),
                                    ComponentProp<TLabel, TWinControl>("FocusControl", &TLabel::SetFocusControl),
                                });
  return table;
}

void TLabel::SetCaption(const std::string& caption) {
  Caption_ = caption;
  TWinControl::SetCaption(CRToCRLF(caption));
  AdjustBounds();
}

void TLabel::SetAutoSize(bool autoSize) {
  AutoSize_ = autoSize;
  AdjustBounds();
}

void TLabel::SetShowAccelChar(bool show) {
  if (show == ShowAccelChar_) return;
  ShowAccelChar_ = show;
  RecreateWnd();
  AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!AutoSize_) return;
  std::string text = CRToCRLF(Caption_);
  if (text.empty()) text = " ";
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  RECT r = {0, 0, 0, 0};
  DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_LEFT | DT_EXPANDTABS | (ShowAccelChar_ ? 0 : DT_NOPREFIX));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  SetBounds(Left(), Top(), r.right, r.bottom);
}

void TLabel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "Static";
  params.Style |= SS_LEFT | (ShowAccelChar_ ? 0 : SS_NOPREFIX);
}

void TLabel::FontChanged() {
  TWinControl::FontChanged();
  AdjustBounds();
}

// ---- TButton ----

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

const TPropTable& TButton::Published() const {
  static const TPropTable table(&TWinControl::Published(),
                                {
                                    StringProp<TWinControl>("Caption", &TWinControl::SetCaption),
                                    BoolProp<TButton>("Default", &TButton::SetDefault),
                                    BoolProp<TButton>("Cancel", &TButton::SetCancel),
                                    IntProp<TButton>("ModalResult", &TButton::SetModalResult),
                                });
  return table;
}

void TButton::SetDefault(bool value) {
  Default_ = value;
  SetActive(value);
}

void TButton::SetActive(bool active) {
  Active_ = active;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (TForm* form = ParentForm())
    if (ModalResult_ != 0) form->SetModalResult(ModalResult_);
  TWinControl::Click();
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "Button";
  params.Style |= (Default_ || Active_) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CNCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

void TButton::WndProc(TMessage& message) {
  TWinControl::WndProc(message);
  // The button with the focus is the one Enter presses, and looks it.
  if (message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS) {
    if (TForm* form = ParentForm()) {
      HWND now = message.Msg == WM_SETFOCUS ? Handle() : reinterpret_cast<HWND>(message.WParam);
      form->UpdateDefaultFrame(TWinControl::FromHandle(now));
    }
  }
}

// ---- TCheckBox ----

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetParentColor(true);
  SetBounds(0, 0, 97, 17);
}

const TPropTable& TCheckBox::Published() const {
  static const TPropTable table(&TWinControl::Published(),
                                {
                                    StringProp<TWinControl>("Caption", &TWinControl::SetCaption),
                                    BoolProp<TCheckBox>("Checked", &TCheckBox::SetChecked),
                                });
  return table;
}

bool TCheckBox::Checked() const {
  if (HandleAllocated()) Checked_ = SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
  return Checked_;
}

void TCheckBox::SetChecked(bool checked) {
  Checked_ = checked;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetCaption(const std::string& caption) {
  TWinControl::SetCaption(caption);
  FitCaption();
}

void TCheckBox::FontChanged() {
  TWinControl::FontChanged();
  FitCaption();
}

void TCheckBox::FitCaption() {
  if (!HandleAllocated() || !Parent()) return;
  std::string text = Caption();
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  RECT r = {0, 0, 0, 0};
  DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int needed = GetSystemMetrics(SM_CXMENUCHECK) + 6 + r.right;
  int room = Parent()->ClientWidth() - Left();
  int width = needed < room ? needed : room;
  if (width > Width()) SetWidth(width);
}

void TCheckBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "Button";
  params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, Checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
  FitCaption();
}

void TCheckBox::CNCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

// ---- TEdit ----

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 121, ScreenFontHeight(Font()) + 8);
}

const TPropTable& TEdit::Published() const {
  static const TPropTable table(&TWinControl::Published(),
                                {
                                    StringProp<TWinControl>("Text", &TWinControl::SetCaption),
                                    BoolProp<TEdit>("ReadOnly", &TEdit::SetReadOnly),
                                    IntProp<TEdit>("Height", &TEdit::SetStoredHeight),
                                });
  return table;
}

void TEdit::SetStoredHeight(int height) {
  HeightStored_ = true;
  SetHeight(height);
}

void TEdit::SetReadOnly(bool readOnly) {
  ReadOnly_ = readOnly;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, readOnly, 0);
}

void TEdit::SelectAll() {
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

void TEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "Edit";
  params.ExStyle |= WS_EX_CLIENTEDGE;
  params.Style |= ES_LEFT | ES_AUTOHSCROLL | (ReadOnly_ ? ES_READONLY : 0);
}

void TEdit::CNCommand(WORD code) {
  if (code == EN_CHANGE && OnChange) OnChange(this);
}

// Without a height of its own the edit fits its font (client edge, margins).
void TEdit::FontChanged() {
  TWinControl::FontChanged();
  if (!HeightStored_) SetHeight(ScreenFontHeight(Font()) + 8);
}

// ---- TMemo ----

class TMemo::TMemoLines : public TStringList {
 public:
  explicit TMemoLines(TMemo* memo) : Memo_(memo) {}
  void Put(int index, const std::string& s) override { TStringList::Put(index, s); Changed(); }
  void PutObject(int index, TObject* object) override { TStringList::PutObject(index, object); }
  void InsertObject(int index, const std::string& s, TObject* object) override {
    TStringList::InsertObject(index, s, object);
    Changed();
  }
  int AddObject(const std::string& s, TObject* object) override {
    int i = TStringList::AddObject(s, object);
    Changed();
    return i;
  }
  void Delete(int index) override { TStringList::Delete(index); Changed(); }
  void Clear() override { TStringList::Clear(); Changed(); }

 protected:
  void SetUpdateState(bool updating) override {
    if (!updating) Memo_->LinesChanged();
  }

 private:
  void Changed() {
    if (UpdateCount() == 0) Memo_->LinesChanged();
  }
  TMemo* Memo_;
};

TMemo::TMemo(TComponent* owner) : TEdit(owner), Lines_(new TMemoLines(this)) {
  HeightStored_ = true;
  SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() = default;

const TPropTable& TMemo::Published() const {
  static const TPropTable table(
      &TEdit::Published(),
      {
          EnumProp<TMemo, TScrollStyle>(
              "ScrollBars", &TMemo::SetScrollBars,
              {{"ssNone", ssNone}, {"ssHorizontal", ssHorizontal}, {"ssVertical", ssVertical}, {"ssBoth", ssBoth}}),
          BoolProp<TMemo>("WordWrap", &TMemo::SetWordWrap),
      });
  return table;
}

TStrings* TMemo::Lines() { return Lines_.get(); }

// The window shows the lines, CR LF between them.
void TMemo::LinesChanged() {
  std::string text;
  for (int i = 0, n = Lines_->Count(); i < n; ++i) {
    if (i) text += "\r\n";
    text += Lines_->Get(i);
  }
  TWinControl::SetCaption(text);
}

void TMemo::SetScrollBars(TScrollStyle value) {
  if (value == ScrollBars_) return;
  ScrollBars_ = value;
  RecreateWnd();
}

void TMemo::SetWordWrap(bool value) {
  if (value == WordWrap_) return;
  WordWrap_ = value;
  RecreateWnd();
}

void TMemo::CreateParams(TCreateParams& params) {
  TEdit::CreateParams(params);
  params.Caption.clear();  // set after the size limit is lifted
  params.Style &= ~ES_AUTOHSCROLL;
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
  if (!WordWrap_) params.Style |= ES_AUTOHSCROLL;
  if (ScrollBars_ == ssVertical || ScrollBars_ == ssBoth) params.Style |= WS_VSCROLL;
  if (ScrollBars_ == ssHorizontal || ScrollBars_ == ssBoth) params.Style |= WS_HSCROLL;
}

void TMemo::CreateWnd() {
  TEdit::CreateWnd();
  SendMessageA(Handle(), EM_SETLIMITTEXT, 0, 0);  // beyond the 32K default
  LinesChanged();
}


// ---- items of list and combo boxes ----

class TControlItems : public TStrings {
 public:
  explicit TControlItems(TCustomListControl* control) : C_(control) {}

  int Count() const override {
    if (!Live()) return Saved_.Count();
    LRESULT n = Send(C_->IsCombo() ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
  }
  std::string Get(int index) const override {
    if (!Live()) return Saved_.Get(index);
    Check(index);
    LRESULT len = Send(C_->IsCombo() ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
    if (len < 0) return std::string();
    std::string s(static_cast<size_t>(len) + 1, '\0');
    LRESULT got = Send(C_->IsCombo() ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(&s[0]));
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return s;
  }
  TObject* GetObject(int index) const override {
    if (!Live()) return Saved_.GetObject(index);
    Check(index);
    return reinterpret_cast<TObject*>(Send(C_->IsCombo() ? CB_GETITEMDATA : LB_GETITEMDATA, index, 0));
  }
  void PutObject(int index, TObject* object) override {
    if (!Live()) return Saved_.PutObject(index, object);
    Check(index);
    Send(C_->IsCombo() ? CB_SETITEMDATA : LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(object));
  }
  void InsertObject(int index, const std::string& s, TObject* object) override {
    if (!Live()) return Saved_.InsertObject(index, s, object);
    int n = Count();
    if (index < 0 || index > n) throw EListError("list index out of bounds (" + std::to_string(index) + ")");
    LRESULT at = Send(C_->IsCombo() ? CB_INSERTSTRING : LB_INSERTSTRING, index == n ? WPARAM(-1) : WPARAM(index),
                      reinterpret_cast<LPARAM>(s.c_str()));
    if (at < 0) throw EOutOfMemory("cannot add an item");
    Send(C_->IsCombo() ? CB_SETITEMDATA : LB_SETITEMDATA, at, reinterpret_cast<LPARAM>(object));
  }
  void Delete(int index) override {
    if (!Live()) return Saved_.Delete(index);
    Check(index);
    Send(C_->IsCombo() ? CB_DELETESTRING : LB_DELETESTRING, index, 0);
  }
  void Clear() override {
    if (!Live()) return Saved_.Clear();
    Send(C_->IsCombo() ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  }

  // Window made: the kept items go in. Window going: they come out.
  void MoveIn() {
    for (int i = 0, n = Saved_.Count(); i < n; ++i) InsertObject(i, Saved_.Get(i), Saved_.GetObject(i));
    Saved_.Clear();
  }
  void MoveOut() {
    TStringList keep;
    for (int i = 0, n = Count(); i < n; ++i) keep.AddObject(Get(i), GetObject(i));
    Saved_.Assign(keep);
  }

 protected:
  void SetUpdateState(bool updating) override {
    if (!Live()) return;
    Send(WM_SETREDRAW, updating ? FALSE : TRUE, 0);
    if (!updating) InvalidateRect(C_->Handle(), nullptr, TRUE);
  }

 private:
  bool Live() const { return C_->HandleAllocated(); }
  LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) const {
    return SendMessageA(static_cast<const TCustomListControl*>(C_)->Handle(), msg, wp, lp);
  }
  void Check(int index) const {
    if (index < 0 || index >= Count()) throw EListError("list index out of bounds (" + std::to_string(index) + ")");
  }
  TCustomListControl* C_;
  TStringList Saved_;
};

// ---- TCustomListControl ----

TCustomListControl::TCustomListControl(TComponent* owner) : TWinControl(owner), Items_(new TControlItems(this)) {
  SetTabStop(true);
  SetColor(clWindow);
  ItemHeight_ = ScreenFontHeight(Font());
}

TCustomListControl::~TCustomListControl() {
  // The window goes first: its items refer to nothing of ours after that.
  if (HandleAllocated()) DestroyWindow(Handle());
}

TStrings* TCustomListControl::Items() { return Items_.get(); }

int TCustomListControl::ItemIndex() const {
  if (!HandleAllocated()) return SavedIndex_;
  return static_cast<int>(SendMessageA(Handle(), IsCombo() ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void TCustomListControl::SetItemIndex(int index) {
  if (!HandleAllocated()) {
    SavedIndex_ = index;
    return;
  }
  SendMessageA(Handle(), IsCombo() ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomListControl::SetItemHeight(int height) {
  if (height > 0) ItemHeight_ = height;
}

bool TCustomListControl::OwnerDraw() const {
  if (auto* l = dynamic_cast<const TListBox*>(this)) return l->Style() != lbStandard;
  if (auto* c = dynamic_cast<const TComboBox*>(this)) return c->Style() == csOwnerDrawFixed || c->Style() == csOwnerDrawVariable;
  return false;
}

void TCustomListControl::CreateWnd() {
  TWinControl::CreateWnd();
  Items_->MoveIn();
  if (SavedIndex_ >= 0) SetItemIndex(SavedIndex_);
  SavedIndex_ = -1;
}

void TCustomListControl::DestroyHandle() {
  if (!HandleAllocated()) return;
  SavedIndex_ = ItemIndex();
  Items_->MoveOut();
  TWinControl::DestroyHandle();
}

void TCustomListControl::CNMeasureItem(MEASUREITEMSTRUCT& item) { item.itemHeight = ItemHeight_; }

namespace {
// The canvas borrows the item's DC only while the painter runs.
struct TCanvasLease {
  TCanvas& Canvas;
  TCanvasLease(TCanvas& c, HDC dc) : Canvas(c) { Canvas.SetHandle(dc); }
  ~TCanvasLease() { Canvas.SetHandle(nullptr); }
};
}  // namespace

void TCustomListControl::CNDrawItem(DRAWITEMSTRUCT& item) {
  TCanvasLease lease(Canvas_, item.hDC);
  if (item.itemAction == ODA_FOCUS) {
    Canvas_.DrawFocusRect(item.rcItem);
    return;
  }
  Canvas_.Font()->Assign(*Font());
  if (item.itemState & ODS_SELECTED) {
    Canvas_.Brush()->SetColor(clHighlight);
    Canvas_.Font()->SetColor(clHighlightText);
  } else {
    Canvas_.Brush()->SetColor(Color());
  }
  DrawState_ = item.itemState;
  if (static_cast<int>(item.itemID) >= 0 && static_cast<int>(item.itemID) < Items_->Count())
    DrawItem(static_cast<int>(item.itemID), item.rcItem);
  else
    Canvas_.FillRect(item.rcItem);
  if (item.itemState & ODS_FOCUS) Canvas_.DrawFocusRect(item.rcItem);
}

void TCustomListControl::DrawItem(int index, const RECT& rect) {
  Canvas_.FillRect(rect);
  Canvas_.TextOut(rect.left + 2, rect.top, Items_->Get(index));
}

// ---- TListBox ----

TListBox::TListBox(TComponent* owner) : TCustomListControl(owner) { SetBounds(0, 0, 121, 97); }

const TPropTable& TListBox::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {
          EnumProp<TListBox, TListBoxStyle>(
              "Style", &TListBox::SetStyle,
              {{"lbStandard", lbStandard}, {"lbOwnerDrawFixed", lbOwnerDrawFixed},
               {"lbOwnerDrawVariable", lbOwnerDrawVariable}}),
          IntProp<TCustomListControl>("ItemHeight", &TCustomListControl::SetItemHeight),
      });
  return table;
}

void TListBox::SetStyle(TListBoxStyle style) {
  if (style == Style_) return;
  Style_ = style;
  RecreateWnd();
}

void TListBox::SetItemHeight(int height) {
  if (height <= 0 || height == ItemHeight_) return;
  ItemHeight_ = height;
  if (HandleAllocated()) {
    SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, height);
    Invalidate();
  }
}

void TListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "ListBox";
  params.ExStyle |= WS_EX_CLIENTEDGE;
  params.Style |= LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
  if (Style_ == lbOwnerDrawFixed) params.Style |= LBS_OWNERDRAWFIXED;
  if (Style_ == lbOwnerDrawVariable) params.Style |= LBS_OWNERDRAWVARIABLE;
}

void TListBox::CNCommand(WORD code) {
  if (code == LBN_SELCHANGE) Click();
}

// ---- TComboBox ----

TComboBox::TComboBox(TComponent* owner) : TCustomListControl(owner) { SetBounds(0, 0, 145, 21); }

const TPropTable& TComboBox::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {
          EnumProp<TComboBox, TComboBoxStyle>(
              "Style", &TComboBox::SetStyle,
              {{"csDropDown", csDropDown}, {"csSimple", csSimple}, {"csDropDownList", csDropDownList},
               {"csOwnerDrawFixed", csOwnerDrawFixed}, {"csOwnerDrawVariable", csOwnerDrawVariable}}),
          IntProp<TCustomListControl>("ItemHeight", &TCustomListControl::SetItemHeight),
          IntProp<TComboBox>("DropDownCount", &TComboBox::SetDropDownCount),
          NotifyEventProp<TComboBox>("OnChange", &TComboBox::OnChange),
      });
  return table;
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == Style_) return;
  Style_ = style;
  RecreateWnd();
}

void TComboBox::SetItemHeight(int height) {
  if (height <= 0 || height == ItemHeight_) return;
  ItemHeight_ = height;
  if (HandleAllocated()) {
    SendMessageA(Handle(), CB_SETITEMHEIGHT, WPARAM(-1), height);
    SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, height);
    Invalidate();
  }
}

namespace {
bool IsListStyle(TComboBoxStyle s) { return s != csDropDown && s != csSimple; }
}  // namespace

std::string TComboBox::Caption() const {
  if (!IsListStyle(Style_)) return TWinControl::Caption();
  int index = ItemIndex();
  if (index < 0) return std::string();
  return const_cast<TComboBox*>(this)->Items()->Get(index);
}

void TComboBox::SetCaption(const std::string& text) {
  if (!IsListStyle(Style_)) {
    TWinControl::SetCaption(text);
    return;
  }
  SetItemIndex(text.empty() ? -1 : Items()->IndexOf(text));
}

bool TComboBox::DroppedDown() const {
  return HandleAllocated() && SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

int TComboBox::WindowHeightFor(int height) const {
  return Style_ == csSimple ? height : height + ItemHeight_ * DropDownCount_ + 2;
}

void TComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "ComboBox";
  params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (Style_) {
    case csDropDown: params.Style |= CBS_DROPDOWN; break;
    case csSimple: params.Style |= CBS_SIMPLE; break;
    case csDropDownList: params.Style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
    case csOwnerDrawVariable: params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS; break;
  }
}

void TComboBox::CreateWnd() {
  TCustomListControl::CreateWnd();
  if (OwnerDraw()) {
    SendMessageA(Handle(), CB_SETITEMHEIGHT, WPARAM(-1), ItemHeight_);
    SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, ItemHeight_);
  }
}

void TComboBox::CNCommand(WORD code) {
  if (code != CBN_SELCHANGE) return;
  // The control text is the selected item's, so it has already followed.
  Click();
  Change();
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}
