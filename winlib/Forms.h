// Forms: a top-level window built from a form description, shown modally.
#pragma once
#include "Controls.h"

class TButton;
struct TFieldInfo;
struct THandlerInfo;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
typedef unsigned TBorderIcons;
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter };

// Modal results.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;
  const char* ClassName() const override { return "TForm"; }
  const TPropTable& Published() const override;

  int ClientWidth() const override { return ClientWidth_; }
  int ClientHeight() const override { return ClientHeight_; }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  TFormBorderStyle BorderStyle() const { return BorderStyle_; }
  void SetBorderStyle(TFormBorderStyle v) { BorderStyle_ = v; }
  TBorderIcons BorderIcons() const { return BorderIcons_; }
  void SetBorderIcons(TBorderIcons v) { BorderIcons_ = v; }
  TPosition Position() const { return Position_; }
  void SetPosition(TPosition v) { Position_ = v; }
  int PixelsPerInch() const { return PixelsPerInch_; }
  void SetPixelsPerInch(int v) { PixelsPerInch_ = v; }

  // Shows the form and runs the program's message loop until a modal
  // result is set and the close query allows it; then hides the form.
  int ShowModal();
  int ModalResult() const { return ModalResult_; }
  // Wakes the modal loop, which then asks CloseQuery.
  void SetModalResult(int result);
  // A modal form: modal result Cancel (the loop then asks CloseQuery).
  // A form that is not modal: CloseQuery, then hide.
  void Close();
  // Runs OnCloseQuery; true when closing is allowed.
  virtual bool CloseQuery();
  bool Modal() const { return InModalLoop_; }
  TCloseQueryEvent OnCloseQuery;

  // The control that has (or last had) the focus inside the form.
  TWinControl* ActiveControl() const;
  void SetActiveControl(TWinControl* control);
  // Tab / Shift+Tab order: children in creation order, depth first.
  void SelectNext(bool forward);
  TButton* DefaultButton() const;  // Default and showing
  TButton* CancelButton() const;   // Cancel and showing

  // The dialog keys of the modal loop (Tab, Enter, Escape, Alt+letter);
  // true when msg was handled. Public for tests that pump their own loop.
  bool IsDialogKey(MSG& msg);

 protected:
  // WM_TIMER; the default does nothing.
  virtual void WMTimer(TMessage& message) { (void)message; }
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void WndProc(TMessage& message) override;

  // Builds the form from the description text (see FormReader.h) and
  // creates its windows. Called by the constructor of a derived form.
  void ReadForm(const std::string& text);
  // The same from an RCDATA resource of the program's module.
  void ReadFormResource(const char* resourceName);
  // What the description binds by name: the derived form publishes them.
  virtual std::vector<TFieldInfo> PublishedFields();
  virtual std::vector<THandlerInfo> PublishedHandlers();

 private:
  friend class TFormReader;
  friend class TButton;
  friend class TWinControl;
  void ApplyClientSize();
  // The focus is on `leaving`, which is about to hide or be disabled: on to
  // the next control outside it.
  void MoveFocusFrom(TWinControl* leaving);
  TWinControl* Leaving_ = nullptr;
  void WMCommand(TMessage& message);
  bool DialogChar(WPARAM ch);
  void UpdateDefaultFrame(TWinControl* focused);

  int ClientWidth_ = 300;
  int ClientHeight_ = 200;
  TFormBorderStyle BorderStyle_ = bsSizeable;
  TBorderIcons BorderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition Position_ = poDesigned;
  int PixelsPerInch_ = 96;
  int ModalResult_ = 0;
  bool InModalLoop_ = false;
  HWND LastFocus_ = nullptr;
};

// The cursor over every window of the program: crDefault lets each window
// show its own; crHourGlass is the system's wait cursor.
enum TCursor { crDefault = 0, crArrow = -2, crHourGlass = -11 };
TCursor ScreenCursor();
void SetScreenCursor(TCursor cursor);
