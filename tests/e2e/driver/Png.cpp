#include "Png.h"

#include <zlib.h>

#include <algorithm>

#include "Driver.h"

namespace e2e {

namespace {
void Put32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  Put32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

// Owners of the GDI objects of one capture.
struct ScreenDC {
  HDC dc = GetDC(nullptr);
  ~ScreenDC() { if (dc) ReleaseDC(nullptr, dc); }
};
struct MemDC {
  HDC dc;
  explicit MemDC(HDC like) : dc(CreateCompatibleDC(like)) {}
  ~MemDC() { if (dc) DeleteDC(dc); }
};
struct Bitmap {
  HBITMAP bmp = nullptr;
  ~Bitmap() { if (bmp) DeleteObject(bmp); }
};
}  // namespace

std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgb) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  Put32(ihdr, static_cast<uint32_t>(width));
  Put32(ihdr, static_cast<uint32_t>(height));
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  Chunk(out, "IHDR", ihdr);
  std::string raw;
  raw.reserve(static_cast<size_t>(height) * (static_cast<size_t>(width) * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // filter type None
    raw.append(reinterpret_cast<const char*>(&rgb[static_cast<size_t>(y) * width * 3]), static_cast<size_t>(width) * 3);
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string z(size, '\0');
  compress2(reinterpret_cast<Bytef*>(&z[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 6);
  z.resize(size);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", "");
  return out;
}

std::string CaptureScreenPng(RECT r, const std::string& path) {
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, sw);
  r.bottom = std::min<LONG>(r.bottom, sh);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return "the window is off the screen";
  ScreenDC screen;
  if (!screen.dc) return "no screen DC";
  MemDC mem(screen.dc);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap bmp;
  bmp.bmp = CreateDIBSection(screen.dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp.bmp || !mem.dc) return "could not make a bitmap";
  HGDIOBJ old = SelectObject(mem.dc, bmp.bmp);
  BOOL ok = BitBlt(mem.dc, 0, 0, w, h, screen.dc, r.left, r.top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  SelectObject(mem.dc, old);
  if (!ok) return "BitBlt from the screen failed";
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  const uint8_t* p = static_cast<const uint8_t*>(bits);
  for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
    rgb[i * 3] = p[i * 4 + 2];
    rgb[i * 3 + 1] = p[i * 4 + 1];
    rgb[i * 3 + 2] = p[i * 4];
  }
  if (!WriteWholeFile(path, EncodePng(w, h, rgb))) return "could not write " + path;
  return {};
}

}  // namespace e2e
