// The page control: a real tab control that never gets a tab item, so it
// shows no tabs; its sheets fill the display area and only the active one
// is visible.
#pragma once
#include "Controls.h"

class TTabSheet;

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner);
  const char* ClassName() const override { return "TPageControl"; }
  const TPropTable& Published() const override;

  int PageCount() const { return static_cast<int>(Pages_.size()); }
  TTabSheet* Pages(int index) const { return Pages_[index]; }
  TTabSheet* ActivePage() const { return ActivePage_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;  // -1 when none
  void SetActivePageIndex(int index);
  RECT DisplayRect() const;     // where the sheets are, in client coordinates

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Resized() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  std::vector<TTabSheet*> Pages_;
  TTabSheet* ActivePage_ = nullptr;
};

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  const char* ClassName() const override { return "TTabSheet"; }
  const TPropTable& Published() const override;
  // The parent must be a page control; the sheet becomes its last page.
  void SetParent(TWinControl* parent) override;
  TPageControl* PageControl() const { return PageControl_; }
  int PageIndex() const;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  TPageControl* PageControl_ = nullptr;
};
