// The path vocabulary on its edge cases (system code page 1252 here; the
// double-byte and Cyrillic cases run in the code-page tests).
#include <gtest/gtest.h>

#include "InstUtils.h"

namespace {

using std::string;

TEST(AddPathDelimiter, Cases) {
  const struct { string in, want; } cases[] = {
      {"", ""},
      {"D:", "D:\\"},
      {"D:\\", "D:\\"},
      {"D:\\Data/", "D:\\Data\\"},
      {"D:/Data", "D:/Data\\"},
      {"D:\\Data\\\\", "D:\\Data\\\\"},
      {"a", "a\\"},
      {"/", "\\"},
  };
  for (const auto& c : cases) {
    string got = c.in;
    AddPathDelimiter(got);
    EXPECT_EQ(got, c.want) << "AddPathDelimiter(\"" << c.in << "\")";
  }
}

TEST(JoinPath, Cases) {
  const struct { string folder, name, want; } cases[] = {
      {"", "qlr.exe", "qlr.exe"},
      {"D:\\Prog", "qlr.exe", "D:\\Prog\\qlr.exe"},
      {"D:\\Prog\\", "qlr.exe", "D:\\Prog\\qlr.exe"},
      {"D:\\Prog/", "qlr.exe", "D:\\Prog\\qlr.exe"},
      {"D:", "x", "D:\\x"},
      {"D:\\Prog", "", "D:\\Prog\\"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JoinPath(c.folder, c.name), c.want) << "JoinPath(\"" << c.folder << "\", \"" << c.name << "\")";
}

TEST(CharHelpers, EmptyAndNonEmpty) {
  EXPECT_EQ(LastChar(""), '\0');
  EXPECT_NE(LastChar(""), '\\');
  EXPECT_EQ(LastChar("ab\\"), '\\');
  const struct { string in, first, last; } cases[] = {
      {"", "", ""}, {"a", "", ""}, {"abc", "bc", "ab"}, {string("\0x", 2), "x", string("\0", 1)}};
  for (const auto& c : cases) {
    string f = c.in, l = c.in;
    DeleteFirstChar(f);
    DeleteLastChar(l);
    EXPECT_EQ(f, c.first) << "DeleteFirstChar(\"" << c.in << "\")";
    EXPECT_EQ(l, c.last) << "DeleteLastChar(\"" << c.in << "\")";
  }
}

TEST(EqualsNoCase, Cases) {
  const struct { string a, b; bool want; } cases[] = {
      {"ga_IE.dic", "GA_ie.DIC", true},
      {"abc", "abc ", false},
      {"D:\\Data", "d:\\DATA", true},
      {"D:\\Data\\", "D:\\Data", false},
      {"D:/Data", "D:\\Data", false},
      {"", "", true},
      {"", "a", false},
      {"\xE9t\xE9", "\xC9T\xC9", true},  // accented letters follow the system locale
      {string("a\0b", 3), string("A\0B", 3), true},  // the whole length counts,
      {string("a\0b", 3), string("a\0c", 3), false},  // not only up to a NUL
      {string("a\0b", 3), "a", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EqualsNoCase(c.a, c.b), c.want) << "EqualsNoCase(\"" << c.a << "\", \"" << c.b << "\")";
}

TEST(Widen, Cp1252System) {
  // On a code page 1252 system both conversions agree; the code-page tests
  // cover the systems where they do not.
  ASSERT_EQ(GetACP(), 1252u) << "this test expects a code page 1252 system";
  const struct { string in; std::wstring want; } cases[] = {
      {"", L""},
      {"qlr.exe", L"qlr.exe"},
      {"\xE9\xC0", L"\u00E9\u00C0"},
      {"\x80", L"\u20AC"},
      {string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WidenString(c.in), c.want) << "WidenString(\"" << c.in << "\")";
    EXPECT_EQ(WidenMessage(c.in), c.want) << "WidenMessage(\"" << c.in << "\")";
  }
}

TEST(DrivePart, Cases) {
  const struct { string in, want; } cases[] = {
      {"D:\\Data", "D:"},
      {"d:", "d:"},
      {"D:rel", "D:"},
      {"\\\\srv\\share\\x", "\\\\srv\\share"},
      {"\\\\srv\\share\\dir\\sub", "\\\\srv\\share"},
      {"\\\\srv\\share", "\\\\srv\\share"},
      {"\\\\srv\\share\\", "\\\\srv\\share"},
      {"\\\\srv", "\\\\srv"},
      {"\\\\", "\\\\"},
      {"\\Data", ""},
      {"Data\\x", ""},
      {"D", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DrivePart(c.in), c.want) << "DrivePart(\"" << c.in << "\")";
}

TEST(FolderPart, Cases) {
  const struct { string in, want; } cases[] = {
      {"D:\\a\\b", "D:\\a\\"},
      {"D:\\a\\", "D:\\a\\"},
      {"D:", "D:"},
      {"D:name", "D:"},
      {"name", ""},
      {"", ""},
      {"\\\\srv\\share\\f.txt", "\\\\srv\\share\\"},
      {"D:\\a/b", "D:\\"},  // only the backslash and the colon count
  };
  for (const auto& c : cases) EXPECT_EQ(FolderPart(c.in), c.want) << "FolderPart(\"" << c.in << "\")";
}

}  // namespace
