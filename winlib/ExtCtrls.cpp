#include "ExtCtrls.h"
#include "FormReader.h"

namespace {
void FillWith(HDC dc, const RECT& r, HBRUSH brush) { FillRect(dc, &r, brush); }

// The painting messages of our self-drawn controls; true when handled.
// Everything is painted in WM_PAINT (erasing would only flicker), and
// WM_PRINTCLIENT paints into the given context for captures.
template <class F>
bool HandleOwnPaint(HWND wnd, TMessage& message, F&& paint) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      message.Result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      if (dc) paint(dc);
      EndPaint(wnd, &ps);
      message.Result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(message.WParam));
      return true;
  }
  return false;
}

// A memory device context, deleted with its owner; the selected object is
// put back first.
class MemoryDC {
 public:
  MemoryDC(HDC like, HGDIOBJ select) : dc_(CreateCompatibleDC(like)), old_(dc_ ? SelectObject(dc_, select) : nullptr) {}
  ~MemoryDC() {
    if (!dc_) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};
}  // namespace

// ---- TPanel ----

TPanel::TPanel(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 185, 41); }

const TPropTable& TPanel::Published() const {
  static const std::vector<std::pair<const char*, TBevelCut>> cuts = {
      {"bvNone", bvNone}, {"bvLowered", bvLowered}, {"bvRaised", bvRaised}, {"bvSpace", bvSpace}};
  static const TPropTable table(&TWinControl::Published(),
                                {
                                    EnumProp<TPanel, TBevelCut>("BevelInner", &TPanel::SetBevelInner, cuts),
                                    EnumProp<TPanel, TBevelCut>("BevelOuter", &TPanel::SetBevelOuter, cuts),
                                    IntProp<TPanel>("BevelWidth", &TPanel::SetBevelWidth),
                                    BoolProp<TPanel>("ParentBackground", &TPanel::SetParentBackground),
                                    StringProp<TWinControl>("Caption", &TWinControl::SetCaption),
                                });
  return table;
}

void TPanel::SetBevelInner(TBevelCut v) {
  BevelInner_ = v;
  Realign();
  Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut v) {
  BevelOuter_ = v;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int v) {
  BevelWidth_ = v < 1 ? 1 : v;
  Realign();
  Invalidate();
}

void TPanel::SetParentBackground(bool v) {
  ParentBackground_ = v;
  Invalidate();
}

void TPanel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "WinlibPanel";
  params.OwnClass = true;
  params.ClassStyle = CS_HREDRAW | CS_VREDRAW;
  params.Style |= WS_CLIPCHILDREN;
  params.ExStyle |= WS_EX_CONTROLPARENT;
}

RECT TPanel::AlignRect() const {
  RECT r = ClientRect();
  int inset = (BevelOuter_ != bvNone ? BevelWidth_ : 0) + (BevelInner_ != bvNone ? BevelWidth_ : 0);
  InflateRect(&r, -inset, -inset);
  return r;
}

void TPanel::Paint(HDC dc) {
  RECT r = ClientRect();
  HBRUSH bg = (ParentBackground_ && Parent()) ? Parent()->ColorBrush() : ColorBrush();
  FillWith(dc, r, bg);
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    for (int i = 0; i < BevelWidth_; ++i) {
      if (cut == bvRaised) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
      else if (cut == bvLowered) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
      InflateRect(&r, -1, -1);
    }
  };
  bevel(BevelOuter_);
  bevel(BevelInner_);
  std::string caption = Caption();
  if (!caption.empty()) {
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
  }
}

void TPanel::WndProc(TMessage& message) {
  if (!HandleOwnPaint(Handle(), message, [this](HDC dc) { Paint(dc); })) TWinControl::WndProc(message);
}

// ---- TBevel ----

TBevel::TBevel(TComponent* owner) : TWinControl(owner) {
  SetParentColor(true);
  SetBounds(0, 0, 50, 50);
}

const TPropTable& TBevel::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {
          EnumProp<TBevel, TBevelShape>("Shape", &TBevel::SetShape,
                                        {{"bsBox", bsBox},
                                         {"bsFrame", bsFrame},
                                         {"bsTopLine", bsTopLine},
                                         {"bsBottomLine", bsBottomLine},
                                         {"bsLeftLine", bsLeftLine},
                                         {"bsRightLine", bsRightLine},
                                         {"bsSpacer", bsSpacer}}),
          EnumProp<TBevel, TBevelStyle>("Style", &TBevel::SetStyle, {{"bsLowered", bsLowered}, {"bsRaised", bsRaised}}),
      });
  return table;
}

void TBevel::SetShape(TBevelShape v) {
  Shape_ = v;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle v) {
  Style_ = v;
  Invalidate();
}

void TBevel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "WinlibBevel";
  params.OwnClass = true;
  params.ClassStyle = CS_HREDRAW | CS_VREDRAW;
}

// Lowered lines are etched (shadow, then highlight); raised ones bumped.
void TBevel::Paint(HDC dc) {
  RECT r = ClientRect();
  FillWith(dc, r, ColorBrush());
  UINT line = Style_ == bsLowered ? EDGE_ETCHED : EDGE_BUMP;
  switch (Shape_) {
    case bsBox: DrawEdge(dc, &r, Style_ == bsLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT); break;
    case bsFrame: DrawEdge(dc, &r, line, BF_RECT); break;
    case bsTopLine: DrawEdge(dc, &r, line, BF_TOP); break;
    case bsBottomLine: r.top = r.bottom - 2; DrawEdge(dc, &r, line, BF_TOP); break;
    case bsLeftLine: DrawEdge(dc, &r, line, BF_LEFT); break;
    case bsRightLine: r.left = r.right - 2; DrawEdge(dc, &r, line, BF_LEFT); break;
    case bsSpacer: break;
  }
}

void TBevel::WndProc(TMessage& message) {
  if (!HandleOwnPaint(Handle(), message, [this](HDC dc) { Paint(dc); })) TWinControl::WndProc(message);
}

// ---- TImage ----

TImage::TImage(TComponent* owner) : TWinControl(owner) {
  SetParentColor(true);
  SetBounds(0, 0, 105, 105);
  Bitmap_.OnChange = [this] { Invalidate(); };
}

const TPropTable& TImage::Published() const {
  static const TPropTable table(&TWinControl::Published(), {});
  return table;
}

void TImage::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WinClassName = "WinlibImage";
  params.OwnClass = true;
}

void TImage::Paint(HDC dc) {
  RECT r = ClientRect();
  int w = Bitmap_.Width(), h = Bitmap_.Height();
  // The parent's colour where the picture does not reach.
  if (w < r.right) {
    RECT right = {w, 0, r.right, r.bottom};
    FillWith(dc, right, ColorBrush());
  }
  if (h < r.bottom) {
    RECT below = {0, h, w < r.right ? w : r.right, r.bottom};
    FillWith(dc, below, ColorBrush());
  }
  if (Bitmap_.Empty()) return;
  MemoryDC mem(dc, Bitmap_.Handle());
  if (mem.get()) BitBlt(dc, 0, 0, w, h, mem.get(), 0, 0, SRCCOPY);
}

void TImage::WndProc(TMessage& message) {
  if (!HandleOwnPaint(Handle(), message, [this](HDC dc) { Paint(dc); })) TWinControl::WndProc(message);
}
