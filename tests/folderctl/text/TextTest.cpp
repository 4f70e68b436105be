// Path levels, name parts, lower-casing of labels, and the tidying of the
// home folder text, as tables.
#include <gtest/gtest.h>

#include <string>

#include "FileCtrl.h"
#include "HomeFolder.h"

namespace {

TEST(FolderText, PathLevelAndNamePart) {
  const struct {
    const char* path;
    int level;
    const char* name;
  } cases[] = {
      {"C:\\", 0, ""},
      {"C:", 0, ""},
      {"C:\\A", 1, "A"},
      {"C:\\A\\", 1, ""},
      {"C:\\A\\B", 2, "B"},
      {"C:\\Program Files\\Quillora", 2, "Quillora"},
      {"D:Apps", 0, "Apps"},
      {"Apps", 0, "Apps"},
      {"", 0, ""},
      {"\\\\srv\\share\\dir", 4, "dir"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.level, PathLevel(c.path)) << "PathLevel of " << c.path;
    EXPECT_EQ(c.name, NamePart(c.path)) << "NamePart of " << c.path;
  }
}

TEST(FolderText, LowerCaseFileText) {
  // Code page 1252 without double-byte support: the locale's lower case.
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"SYSTEM", "system"},
      {"My Stick", "my stick"},
      {"A&B", "a&b"},
      {"\\\\SRV\\Docs", "\\\\srv\\docs"},
      {"\xC9IRE", "\xE9ire"},  // capital E acute
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.out, LowerCaseFileText(c.in)) << "input " << c.in;
}

TEST(FolderText, AsciiUpperTouchesOnlyAsciiLetters) {
  const struct {
    char in, out;
  } cases[] = {{'e', 'E'}, {'E', 'E'}, {'z', 'Z'}, {'\0', '\0'}, {' ', ' '}, {'\\', '\\'}, {'\xE9', '\xE9'}};
  for (const auto& c : cases) EXPECT_EQ(c.out, AsciiUpper(c.in)) << "char " << int(static_cast<unsigned char>(c.in));
}

TEST(HomeFolderText, Normalized) {
  const struct {
    const char* text;
    char drive;
    const char* programFiles;
    const char* expected;
  } cases[] = {
      {"  D:\\Apps\\  ", 'c', "", "D:\\Apps"},
      {"D:\\", 'c', "", "D:\\Quillora"},
      {"D:", 'c', "", "D:\\Quillora"},
      {"c:\\", 'c', "", "c:\\Quillora"},
      {"C:\\Program Files", 'c', "C:\\Program Files", "C:\\Program Files\\Quillora"},
      {"C:\\PROGRAM FILES\\", 'c', "C:\\Program Files", "C:\\PROGRAM FILES\\Quillora"},
      {"c:\\program files", 'c', "C:\\Program Files", "c:\\program files\\Quillora"},
      {"C:\\Program Files\\Other", 'c', "C:\\Program Files", "C:\\Program Files\\Other"},
      {"C:\\Program Files", 'c', "", "C:\\Program Files"},  // no Program Files folder known
      {"", 'e', "C:\\Program Files", "e:\\Quillora"},
      {"   ", 'e', "C:\\Program Files", "e:\\Quillora"},
      {"Apps\\Data", 'e', "C:\\Program Files", "e:\\Quillora"},
      {"\\Apps", 'e', "", "e:\\Quillora"},
      {"\\\\srv\\share\\dir\\", 'e', "", "\\\\srv\\share\\dir"},
      {"\\\\srv\\share\\", 'e', "", "\\\\srv\\share"},
      {"D:Apps", 'e', "", "D:Apps"},
      {"D:\\Apps\t", 'e', "", "D:\\Apps\t"},      // a tab is not trimmed
      {"\tD:\\Apps", 'e', "", "e:\\Quillora"},    // ... and then names no drive
      {"D:\\Apps\\\\", 'e', "", "D:\\Apps\\Quillora"},  // one backslash dropped, the next ends the name
      {"Apps", ' ', "", "Apps"},                  // no drive chosen yet: kept
      {"", '\0', "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, NormalizedHomeFolder(c.text, c.drive, c.programFiles))
        << "text [" << c.text << "] drive [" << c.drive << "] Program Files [" << c.programFiles << "]";
}

}  // namespace
