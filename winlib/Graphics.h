// Colours, fonts, bitmaps and the canvas.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include "SysUtils.h"

// A colour: 0x00BBGGRR, or a system colour 0x80000000 | COLOR_xxx.
typedef int32_t TColor;
enum : TColor {
  clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
  clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
  clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
  clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
  clScrollBar = int32_t(0x80000000 | COLOR_SCROLLBAR),
  clBackground = int32_t(0x80000000 | COLOR_BACKGROUND),
  clWindow = int32_t(0x80000000 | COLOR_WINDOW),
  clWindowText = int32_t(0x80000000 | COLOR_WINDOWTEXT),
  clBtnFace = int32_t(0x80000000 | COLOR_BTNFACE),
  clBtnShadow = int32_t(0x80000000 | COLOR_BTNSHADOW),
  clBtnText = int32_t(0x80000000 | COLOR_BTNTEXT),
  clBtnHighlight = int32_t(0x80000000 | COLOR_BTNHIGHLIGHT),
  clHighlight = int32_t(0x80000000 | COLOR_HIGHLIGHT),
  clHighlightText = int32_t(0x80000000 | COLOR_HIGHLIGHTTEXT),
  clGrayText = int32_t(0x80000000 | COLOR_GRAYTEXT),
  clNone = 0x1FFFFFFF,
};
COLORREF ColorToRGB(TColor color);
// Colour names for the form reader ("clWhite" ...); false when unknown.
bool IdentToColor(const std::string& ident, TColor& color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
typedef unsigned TFontStyles;

// A logical font; its HFONT is made on demand and owned.
class TFont : public TObject {
 public:
  TFont();  // the library's default: 8 points "MS Shell Dlg 2" (NT 5.0 and later)
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;
  const char* ClassName() const override { return "TFont"; }

  const std::string& Name() const { return Name_; }
  void SetName(const std::string& name);
  int Height() const { return Height_; }  // negative: character height in pixels
  void SetHeight(int height);
  int Size() const;                       // points at 96 pixels per inch
  void SetSize(int points);
  TFontStyles Style() const { return Style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return Color_; }
  void SetColor(TColor color);
  uint8_t Charset() const { return Charset_; }
  void SetCharset(uint8_t charset);
  void Assign(const TFont& source);

  HFONT Handle();  // owned by the font
  std::function<void()> OnChange;

 private:
  void Changed(bool handleChanges);
  std::string Name_;
  int Height_;
  TFontStyles Style_ = 0;
  TColor Color_ = clWindowText;
  uint8_t Charset_ = DEFAULT_CHARSET;
  HFONT Handle_ = nullptr;
};

class TBrush : public TObject {
 public:
  ~TBrush() override;
  const char* ClassName() const override { return "TBrush"; }
  TColor Color() const { return Color_; }
  void SetColor(TColor color);
  HBRUSH Handle();  // owned by the brush

 private:
  TColor Color_ = clWhite;
  HBRUSH Handle_ = nullptr;
};

// A device-independent bitmap with its own HBITMAP.
class TBitmap : public TObject {
 public:
  TBitmap() = default;
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;
  const char* ClassName() const override { return "TBitmap"; }

  // Bitmap resource by name from a module (LoadImage). EResNotFound.
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  // A .bmp file (wide open on the widened name). EFOpenError when it cannot
  // be opened, EInvalidGraphic when it is not a complete Windows bitmap.
  void LoadFromFile(const std::string& fileName);
  // The same from bytes in memory (a whole .bmp file). EInvalidGraphic.
  void LoadFromMemory(const void* data, size_t size);

  bool Empty() const { return Handle_ == nullptr; }
  int Width() const { return Width_; }
  int Height() const { return Height_; }
  HBITMAP Handle() const { return Handle_; }  // owned by the bitmap
  TColor Pixel(int x, int y) const;           // clNone outside the bitmap
  std::function<void()> OnChange;

 private:
  void SetHandle(HBITMAP bitmap);
  HBITMAP Handle_ = nullptr;
  int Width_ = 0;
  int Height_ = 0;
};

// Drawing on a borrowed device context with a brush and a font.
class TCanvas : public TObject {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  const char* ClassName() const override { return "TCanvas"; }

  HDC Handle() const { return DC_; }
  // Borrows dc (nullptr releases it: the objects selected in are put back).
  void SetHandle(HDC dc);
  TBrush* Brush() { return &Brush_; }
  TFont* Font() { return &Font_; }

  // Selects the font into the context and sets text and background colours
  // from the font and brush; the drawing calls below do it themselves.
  void PrepareText();
  void FillRect(const RECT& rect);
  void TextOut(int x, int y, const std::string& text);
  int TextWidth(const std::string& text);
  int TextHeight(const std::string& text);
  SIZE TextExtent(const std::string& text);
  int DrawText(const std::string& text, RECT& rect, UINT format);  // DrawTextA
  void FrameRect(const RECT& rect);
  void DrawFocusRect(const RECT& rect);
  // The bitmap at its own size, its top-left corner at (x, y).
  void Draw(int x, int y, const TBitmap& bitmap);
  // The same, with the pixels of one colour showing the brush colour.
  void DrawTransparent(int x, int y, const TBitmap& bitmap, TColor transparent);

 private:
  HDC DC_ = nullptr;
  HGDIOBJ OldFont_ = nullptr;
  TBrush Brush_;
  TFont Font_;
};
