#include "Graphics.h"
#include <climits>
#include <cstring>
#include <vector>
#include "Classes.h"

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

bool IdentToColor(const std::string& ident, TColor& color) {
  static const struct {
    const char* name;
    TColor color;
  } kColors[] = {
      {"clBlack", clBlack},         {"clMaroon", clMaroon},       {"clGreen", clGreen},
      {"clOlive", clOlive},         {"clNavy", clNavy},           {"clPurple", clPurple},
      {"clTeal", clTeal},           {"clGray", clGray},           {"clSilver", clSilver},
      {"clRed", clRed},             {"clLime", clLime},           {"clYellow", clYellow},
      {"clBlue", clBlue},           {"clFuchsia", clFuchsia},     {"clAqua", clAqua},
      {"clWhite", clWhite},         {"clScrollBar", clScrollBar}, {"clBackground", clBackground},
      {"clWindow", clWindow},       {"clWindowText", clWindowText}, {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow}, {"clBtnText", clBtnText},     {"clBtnHighlight", clBtnHighlight},
      {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText}, {"clGrayText", clGrayText},
      {"clNone", clNone},
  };
  for (const auto& c : kColors)
    if (_stricmp(c.name, ident.c_str()) == 0) {
      color = c.color;
      return true;
    }
  return false;
}

// ---- TFont ----

