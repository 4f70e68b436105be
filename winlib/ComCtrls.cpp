#include "ComCtrls.h"
#include <algorithm>
#include <commctrl.h>
#include "FormReader.h"

// ---- TPageControl ----

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 289, 193); }

const TPropTable& TPageControl::Published() const {
  static const TPropTable table(&TWinControl::Published(), {});
  return table;
}

void TPageControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = WC_TABCONTROLA;
  params.Style |= WS_CLIPCHILDREN;
  params.ExStyle |= WS_EX_CONTROLPARENT;
}

RECT TPageControl::DisplayRect() const {
  RECT r = {0, 0, Width(), Height()};
  if (HandleAllocated()) {
    GetClientRect(Handle(), &r);
    SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  } else {
    InflateRect(&r, -4, -4);
  }
  return r;
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  Resized();
}

void TPageControl::Resized() {
  RECT r = DisplayRect();
  for (TTabSheet* page : Pages_) page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::InsertPage(TTabSheet* page) {
  Pages_.push_back(page);
  RECT r = DisplayRect();
  page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::RemovePage(TTabSheet* page) {
  Pages_.erase(std::remove(Pages_.begin(), Pages_.end(), page), Pages_.end());
  if (ActivePage_ == page) ActivePage_ = nullptr;
}

int TPageControl::ActivePageIndex() const {
  auto it = std::find(Pages_.begin(), Pages_.end(), ActivePage_);
  return it == Pages_.end() ? -1 : static_cast<int>(it - Pages_.begin());
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? Pages_[index] : nullptr);
}

// The new page shows before the old one hides, so a focus that was on the
// old page finds a place on the new one.
void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->PageControl() != this) return;
  if (page == ActivePage_) return;
  TTabSheet* old = ActivePage_;
  ActivePage_ = page;
  if (page) {
    RECT r = DisplayRect();
    page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    page->SetVisible(true);
  }
  if (old) old->SetVisible(false);
}

// ---- TTabSheet ----

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) { SetVisible(false); }

TTabSheet::~TTabSheet() {
  if (PageControl_) PageControl_->RemovePage(this);
}

const TPropTable& TTabSheet::Published() const {
  static const TPropTable table(&TWinControl::Published(), {});
  return table;
}

void TTabSheet::SetParent(TWinControl* parent) {
  auto* pc = dynamic_cast<TPageControl*>(parent);
  if (parent && !pc) throw EInvalidOperation("the parent of tab sheet " + Name() + " is no page control");
  if (pc == PageControl_) return;
  if (PageControl_) PageControl_->RemovePage(this);
  PageControl_ = nullptr;
  TWinControl::SetParent(parent);
  PageControl_ = pc;
  if (pc) pc->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!PageControl_) return -1;
  for (int i = 0; i < PageControl_->PageCount(); ++i)
    if (PageControl_->Pages(i) == this) return i;
  return -1;
}

void TTabSheet::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "WinlibTabSheet";
  params.OwnClass = true;
  params.Style |= WS_CLIPCHILDREN;
  params.ExStyle |= WS_EX_CONTROLPARENT;
}
