// The standard controls: label, button, check box, edit, memo, list box and
// combo box.
#pragma once
#include "Controls.h"

// A real STATIC control. Bare CRs in the caption become CR LF in the
// window text, so every CR is a line break; the text wraps inside the box
// unless AutoSize is on, which sizes the box to the text.
class TLabel : public TWinControl {
 public:
  explicit TLabel(TComponent* owner);
  const char* ClassName() const override { return "TLabel"; }
  const TPropTable& Published() const override;

  std::string Caption() const override { return Caption_; }
  void SetCaption(const std::string& caption) override;
  bool AutoSize() const { return AutoSize_; }
  void SetAutoSize(bool autoSize);
  TWinControl* FocusControl() const { return FocusControl_; }
  void SetFocusControl(TWinControl* control) { FocusControl_ = control; }
  bool ShowAccelChar() const { return ShowAccelChar_; }
  void SetShowAccelChar(bool show);
  void AdjustBounds();  // the AutoSize rule, applied now

 protected:
  void CreateParams(TCreateParams& params) override;
  void FontChanged() override;

 private:
  std::string Caption_;
  bool AutoSize_ = true;
  bool ShowAccelChar_ = true;
  TWinControl* FocusControl_ = nullptr;
};

// Caption with every CR that is not followed by LF turned into CR LF.
std::string CRToCRLF(const std::string& text);

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  const char* ClassName() const override { return "TButton"; }
  const TPropTable& Published() const override;

  bool Default() const { return Default_; }
  void SetDefault(bool value);   // Enter presses it
  bool Cancel() const { return Cancel_; }
  void SetCancel(bool value) { Cancel_ = value; }  // Escape presses it
  int ModalResult() const { return ModalResult_; }
  void SetModalResult(int value) { ModalResult_ = value; }
  // OnClick, then the form's modal result when ModalResult is not 0.
  void Click() override;
  // Shows the default frame (while it is the button Enter presses).
  void SetActive(bool active);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CNCommand(WORD code) override;
  void WndProc(TMessage& message) override;

 private:
  bool Default_ = false;
  bool Cancel_ = false;
  bool Active_ = false;
  int ModalResult_ = 0;
};

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner);
  const char* ClassName() const override { return "TCheckBox"; }
  const TPropTable& Published() const override;
  bool Checked() const;
  void SetChecked(bool checked);  // fires no event
  void SetCaption(const std::string& caption) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNCommand(WORD code) override;
  void FontChanged() override;
  // A caption wider than the box would be cut off: the box grows to fit it,
  // within its parent (fonts of other systems are wider than designed for).
  void FitCaption();

 private:
  mutable bool Checked_ = false;
};

// Single-line edit.
class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner);
  const char* ClassName() const override { return "TEdit"; }
  const TPropTable& Published() const override;
  bool ReadOnly() const { return ReadOnly_; }
  void SetReadOnly(bool readOnly);
  void SelectAll();
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CNCommand(WORD code) override;
  void FontChanged() override;
  bool ReadOnly_ = false;
  bool HeightStored_ = false;  // the form gave a height: keep it
  void SetStoredHeight(int height);
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Multi-line edit; its Lines are kept in the memo and shown as its text.
class TMemo : public TEdit {
 public:
  explicit TMemo(TComponent* owner);
  ~TMemo() override;
  const char* ClassName() const override { return "TMemo"; }
  const TPropTable& Published() const override;
  TStrings* Lines();
  TScrollStyle ScrollBars() const { return ScrollBars_; }
  void SetScrollBars(TScrollStyle value);
  bool WordWrap() const { return WordWrap_; }
  void SetWordWrap(bool value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  class TMemoLines;
  friend class TMemoLines;
  void LinesChanged();
  std::unique_ptr<TMemoLines> Lines_;
  TScrollStyle ScrollBars_ = ssNone;
  bool WordWrap_ = true;
};

// ---- list box and combo box ----

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// Items of a list or combo box: the Windows control keeps the strings
// (so they end at their first NUL) and each item's object as item data.
// Before the window exists they are kept aside and put in at creation.
class TControlItems;

// Shared by the list and combo box: the owner-drawn item machinery.
class TCustomListControl : public TWinControl {
 public:
  explicit TCustomListControl(TComponent* owner);
  ~TCustomListControl() override;
  TStrings* Items();
  int ItemIndex() const;            // -1 when none
  void SetItemIndex(int index);     // sends no notification
  int ItemHeight() const { return ItemHeight_; }
  // Only positive values that differ from the current one change it.
  virtual void SetItemHeight(int height);
  // Valid while DrawItem runs: the item's DC, the control's font, the
  // highlight colours for a selected item and the control's otherwise.
  TCanvas* Canvas() { return &Canvas_; }

 protected:
  // The item painter; the focus rectangle is drawn after it returns.
  virtual void DrawItem(int index, const RECT& rect);
  UINT DrawState() const { return DrawState_; }  // ODS_xxx of the item being drawn
  void CNDrawItem(DRAWITEMSTRUCT& item) override;
  void CNMeasureItem(MEASUREITEMSTRUCT& item) override;
  void CreateWnd() override;
  void DestroyHandle() override;
  bool OwnerDraw() const;
  virtual bool IsCombo() const = 0;
  int SavedIndex_ = -1;  // the selection until the window exists
  int ItemHeight_ = 16;
  UINT DrawState_ = 0;
  TCanvas Canvas_;

 private:
  friend class TControlItems;
  std::unique_ptr<TControlItems> Items_;
};

class TListBox : public TCustomListControl {
 public:
  explicit TListBox(TComponent* owner);
  const char* ClassName() const override { return "TListBox"; }
  const TPropTable& Published() const override;
  TListBoxStyle Style() const { return Style_; }
  void SetStyle(TListBoxStyle style);
  void SetItemHeight(int height) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CNCommand(WORD code) override;  // LBN_SELCHANGE: Click()
  bool IsCombo() const override { return false; }

 private:
  TListBoxStyle Style_ = lbStandard;
};

class TComboBox : public TCustomListControl {
 public:
  explicit TComboBox(TComponent* owner);
  const char* ClassName() const override { return "TComboBox"; }
  const TPropTable& Published() const override;
  TComboBoxStyle Style() const { return Style_; }
  void SetStyle(TComboBoxStyle style);
  void SetItemHeight(int height) override;
  // The control text: the selected item's text, empty when none.
  std::string Caption() const override;
  // Selects the first item with that text (CompareStrings); none when "".
  void SetCaption(const std::string& text) override;
  int DropDownCount() const { return DropDownCount_; }
  void SetDropDownCount(int count) { DropDownCount_ = count; }
  bool DroppedDown() const;
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  int WindowHeightFor(int height) const override;  // the dropped list below
  // CBN_SELCHANGE: the text follows the selection, Click(), then Change().
  void CNCommand(WORD code) override;
  virtual void Change();  // fires OnChange
  bool IsCombo() const override { return true; }

 private:
  TComboBoxStyle Style_ = csDropDown;
  int DropDownCount_ = 8;
};
