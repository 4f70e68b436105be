// String lists: sorting and binary search by the list comparison, text
// files with every kind of line end, and the file errors.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "Classes.h"
#include "StdCtrls.h"
#include "SysUtils.h"

namespace {

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}

std::string Show(const std::vector<std::string>& v) {
  std::string s = "[";
  for (size_t i = 0; i < v.size(); ++i) {
    if (i) s += ", ";
    s += '"';
    for (char c : v[i]) {
      if (c == '\r') s += "\\r";
      else if (c == '\n') s += "\\n";
      else if (c == '\0') s += "\\0";
      else s += c;
    }
    s += '"';
  }
  return s + "]";
}

std::string TempPath(const std::string& name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "winlib-strings-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace

// Case is ignored; hyphens and apostrophes sort as symbols before letters;
// equal strings keep their order.
TEST(StringList, SortsByTheListComparison) {
  TStringList list;
  for (const char* s : {"coop", "b", "ab", "co-op", "A", "a-b", "Ab", "o'neill", "oneill"}) list.Add(s);
  list.Sort();
  std::vector<std::string> expected = {"A", "a-b", "ab", "Ab", "b", "co-op", "coop", "o'neill", "oneill"};
  EXPECT_EQ(Show(expected), Show(Lines(list)));
}

TEST(StringList, SortedAddGoesBeforeEqualStrings) {
  TStringList list;
  list.SetSorted(true);
  list.AddObject("ab", nullptr);
  TObject marker;
  int at = list.AddObject("AB", &marker);
  list.Add("a");
  EXPECT_EQ(0 + 1, at + 1) << "AB went to index " << at;
  EXPECT_EQ(Show({"a", "AB", "ab"}), Show(Lines(list)));
  EXPECT_EQ(&marker, list.GetObject(1));
}

TEST(StringList, FindIsALowerBound) {
  TStringList list;
  for (const char* s : {"Bin", "addins", "Dict", "dict", "zeta"}) list.Add(s);
  list.SetSorted(true);  // addins, Bin, Dict, dict, zeta
  struct {
    const char* key;
    bool found;
    int index;
  } cases[] = {
      {"ADDINS", true, 0}, {"bin", true, 1}, {"DICT", true, 2}, {"a", false, 0},
      {"c", false, 2},     {"zz", false, 5}, {"dictionary", false, 4},
  };
  for (const auto& c : cases) {
    int index = -1;
    bool found = list.Find(c.key, index);
    EXPECT_EQ(c.found, found) << c.key;
    EXPECT_EQ(c.index, index) << c.key;
    EXPECT_EQ(c.found ? c.index : -1, list.IndexOf(c.key)) << c.key;
  }
}

TEST(StringList, ComparesUpToTheFirstNul) {
  EXPECT_EQ(0, CompareStrings(std::string("abc\0zzz", 7), "ABC"));
  EXPECT_LT(CompareStrings("a-b", "ab"), 0);
  EXPECT_GT(CompareStrings("b", "A"), 0);
}

TEST(StringList, LoadsEveryKindOfLineEnd) {
  struct {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"x", {"x"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r\n", {"a", "b", "c"}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\r\n", {""}},
      {std::string("a\0b\r\nc", 6), {"a"}},
      {std::string("\0abc", 4), {}},
      {"tab\there\r\n", {"tab\there"}},
  };
  const std::string path = TempPath("load.txt");
  for (const auto& c : cases) {
    WriteBytes(path, c.bytes);
    TStringList list;
    list.Add("old");
    list.LoadFromFile(path);
    EXPECT_EQ(Show(c.lines), Show(Lines(list))) << "file " << Show({c.bytes});
  }
  DeleteFileA(path.c_str());
}

TEST(StringList, SavesEveryLineWithCrLf) {
  struct {
    std::vector<std::string> lines;
    std::string bytes;
  } cases[] = {
      {{}, ""},
      {{""}, "\r\n"},
      {{"a", "", "b"}, "a\r\n\r\nb\r\n"},
      {{"*0000000010F9E540", "C:\\x\t!"}, "*0000000010F9E540\r\nC:\\x\t!\r\n"},
  };
  const std::string path = TempPath("save.txt");
  for (const auto& c : cases) {
    TStringList list;
    for (const auto& l : c.lines) list.Add(l);
    WriteBytes(path, "something longer that must be replaced entirely");
    list.SaveToFile(path);
    EXPECT_EQ(Show({c.bytes}), Show({ReadBytes(path)}));
  }
  DeleteFileA(path.c_str());
}

TEST(StringList, FileErrorsRaiseNamedExceptions) {
  TStringList list;
  list.Add("kept");
  const std::string missing = TempPath("no such folder\\file.txt");
  struct {
    const char* what;
    std::function<void()> action;
    const char* className;
  } cases[] = {
      {"load of a missing file", [&] { list.LoadFromFile(missing); }, "EFOpenError"},
      {"save into a missing folder", [&] { list.SaveToFile(missing); }, "EFCreateError"},
      {"stream read past the end", [&] {
         const std::string p = TempPath("short.bin");
         WriteBytes(p, "abc");
         TFileStream s(p, fmOpenRead);
         char buf[8];
         try {
           s.ReadBuffer(buf, 8);
         } catch (...) {
           DeleteFileA(p.c_str());
           throw;
         }
       }, "EReadError"},
  };
  for (const auto& c : cases) {
    std::string got = "(nothing raised)";
    try {
      c.action();
    } catch (const Exception& e) {
      got = e.ClassName();
    }
    EXPECT_EQ(c.className, got) << c.what;
  }
  EXPECT_EQ(Show({"kept"}), Show(Lines(list))) << "a failed load leaves the list";
}

TEST(Text, FormatTextReplacesOnlyPercentS) {
  struct {
    const char* fmt;
    const char* expected;
  } cases[] = {
      {"Welcome to the %s", "Welcome to the X Y"},
      {"%s and %s", "X Y and X Y"},
      {"100% sure, %d", "100% sure, %d"},
      {"%%s", "%s"},
      {"end %", "end %"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, FormatText(c.fmt, "X Y")) << c.fmt;
}

TEST(Text, LabelTextTurnsBareCrIntoCrLf) {
  struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"a\rb", "a\r\nb"},
      {"a\r\nb", "a\r\nb"},
      {"a\r\r\r", "a\r\n\r\n\r\n"},
      {"a\nb", "a\nb"},
      {"\r", "\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show({c.out}), Show({CRToCRLF(c.in)})) << Show({c.in});
}