namespace {
int ScreenPixelsPerInch() {
  static int ppi = [] {
    HDC dc = GetDC(nullptr);
    int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

const char* DefaultFontName() {
  // "MS Shell Dlg 2" maps to the system's dialog font from NT 5.0 on.
  OSVERSIONINFOA vi = {};
  vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&vi);
#pragma GCC diagnostic pop
  return vi.dwMajorVersion >= 5 ? "MS Shell Dlg 2" : "MS Sans Serif";
}
}  // namespace

TFont::TFont() : Name_(DefaultFontName()), Height_(-MulDiv(8, ScreenPixelsPerInch(), 72)) {}

TFont::~TFont() {
  if (Handle_) DeleteObject(Handle_);
}

void TFont::Changed(bool handleChanges) {
  if (handleChanges && Handle_) {
    DeleteObject(Handle_);
    Handle_ = nullptr;
  }
  if (OnChange) OnChange();
}

void TFont::SetName(const std::string& name) {
  if (name == Name_) return;
  Name_ = name;
  Changed(true);
}

void TFont::SetHeight(int height) {
  if (height == Height_) return;
  Height_ = height;
  Changed(true);
}

int TFont::Size() const { return -MulDiv(Height_, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetStyle(TFontStyles style) {
  if (style == Style_) return;
  Style_ = style;
  Changed(true);
}

void TFont::SetColor(TColor color) {
  if (color == Color_) return;
  Color_ = color;
  Changed(false);
}

void TFont::SetCharset(uint8_t charset) {
  if (charset == Charset_) return;
  Charset_ = charset;
  Changed(true);
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  bool handle = source.Name_ != Name_ || source.Height_ != Height_ || source.Style_ != Style_ ||
                source.Charset_ != Charset_;
  bool any = handle || source.Color_ != Color_;
  Name_ = source.Name_;
  Height_ = source.Height_;
  Style_ = source.Style_;
  Charset_ = source.Charset_;
  Color_ = source.Color_;
  if (any) Changed(handle);
}

HFONT TFont::Handle() {
  if (!Handle_) {
    Handle_ = CreateFontA(Height_, 0, 0, 0, (Style_ & fsBold) ? FW_BOLD : FW_NORMAL, (Style_ & fsItalic) ? TRUE : FALSE,
                          (Style_ & fsUnderline) ? TRUE : FALSE, (Style_ & fsStrikeOut) ? TRUE : FALSE, Charset_,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          Name_.c_str());
  }
  return Handle_;
}

// ---- TBrush ----

TBrush::~TBrush() {
  if (Handle_) DeleteObject(Handle_);
}

void TBrush::SetColor(TColor color) {
  if (color == Color_) return;
  Color_ = color;
  if (Handle_) {
    DeleteObject(Handle_);
    Handle_ = nullptr;
  }
}

HBRUSH TBrush::Handle() {
  if (!Handle_) Handle_ = CreateSolidBrush(ColorToRGB(Color_));
  return Handle_;
}

// ---- TBitmap ----

namespace {
// A memory DC with one object selected in; both released at the end.
class TMemoryDC {
 public:
  explicit TMemoryDC(HDC compatible) : DC_(CreateCompatibleDC(compatible)) {}
  ~TMemoryDC() {
    if (Old_) SelectObject(DC_, Old_);
    if (DC_) DeleteDC(DC_);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  void Select(HGDIOBJ object) {
    HGDIOBJ old = SelectObject(DC_, object);
    if (!Old_) Old_ = old;
  }
  HDC Get() const { return DC_; }

 private:
  HDC DC_;
  HGDIOBJ Old_ = nullptr;
};

class TOwnedBitmap {
 public:
  explicit TOwnedBitmap(HBITMAP b) : B_(b) {}
  ~TOwnedBitmap() {
    if (B_) DeleteObject(B_);
  }
  TOwnedBitmap(const TOwnedBitmap&) = delete;
  TOwnedBitmap& operator=(const TOwnedBitmap&) = delete;
  HBITMAP Get() const { return B_; }
  HBITMAP Release() {
    HBITMAP b = B_;
    B_ = nullptr;
    return b;
  }

 private:
  HBITMAP B_;
};

uint32_t ReadU32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
}  // namespace

TBitmap::~TBitmap() {
  if (Handle_) DeleteObject(Handle_);
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  if (Handle_) DeleteObject(Handle_);
  Handle_ = bitmap;
  Width_ = Height_ = 0;
  if (Handle_) {
    BITMAP info = {};
    GetObjectA(Handle_, sizeof info, &info);
    Width_ = info.bmWidth;
    Height_ = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  }
  if (OnChange) OnChange();
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  HBITMAP b = static_cast<HBITMAP>(LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!b) throw EResNotFound("bitmap resource " + name + " not found");
  SetHandle(b);
}

void TBitmap::LoadFromFile(const std::string& fileName) {
  std::vector<unsigned char> data;
  {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    int64_t size = stream.Size();
    if (size < 0 || size > INT_MAX) throw EInvalidGraphic("not a bitmap: " + fileName);
    data.resize(static_cast<size_t>(size));
    if (size > 0) stream.ReadBuffer(data.data(), static_cast<int32_t>(size));
  }
  LoadFromMemory(data.data(), data.size());
}

// Accepts Windows bitmaps with an info header of 40 bytes or more (V4, V5),
// uncompressed, RLE or bit fields, and checks every size against the data
// before anything is read.
void TBitmap::LoadFromMemory(const void* data, size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  auto bad = [](const char* why) { throw EInvalidGraphic(std::string("not a bitmap: ") + why); };
  if (size < 14 + 40 || p[0] != 'B' || p[1] != 'M') bad("no bitmap file header");
  uint32_t offBits = ReadU32(p + 10);
  const unsigned char* h = p + 14;
  size_t rest = size - 14;
  uint32_t hsize = ReadU32(h);
  if (hsize < 40 || hsize > rest) bad("unsupported info header");
  int32_t width = static_cast<int32_t>(ReadU32(h + 4));
  int32_t height = static_cast<int32_t>(ReadU32(h + 8));
  uint16_t planes = ReadU16(h + 12);
  uint16_t bits = ReadU16(h + 14);
  uint32_t compression = ReadU32(h + 16);
  uint32_t sizeImage = ReadU32(h + 20);
  uint32_t clrUsed = ReadU32(h + 32);
  if (width <= 0 || width > 32767 || height == 0 || height < -32767 || height > 32767 || planes != 1)
    bad("bad dimensions");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) bad("bad bit count");
  bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  if (!(compression == BI_RGB || (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4) ||
        (compression == BI_BITFIELDS && (bits == 16 || bits == 32))))
    bad("unsupported compression");
  if (rle && height < 0) bad("top-down RLE");
  if (compression == BI_BITFIELDS && hsize != 40 && hsize < 52) bad("bit fields without masks");
  uint32_t colors = 0;
  if (bits <= 8) {
    colors = clrUsed ? clrUsed : (1u << bits);
    if (colors > (1u << bits)) bad("bad colour count");
  } else if (clrUsed <= 256) {
    colors = clrUsed;
  } else {
    bad("bad colour count");
  }
  size_t masks = (compression == BI_BITFIELDS && hsize == 40) ? 12 : 0;
  size_t infoEnd = hsize + masks + size_t(colors) * 4;  // from the info header's start
  if (infoEnd > rest) bad("truncated colour table");
  size_t bitsOffset = offBits ? offBits : 14 + infoEnd;
  if (bitsOffset < 14 + infoEnd || bitsOffset >= size) bad("bad offset of the pixels");
  size_t available = size - bitsOffset;
  size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
  size_t rows = static_cast<size_t>(height < 0 ? -height : height);
  size_t needed = rle ? sizeImage : stride * rows;
  if (needed == 0 || needed > available) bad("truncated pixels");

  // Our own BITMAPINFO: a plain 40-byte header, masks, colour table.
  std::vector<uint32_t> infoBuf((40 + 12 + 256 * 4) / 4 + 1, 0);
  BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(infoBuf.data());
  std::memcpy(info, h, 40);
  info->bmiHeader.biSize = 40;
  unsigned char* after = reinterpret_cast<unsigned char*>(info) + 40;
  if (compression == BI_BITFIELDS) {
    std::memcpy(after, h + 40, 12);  // after a 40-byte header, or inside a V4/V5 one: same place
    after += 12;
  }
  std::memcpy(after, h + hsize + masks, size_t(colors) * 4);
  info->bmiHeader.biClrUsed = colors;

  HDC screen = GetDC(nullptr);
  void* dibBits = nullptr;
  HBITMAP result = nullptr;
  if (!rle) {
    result = CreateDIBSection(screen, info, DIB_RGB_COLORS, &dibBits, nullptr, 0);
    if (result && dibBits) std::memcpy(dibBits, p + bitsOffset, needed);
  } else {
    // Decoded by GDI into an uncompressed section with the same palette.
    std::vector<uint32_t> plainBuf(infoBuf);
    BITMAPINFO* plain = reinterpret_cast<BITMAPINFO*>(plainBuf.data());
    plain->bmiHeader.biCompression = BI_RGB;
    plain->bmiHeader.biSizeImage = 0;
    result = CreateDIBSection(screen, plain, DIB_RGB_COLORS, &dibBits, nullptr, 0);
    if (result) {
      std::memset(dibBits, 0, stride * rows);
      if (SetDIBits(screen, result, 0, static_cast<UINT>(rows), p + bitsOffset, info, DIB_RGB_COLORS) == 0) {
        DeleteObject(result);
        result = nullptr;
      }
    }
  }
  ReleaseDC(nullptr, screen);
  if (!result) bad("cannot create the bitmap");
  SetHandle(result);
}

TColor TBitmap::Pixel(int x, int y) const {
  if (!Handle_ || x < 0 || y < 0 || x >= Width_ || y >= Height_) return clNone;
  TMemoryDC dc(nullptr);
  dc.Select(Handle_);
  COLORREF c = GetPixel(dc.Get(), x, y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

// ---- TCanvas ----

TCanvas::TCanvas() { Brush_.SetColor(clWindow); }

TCanvas::~TCanvas() { SetHandle(nullptr); }

void TCanvas::SetHandle(HDC dc) {
  if (DC_ && OldFont_) SelectObject(DC_, OldFont_);
  OldFont_ = nullptr;
  DC_ = dc;
}

void TCanvas::PrepareText() {
  if (!DC_) return;
  HGDIOBJ old = SelectObject(DC_, Font_.Handle());
  if (!OldFont_) OldFont_ = old;
  SetTextColor(DC_, ColorToRGB(Font_.Color()));
  SetBkColor(DC_, ColorToRGB(Brush_.Color()));
  SetBkMode(DC_, OPAQUE);
}

void TCanvas::FillRect(const RECT& rect) {
  if (DC_) ::FillRect(DC_, &rect, Brush_.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
  if (DC_) ::FrameRect(DC_, &rect, Brush_.Handle());
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  if (!DC_) return;
  PrepareText();
  ::TextOutA(DC_, x, y, text.data(), static_cast<int>(text.size()));
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE s = {0, 0};
  if (!DC_) return s;
  HGDIOBJ old = SelectObject(DC_, Font_.Handle());
  if (!OldFont_) OldFont_ = old;
  GetTextExtentPoint32A(DC_, text.data(), static_cast<int>(text.size()), &s);
  return s;
}

int TCanvas::TextWidth(const std::string& text) { return TextExtent(text).cx; }
int TCanvas::TextHeight(const std::string& text) { return TextExtent(text).cy; }

int TCanvas::DrawText(const std::string& text, RECT& rect, UINT format) {
  if (!DC_) return 0;
  PrepareText();
  SetBkMode(DC_, TRANSPARENT);
  int r = ::DrawTextA(DC_, text.data(), static_cast<int>(text.size()), &rect, format);
  SetBkMode(DC_, OPAQUE);
  return r;
}

void TCanvas::DrawFocusRect(const RECT& rect) {
  if (!DC_) return;
  // The dotted frame is an XOR: plain black and white make it visible on
  // every background and let a second call remove it.
  SetTextColor(DC_, RGB(0, 0, 0));
  SetBkColor(DC_, RGB(255, 255, 255));
  ::DrawFocusRect(DC_, &rect);
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
  if (!DC_ || bitmap.Empty()) return;
  TMemoryDC src(DC_);
  src.Select(bitmap.Handle());
  BitBlt(DC_, x, y, bitmap.Width(), bitmap.Height(), src.Get(), 0, 0, SRCCOPY);
}

void TCanvas::DrawTransparent(int x, int y, const TBitmap& bitmap, TColor transparent) {
  if (!DC_ || bitmap.Empty()) return;
  int w = bitmap.Width(), h = bitmap.Height();
  TMemoryDC src(DC_);
  src.Select(bitmap.Handle());
  // Mask: 1 where the bitmap has the transparent colour.
  TOwnedBitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
  TMemoryDC maskDC(DC_);
  maskDC.Select(mask.Get());
  SetBkColor(src.Get(), ColorToRGB(transparent));
  BitBlt(maskDC.Get(), 0, 0, w, h, src.Get(), 0, 0, SRCCOPY);
  // Work copy: the bitmap with the brush where the mask is set.
  TOwnedBitmap work(CreateCompatibleBitmap(DC_, w, h));
  TMemoryDC workDC(DC_);
  workDC.Select(work.Get());
  BitBlt(workDC.Get(), 0, 0, w, h, src.Get(), 0, 0, SRCCOPY);
  HGDIOBJ oldBrush = SelectObject(workDC.Get(), Brush_.Handle());
  SetTextColor(workDC.Get(), RGB(0, 0, 0));       // mask 0 -> all bits clear
  SetBkColor(workDC.Get(), RGB(255, 255, 255));   // mask 1 -> all bits set
  const DWORD kDSPDxax = 0x00E20746;              // S ? P : D
  BitBlt(workDC.Get(), 0, 0, w, h, maskDC.Get(), 0, 0, kDSPDxax);
  SelectObject(workDC.Get(), oldBrush);
  BitBlt(DC_, x, y, w, h, workDC.Get(), 0, 0, SRCCOPY);
}
