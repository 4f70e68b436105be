// The registry class reads values of any type and length as text up to the
// first NUL, never past the data, and reports failures as results.
#include <gtest/gtest.h>
#include <windows.h>

#include "Registry.h"

namespace {

std::string TestKey() { return "Software\\WinlibRegistryTest" + std::to_string(GetCurrentProcessId()); }

void SetRaw(HKEY key, const char* name, DWORD type, const std::string& data) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                          static_cast<DWORD>(data.size())));
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, TestKey().c_str());
    ASSERT_TRUE(reg_.OpenKey(TestKey(), true));
  }
  void TearDown() override {
    reg_.CloseKey();
    RegDeleteTreeA(HKEY_CURRENT_USER, TestKey().c_str());
  }
  TRegistry reg_;
};

}  // namespace

TEST_F(RegistryTest, ReadStringTakesAnyTypeUpToTheFirstNul) {
  const std::string longText(70000, 'q');
  struct {
    const char* name;
    DWORD type;
    std::string data;
    std::string expected;
  } cases[] = {
      {"binary without NUL", REG_BINARY, "abc", "abc"},
      {"one byte", REG_BINARY, "x", "x"},
      {"binary with NUL", REG_BINARY, std::string("ab\0cd", 5), "ab"},
      {"expand string", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9), "%TEMP%\\x"},
      {"empty", REG_SZ, "", ""},
      {"only NUL", REG_SZ, std::string("\0", 1), ""},
      {"string", REG_SZ, std::string("C:\\Program Files\\Quillora\0", 26), "C:\\Program Files\\Quillora"},
      {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9), "one"},
      {"dword", REG_DWORD, std::string("ABC\0", 4), "ABC"},
      {"long without NUL", REG_BINARY, longText, longText},
  };
  for (const auto& c : cases) SetRaw(reg_.CurrentKey(), c.name, c.type, c.data);
  for (const auto& c : cases) {
    EXPECT_TRUE(reg_.ValueExists(c.name)) << c.name;
    std::string got = reg_.ReadString(c.name);
    EXPECT_EQ(c.expected.size(), got.size()) << c.name;
    EXPECT_TRUE(c.expected == got) << c.name << ": got \"" << got.substr(0, 40) << "\"";
  }
  EXPECT_FALSE(reg_.ValueExists("missing"));
  EXPECT_EQ("", reg_.ReadString("missing"));
}

TEST(RegistryDataText, NeverReadsPastTheSize) {
  const unsigned char bytes[] = {'a', 'b', 'c', 'd', 0, 'e'};
  struct {
    size_t size;
    const char* expected;
  } cases[] = {{0, ""}, {1, "a"}, {3, "abc"}, {4, "abcd"}, {6, "abcd"}};
  for (const auto& c : cases) EXPECT_EQ(c.expected, RegistryDataText(bytes, c.size)) << "size " << c.size;
}

TEST_F(RegistryTest, ReadIntegerTakesOnlyDwords) {
  SetRaw(reg_.CurrentKey(), "dword", REG_DWORD, std::string("\x07\0\0\0", 4));
  SetRaw(reg_.CurrentKey(), "text", REG_SZ, std::string("7\0", 2));
  SetRaw(reg_.CurrentKey(), "binary4", REG_BINARY, std::string("\x07\0\0\0", 4));
  struct {
    const char* name;
    bool ok;
    int32_t value;
  } cases[] = {{"dword", true, 7}, {"text", false, -1}, {"binary4", false, -1}, {"missing", false, -1}};
  for (const auto& c : cases) {
    int32_t v = -1;
    EXPECT_EQ(c.ok, reg_.ReadInteger(c.name, v)) << c.name;
    EXPECT_EQ(c.value, v) << c.name;
  }
}

TEST_F(RegistryTest, WritesStringsWithTheirNulAndDwords) {
  ASSERT_TRUE(reg_.WriteString("MAINDIR", "D:\\Apps"));
  ASSERT_TRUE(reg_.WriteInteger("LAUNCH", 0));
  DWORD type = 0, size = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(reg_.CurrentKey(), "MAINDIR", nullptr, &type, nullptr, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(8u, size) << "seven characters and the NUL";
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(reg_.CurrentKey(), "LAUNCH", nullptr, &type, nullptr, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(4u, size);
  int32_t v = -1;
  EXPECT_TRUE(reg_.ReadInteger("LAUNCH", v));
  EXPECT_EQ(0, v);
  EXPECT_EQ("D:\\Apps", reg_.ReadString("MAINDIR"));
}

TEST(Registry, FailuresAreResults) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\WinlibRegistryTestNoSuchKey\\Deeper", false));
  EXPECT_FALSE(reg.WriteString("x", "y")) << "no key open";
  EXPECT_FALSE(reg.WriteInteger("x", 1));
  EXPECT_FALSE(reg.ValueExists("x"));
  EXPECT_EQ("", reg.ReadString("x"));
  // Created on open, even when nothing is written.
  const std::string key = TestKey() + "Created";
  ASSERT_TRUE(reg.OpenKey(key, true));
  reg.CloseKey();
  HKEY h = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h));
  if (h) RegCloseKey(h);
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}
