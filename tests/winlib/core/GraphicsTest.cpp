// Bitmaps from files (checked before anything is read), pixel reads, and
// drawing with one colour transparent.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "Graphics.h"

namespace {

void Put16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A .bmp file: 40-byte header, palette of 0x00RRGGBB colours, rows as given
// (bottom row first unless height is negative), each padded to 4 bytes.
std::string MakeBmp(int width, int height, int bits, const std::vector<uint32_t>& palette,
                    const std::vector<std::string>& rows) {
  std::string pixels;
  for (const std::string& r : rows) {
    std::string row = r;
    while (row.size() % 4) row += '\0';
    pixels += row;
  }
  const size_t offBits = 14 + 40 + palette.size() * 4;
  std::string f(offBits, '\0');
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 2, static_cast<uint32_t>(offBits + pixels.size()));
  Put32(f, 10, static_cast<uint32_t>(offBits));
  Put32(f, 14, 40);
  Put32(f, 18, static_cast<uint32_t>(width));
  Put32(f, 22, static_cast<uint32_t>(height));
  Put16(f, 26, 1);
  Put16(f, 28, static_cast<uint16_t>(bits));
  Put32(f, 46, static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i) {
    uint32_t c = palette[i];  // 0xRRGGBB -> B, G, R, 0
    f[54 + i * 4] = static_cast<char>(c & 0xFF);
    f[54 + i * 4 + 1] = static_cast<char>((c >> 8) & 0xFF);
    f[54 + i * 4 + 2] = static_cast<char>((c >> 16) & 0xFF);
  }
  return f + pixels;
}

const TColor kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 128, 0), kYellow = RGB(255, 255, 0);

// 4 x 2, 16 colours: top row red blue red green, bottom row all blue.
std::string FourBit() {
  return MakeBmp(4, 2, 4, {0xFF0000, 0x0000FF, 0x008000},
                 {std::string("\x11\x11", 2), std::string("\x01\x02", 2)});
}

std::string TempPath(const std::string& name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "winlib-gfx-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string LoadError(const std::string& bytes) {
  TBitmap b;
  try {
    b.LoadFromMemory(bytes.data(), bytes.size());
  } catch (const Exception& e) {
    return e.ClassName();
  }
  return "(loaded)";
}

}  // namespace

TEST(Bitmap, LoadsFilesAndReadsPixels) {
  struct {
    const char* what;
    std::string bytes;
    int width, height;
    std::vector<std::pair<POINT, TColor>> pixels;
  } cases[] = {
      {"4-bit", FourBit(), 4, 2, {{{0, 0}, kRed}, {{1, 0}, kBlue}, {{3, 0}, kGreen}, {{2, 1}, kBlue}}},
      {"24-bit", MakeBmp(2, 2, 24, {}, {std::string("\xFF\0\0\0\0\xFF", 6), std::string("\0\x80\0\xFF\xFF\0", 6)}),
       2, 2, {{{0, 0}, kGreen}, {{1, 0}, RGB(0, 255, 255)}, {{0, 1}, kBlue}, {{1, 1}, kRed}}},
      {"24-bit top-down", MakeBmp(1, -2, 24, {}, {std::string("\0\0\xFF", 3), std::string("\xFF\0\0", 3)}), 1, 2,
       {{{0, 0}, kRed}, {{0, 1}, kBlue}}},
  };
  for (const auto& c : cases) {
    const std::string path = TempPath("ok.bmp");
    WriteBytes(path, c.bytes);
    TBitmap b;
    b.LoadFromFile(path);
    DeleteFileA(path.c_str());
    EXPECT_EQ(c.width, b.Width()) << c.what;
    EXPECT_EQ(c.height, b.Height()) << c.what;
    for (const auto& p : c.pixels)
      EXPECT_EQ(p.second, b.Pixel(p.first.x, p.first.y)) << c.what << " at " << p.first.x << "," << p.first.y;
    EXPECT_EQ(clNone, b.Pixel(c.width, 0)) << c.what << ": outside";
  }
}

TEST(Bitmap, RefusesWhatIsNoCompleteBitmap) {
  std::string good = FourBit();
  std::string badBits = good;
  Put16(badBits, 28, 7);
  std::string noWidth = good;
  Put32(noWidth, 18, 0);
  std::string bigPalette = good;
  Put32(bigPalette, 46, 17);
  std::string farPixels = good;
  Put32(farPixels, 10, 100000);
  std::string hugeWidth = good;
  Put32(hugeWidth, 18, 30000);
  struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},          {"text", "hello, this is not a picture at all, not even close to one."},
      {"bit count 7", badBits}, {"width 0", noWidth},
      {"17 colours for 4 bits", bigPalette}, {"pixels beyond the end", farPixels},
      {"rows longer than the data", hugeWidth},
  };
  for (const auto& c : cases) EXPECT_EQ("EInvalidGraphic", LoadError(c.bytes)) << c.what;
  // Every cut of a good file is refused.
  for (size_t n = 0; n < good.size(); ++n) EXPECT_EQ("EInvalidGraphic", LoadError(good.substr(0, n))) << "cut at " << n;
  EXPECT_EQ("(loaded)", LoadError(good));
}

TEST(Bitmap, MissingFileIsAnOpenError) {
  TBitmap b;
  std::string got = "(loaded)";
  try {
    b.LoadFromFile(TempPath("missing.bmp"));
  } catch (const Exception& e) {
    got = e.ClassName();
  }
  EXPECT_EQ("EFOpenError", got);
  EXPECT_TRUE(b.Empty());
}

TEST(Canvas, TransparentColourShowsTheBrush) {
  const std::string bytes = FourBit();  // top row: red blue red green
  TBitmap bmp;
  bmp.LoadFromMemory(bytes.data(), bytes.size());

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 6, 2);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, target);
  RECT all = {0, 0, 6, 2};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.Brush()->SetColor(kYellow);
  canvas.DrawTransparent(1, 0, bmp, bmp.Pixel(0, 0));
  canvas.SetHandle(nullptr);

  struct {
    int x, y;
    TColor expected;
  } cases[] = {{0, 0, RGB(0, 0, 0)}, {1, 0, kYellow}, {2, 0, kBlue}, {3, 0, kYellow}, {4, 0, kGreen},
               {5, 0, RGB(0, 0, 0)}, {1, 1, kBlue},   {4, 1, kBlue}};
  for (const auto& c : cases) EXPECT_EQ(c.expected, static_cast<TColor>(GetPixel(dc, c.x, c.y))) << c.x << "," << c.y;

  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
}
