// Under code page 932 the second byte of a character may be 0x5C (the
// backslash) or an ASCII capital; neither is a delimiter or a letter.
#include <gtest/gtest.h>

#include <string>

#include "FileCtrl.h"

namespace {

// "表" is 95 5C, "ア" is 83 41 in Shift-JIS.
const char* const Hyo = "\x95\x5C";
const char* const A = "\x83\x41";

TEST(DoubleByte, PathLevelNamePartAndLowerCase) {
  ASSERT_EQ(932u, GetACP()) << "the test runs under the Japanese locale";
  ASSERT_NE(0, GetSystemMetrics(SM_DBCSENABLED));
  const std::string hyo = Hyo, a = A;
  const struct {
    std::string path;
    int level;
    std::string name;
  } paths[] = {
      {"C:\\" + hyo, 1, hyo},
      {"C:\\" + hyo + "\\", 1, ""},
      {"C:\\" + hyo + "\\" + hyo, 2, hyo},
      {"C:\\Dir" + hyo, 1, "Dir" + hyo},
  };
  for (const auto& p : paths) {
    EXPECT_EQ(p.level, PathLevel(p.path)) << "PathLevel of " << p.path;
    EXPECT_EQ(p.name, NamePart(p.path)) << "NamePart of " << p.path;
  }
  const struct {
    std::string in, out;
  } texts[] = {
      {"STICK", "stick"},
      {a + "B", a + "b"},             // the trail byte 41 is no capital A
      {"X" + hyo + "Y", "x" + hyo + "y"},
      {std::string("\x83"), std::string("\x83")},  // a lone lead byte at the end
  };
  for (const auto& t : texts) EXPECT_EQ(t.out, LowerCaseFileText(t.in)) << "input " << t.in;
}

}  // namespace
