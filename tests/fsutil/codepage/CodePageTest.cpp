// Paths under a system code page other than 1252: the ANSI calls and the
// wide calls must name the same files, and double-byte characters whose
// second byte is 0x5C are not taken for backslashes.
#include <gtest/gtest.h>

#include "InstUtils.h"
#include "TestKit.h"

namespace {

using std::string;
using std::wstring;

TEST(CodePage, SystemCodePageTookEffect) {
  ASSERT_EQ(GetACP(), UINT(EXPECTED_ACP))
      << "Wine did not run with the expected ANSI code page: is the Unix locale generated "
         "(tools/install-deps.sh) and LANG/LC_ALL passed through?";
}

// A folder and a file named in the system code page, made and removed by
// the utilities, must be the ones the wide calls see under the Unicode names.
void RoundTrip(const string& folderName, const wstring& wideFolder, const string& fileName, const wstring& wideFile) {
  Scratch s("codepage");
  const string folder = s / folderName + "\\" + folderName;
  const wstring wfolder = WidenString(s.path()) + wideFolder + L"\\" + wideFolder;
  MakeDirTree(folder);
  EXPECT_TRUE(FolderExists(folder)) << "FolderExists after MakeDirTree";
  EXPECT_NE(GetFileAttributesW(wfolder.c_str()), INVALID_FILE_ATTRIBUTES) << "the Unicode name of the folder";
  const string file = JoinPath(folder, fileName);
  SaveStringToFile(file, "content");
  EXPECT_TRUE(IsExistingFile(file)) << "IsExistingFile after SaveStringToFile";
  EXPECT_NE(GetFileAttributesW((wfolder + L"\\" + wideFile).c_str()), INVALID_FILE_ATTRIBUTES)
      << "the Unicode name of the file";
  EXPECT_EQ(ReadBytes(file), "content");
  RemoveDirTree(s / folderName);
  EXPECT_FALSE(Exists(s / folderName)) << "RemoveDirTree left the tree";
}

#if EXPECTED_ACP == 1251

TEST(CodePage, WideningCyrillic) {
  const string dok = "\xC4\xEE\xEA";  // "Док"
  EXPECT_EQ(WidenString(dok), wstring(L"\u0414\u043E\u043A"));
  EXPECT_EQ(WidenMessage(dok), wstring(L"\u00C4\u00EE\u00EA")) << "messages stay code page 1252";
  EXPECT_EQ(WidenMessage("\x80"), wstring(L"\u20AC"));
  EXPECT_TRUE(EqualsNoCase("\xE4\xEE\xEA", "\xC4\xCE\xCA")) << "lower and upper case Cyrillic";
  EXPECT_FALSE(EqualsNoCase("\xE4\xEE\xEA", "\xC4\xCE\xCB"));
}

TEST(CodePage, CyrillicFolderRoundTrip) {
  // "Документы" and "файл.txt"
  RoundTrip("\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB", L"\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442\u044B",
            "\xF4\xE0\xE9\xEB.txt", L"\u0444\u0430\u0439\u043B.txt");
}

#elif EXPECTED_ACP == 932

const string Hyo = "\x95\x5C";  // U+8868, second byte 0x5C like a backslash

TEST(CodePage, DoubleByteTrailBackslash) {
  EXPECT_EQ(WidenString(Hyo), wstring(L"\u8868"));
  EXPECT_EQ(WidenMessage("\xE9"), wstring(L"\u00E9")) << "messages stay code page 1252";
  const struct { string in, want; } delim[] = {
      {"C:\\" + Hyo, "C:\\" + Hyo + "\\"},
      {"C:\\" + Hyo + "\\", "C:\\" + Hyo + "\\"},
      {"C:\\a" + Hyo + "/", "C:\\a" + Hyo + "\\"},
  };
  for (const auto& c : delim) {
    string got = c.in;
    AddPathDelimiter(got);
    EXPECT_EQ(got, c.want) << "AddPathDelimiter(\"" << c.in << "\")";
  }
  EXPECT_EQ(JoinPath("C:\\" + Hyo, "qlr.exe"), "C:\\" + Hyo + "\\qlr.exe");
  const struct { string in, want; } folder[] = {
      {"C:\\" + Hyo, "C:\\"},
      {"C:\\" + Hyo + "\\a", "C:\\" + Hyo + "\\"},
      {Hyo, ""},
      {Hyo + Hyo + "x", ""},
  };
  for (const auto& c : folder) EXPECT_EQ(FolderPart(c.in), c.want) << "FolderPart(\"" << c.in << "\")";
  EXPECT_EQ(DrivePart("\\\\s" + Hyo + "\\share\\x"), "\\\\s" + Hyo + "\\share");
}

TEST(CodePage, DoubleByteFolderRoundTrip) {
  RoundTrip(Hyo, L"\u8868", Hyo + ".txt", L"\u8868.txt");
}

#endif

}  // namespace
