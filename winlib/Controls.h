// Windowed controls: every visible component of a form owns a real window
// (labels are STATIC controls, so screen readers and tests read every text).
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "Classes.h"
#include "Graphics.h"

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// A window message as the overridable handlers see it.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// What the control's window is created with.
struct TCreateParams {
  std::string WinClassName;  // a system class ("Button") or one of ours
  DWORD Style = 0;
  DWORD ExStyle = 0;
  std::string Caption;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  bool OwnClass = false;     // registered by the library (DefWindowProc below)
  UINT ClassStyle = 0;       // for our own classes
};

class TWinControl : public TComponent {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  const char* ClassName() const override { return "TWinControl"; }
  const TPropTable& Published() const override;

  // ---- parent and children (creation order = stacking and tab order) ----
  TWinControl* Parent() const { return Parent_; }
  // Links the control into the new parent; creates its window when the
  // parent's window exists.
  virtual void SetParent(TWinControl* parent);
  int ControlCount() const { return static_cast<int>(Controls_.size()); }
  TWinControl* Controls(int index) const { return Controls_[index]; }
  class TForm* ParentForm() const;  // the top-level form, or nullptr

  // ---- geometry (pixels, relative to the parent's client area) ----
  int Left() const { return Left_; }
  int Top() const { return Top_; }
  int Width() const { return Width_; }
  int Height() const { return Height_; }
  void SetLeft(int v) { SetBounds(v, Top_, Width_, Height_); }
  void SetTop(int v) { SetBounds(Left_, v, Width_, Height_); }
  void SetWidth(int v) { SetBounds(Left_, Top_, v, Height_); }
  void SetHeight(int v) { SetBounds(Left_, Top_, Width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{Left_, Top_, Left_ + Width_, Top_ + Height_}; }
  virtual int ClientWidth() const;
  virtual int ClientHeight() const;
  RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }
  TAlign Align() const { return Align_; }
  void SetAlign(TAlign align);

  // ---- state ----
  bool Visible() const { return Visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Showing() const;  // visible along with every parent
  bool Enabled() const { return Enabled_; }
  virtual void SetEnabled(bool enabled);
  bool TabStop() const { return TabStop_; }
  void SetTabStop(bool tabStop);
  virtual bool CanFocus() const;  // showing and enabled along the chain
  bool Focused() const;
  virtual void SetFocus();

  // ---- text ----
  virtual std::string Caption() const;  // the window text
  virtual void SetCaption(const std::string& caption);
  std::string Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }

  // ---- font and colour ----
  TFont* Font() { return &Font_; }
  const TFont* Font() const { return &Font_; }
  void SetFontStyle(unsigned style) { Font_.SetStyle(style); }
  bool ParentFont() const { return ParentFont_; }
  void SetParentFont(bool parentFont);
  TColor Color() const { return Color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return ParentColor_; }
  void SetParentColor(bool parentColor);
  HBRUSH ColorBrush();  // of Color(), owned by the control

  // ---- window ----
  bool HandleAllocated() const { return Handle_ != nullptr; }
  HWND Handle();          // creates the window (and its parents') when needed
  HWND Handle() const { return Handle_; }
  void HandleNeeded() { Handle(); }
  void RecreateWnd();
  LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
  void Invalidate();
  void Update();
  void Repaint() { Invalidate(); Update(); }
  UINT ControlId() const { return Id_; }
  // The control that owns a window of ours; nullptr for a foreign window.
  static TWinControl* FromHandle(HWND wnd);

  // ---- events ----
  TNotifyEvent OnClick;

  // Positions the aligned children inside the client area.
  void Realign();

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateHandle();
  // Runs once the window exists (and its items were restored); derived
  // classes call the inherited one first.
  virtual void CreateWnd();
  virtual void DestroyHandle();
  // All messages of the window; the default is the window class's own.
  virtual void WndProc(TMessage& message);
  void DefaultHandler(TMessage& message);
  // Notifications that Windows sends to the parent, reflected here.
  virtual void CNCommand(WORD code) { (void)code; }
  virtual bool CNNotify(NMHDR* header, LRESULT& result) { (void)header; (void)result; return false; }
  virtual void CNDrawItem(DRAWITEMSTRUCT& item) { (void)item; }
  virtual void CNMeasureItem(MEASUREITEMSTRUCT& item) { (void)item; }
  // WM_CTLCOLOR*: sets text and background colours, returns the brush.
  virtual HBRUSH CtlColor(HDC dc);
  virtual void Click();  // fires OnClick
  // The rectangle aligned children share (panels keep their bevels free).
  virtual RECT AlignRect() const { return ClientRect(); }
  virtual void FontChanged();
  virtual void Resized() {}
  // The height the window gets for a height of the control.
  virtual int WindowHeightFor(int height) const { return height; }
  // Colour for our own painting of an area that shows the parent.
  TColor BackgroundColor() const;
  void PaintBackground(HDC dc);
  void AddControl(TWinControl* child);
  void RemoveControl(TWinControl* child);
  void UpdateParentFont();
  void UpdateParentColor();
  HFONT FontHandle() { return Font_.Handle(); }

 private:
  friend class TForm;
  friend LRESULT CALLBACK WinlibWndProc(HWND, UINT, WPARAM, LPARAM);
  void Dispatch(TMessage& message);
  bool Reflect(TMessage& message);
  void ApplyVisible();

  TWinControl* Parent_ = nullptr;
  std::vector<TWinControl*> Controls_;
  HWND Handle_ = nullptr;
  WNDPROC DefWndProc_ = nullptr;
  UINT Id_;
  int Left_ = 0, Top_ = 0, Width_ = 0, Height_ = 0;
  TAlign Align_ = alNone;
  bool Visible_ = true;
  bool Enabled_ = true;
  bool TabStop_ = false;
  bool ParentFont_ = true;
  bool ParentColor_ = false;
  bool Realigning_ = false;
  bool InheritingFont_ = false;
  std::string WindowText_;  // the window text (kept while there is no window)
  TColor Color_ = clBtnFace;
  TFont Font_;
  HBRUSH Brush_ = nullptr;
  TColor BrushColor_ = clNone;
};

typedef TWinControl TControl;

