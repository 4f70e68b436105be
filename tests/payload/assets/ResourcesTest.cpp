// The resources Setup.exe carries, read back through the resource calls the
// program uses. This test program links the same resource object.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "LockerClient.h"

namespace {

struct Raw {
  const unsigned char* data = nullptr;
  DWORD size = 0;
};

// Resource bytes stay mapped with the module: nothing to free.
bool FindRaw(LPCSTR type, LPCSTR name, Raw& r, WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) {
  HRSRC res = FindResourceExA(nullptr, type, name, lang);
  if (!res) return false;
  HGLOBAL mem = LoadResource(nullptr, res);
  if (!mem) return false;
  r.data = static_cast<const unsigned char*>(LockResource(mem));
  r.size = SizeofResource(nullptr, res);
  return r.data != nullptr;
}

using fixture::BuildFolder;

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

}  // namespace

TEST(Resources, PayloadIsTheBuiltFileAsANeutralResource) {
  Raw r;
  ASSERT_TRUE(FindRaw("FILES", "FILES", r)) << "custom type FILES, name FILES, language neutral";
  const std::vector<unsigned char> file = ReadAll(BuildFolder() + "\\resources\\FILES.bin");
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(file.size(), r.size);
  EXPECT_TRUE(r.size == file.size() && std::memcmp(r.data, file.data(), r.size) == 0)
      << "the resource is not the payload file byte for byte";
  EXPECT_EQ(0x78, r.data[0]);
  EXPECT_EQ(0xDA, r.data[1]);
  // The lookup the program makes, without a language.
  EXPECT_NE(nullptr, FindResourceA(nullptr, "FILES", "FILES"));
}

TEST(Resources, GlyphBitmapsHaveTheirSizeDepthAndTransparentColour) {
  struct Case {
    const char* name;
    LONG width, height;
    COLORREF transparent;  // of the bottom-left pixel
  } cases[] = {
      {"FIXEDDRIVE", 16, 11, RGB(0, 0, 255)},
      {"REMOVABLEDRIVE", 16, 10, RGB(255, 255, 255)},
      {"OPENFOLDER", 16, 16, RGB(128, 128, 0)},
      {"CLOSEDFOLDER", 16, 16, RGB(128, 128, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Raw r;
    ASSERT_TRUE(FindRaw(RT_BITMAP, c.name, r));
    BITMAPINFOHEADER h;
    ASSERT_GE(r.size, sizeof h);
    std::memcpy(&h, r.data, sizeof h);
    EXPECT_EQ(c.width, h.biWidth);
    EXPECT_EQ(c.height, h.biHeight) << "bottom-up, so the first row stored is the bottom one";
    EXPECT_EQ(4, h.biBitCount);
    EXPECT_TRUE(h.biClrUsed == 0 || h.biClrUsed == 16) << h.biClrUsed;
    const RGBQUAD* palette = reinterpret_cast<const RGBQUAD*>(r.data + h.biSize);
    const unsigned char* bits = r.data + h.biSize + 16 * sizeof(RGBQUAD);
    const RGBQUAD q = palette[bits[0] >> 4];
    EXPECT_EQ(c.transparent, RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));

    HBITMAP bmp = LoadBitmapA(GetModuleHandleA(nullptr), c.name);
    ASSERT_NE(nullptr, bmp);
    BITMAP info{};
    GetObjectA(bmp, sizeof info, &info);
    EXPECT_EQ(c.width, info.bmWidth);
    EXPECT_EQ(c.height, info.bmHeight);
    DeleteObject(bmp);
  }
}

TEST(Resources, IconGroupHoldsFourImagesTheLargestPng) {
  Raw group;
  ASSERT_TRUE(FindRaw(RT_GROUP_ICON, MAKEINTRESOURCEA(1), group));
  ASSERT_GE(group.size, 6u);
  WORD count;
  std::memcpy(&count, group.data + 4, 2);
  ASSERT_EQ(4, count);
  const int sizes[] = {256, 48, 32, 16};
  for (int i = 0; i < 4; ++i) {
    GroupIconEntry e;
    std::memcpy(&e, group.data + 6 + i * sizeof e, sizeof e);
    const int size = e.width ? e.width : 256;
    SCOPED_TRACE(size);
    EXPECT_EQ(sizes[i], size);
    EXPECT_EQ(32, e.bitCount);
    Raw img;
    ASSERT_TRUE(FindRaw(RT_ICON, MAKEINTRESOURCEA(e.id), img));
    EXPECT_EQ(e.bytes, img.size);
    if (size == 256) {
      ASSERT_GE(img.size, 24u);
      EXPECT_EQ(0, std::memcmp(img.data, "\x89PNG\r\n\x1a\n", 8)) << "the 256 image is PNG-compressed";
      EXPECT_EQ(256, img.data[18] << 8 | img.data[19]) << "PNG width";
    } else {
      BITMAPINFOHEADER h;
      std::memcpy(&h, img.data, sizeof h);
      EXPECT_EQ(size, h.biWidth);
      EXPECT_EQ(2 * size, h.biHeight);
      EXPECT_EQ(32, h.biBitCount);
    }
    // Loaded at each size, the system takes the image made for it.
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                               size, size, 0));
    ASSERT_NE(nullptr, icon);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    BITMAP bm{};
    GetObjectA(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(size, bm.bmWidth);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    DestroyIcon(icon);
  }
}

TEST(Resources, ManifestAndFormText) {
  Raw m;
  ASSERT_TRUE(FindRaw(RT_MANIFEST, MAKEINTRESOURCEA(1), m));
  const std::string text(reinterpret_cast<const char*>(m.data), m.size);
  const char* parts[] = {
      "<assemblyIdentity name=\"Setup\" processorArchitecture=\"x86\" version=\"5.1.0.0\" type=\"win32\"/>",
      "<description>Windows Shell</description>",
      "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"x86\" "
      "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"",
      "<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>",
  };
  for (const char* p : parts) EXPECT_NE(std::string::npos, text.find(p)) << "missing: " << p;

  Raw form;
  EXPECT_TRUE(FindRaw(RT_RCDATA, "TMAINDLGFORM", form)) << "the wizard's form text";
}
