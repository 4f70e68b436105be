// Folder links met by the clean-up: the link may go, what it points to
// never does. The links are Unix symbolic links, which Wine shows as
// reparse points. (Links to files are left out: Wine shows them as plain
// files, and its DeleteFile on one deletes the file it points to.)
#include <gtest/gtest.h>

#include "InstUtils.h"
#include "TestKit.h"

namespace {

using std::string;

const string Prefix = "~QuilloraIrishSpellcheckerSetup";

// The user's own data that the links point at.
struct UserData {
  explicit UserData(const Scratch& s)
      : full(s / "UserDocs"), empty(s / "UserEmpty") {
    CreateDirectoryA(full.c_str(), nullptr);
    CreateDirectoryA((full + "\\Sub").c_str(), nullptr);
    for (const char* f : files) WriteBytes(full + "\\" + f, f);
    CreateDirectoryA(empty.c_str(), nullptr);
  }
  // Prints what is missing; empty when all is there.
  string Missing() const {
    string m;
    for (const char* f : files)
      if (ReadBytes(full + "\\" + f) != f) m += full + "\\" + f + " ";
    if (!IsFolder(empty)) m += empty + " ";
    return m;
  }
  string full, empty;
  static constexpr const char* files[3] = {"letter.doc", "Sub\\photo.jpg", "notes.txt"};
};
constexpr const char* UserData::files[3];

TEST(Links, RemoveDirTreeDoesNotFollowLinks) {
  Scratch s("links");
  UserData user(s);
  const string tree = s / "Tree";
  MakeDirTree(tree + "\\Inner");
  ASSERT_TRUE(WriteBytes(tree + "\\own.txt", "x"));
  ASSERT_TRUE(WriteBytes(tree + "\\Inner\\own.txt", "x"));
  const struct { string target, link; } links[] = {
      {user.full, tree + "\\ToDocs"},
      {user.empty, tree + "\\Inner\\ToEmpty"},
  };
  for (const auto& l : links) ASSERT_TRUE(MakeUnixLink(l.target, l.link)) << "could not make " << l.link;
  RemoveDirTree(tree);
  EXPECT_EQ(user.Missing(), "") << "user data lost through a link";
  EXPECT_FALSE(Exists(tree + "\\own.txt"));
  EXPECT_FALSE(Exists(tree + "\\Inner\\own.txt"));
}

TEST(Links, RemoveDirTreeOnALinkItself) {
  Scratch s("links");
  UserData user(s);
  const string links[] = {s / "LinkToDocs", s / "LinkToEmpty"};
  ASSERT_TRUE(MakeUnixLink(user.full, links[0]));
  ASSERT_TRUE(MakeUnixLink(user.empty, links[1]));
  for (const string& l : links) {
    RemoveDirTree(l);
    RemoveDirTree(l + "\\");
  }
  EXPECT_EQ(user.Missing(), "");
}

TEST(Links, RemoveTempFilesDoesNotFollowLinks) {
  Scratch s("links");
  UserData user(s);
  const string tmp = s / "Tmp\\";
  ASSERT_TRUE(CreateDirectoryA(tmp.c_str(), nullptr));
  ASSERT_TRUE(MakeUnixLink(user.full, tmp + Prefix + "Docs"));
  ASSERT_TRUE(MakeUnixLink(user.empty, tmp + Prefix + "Empty"));
  ASSERT_TRUE(CreateDirectoryA((tmp + Prefix + "Real").c_str(), nullptr));
  ASSERT_TRUE(MakeUnixLink(user.full, tmp + Prefix + "Real\\Inner"));
  char old[32768];
  const DWORD n = GetEnvironmentVariableA("TMP", old, sizeof old);
  SetEnvironmentVariableA("TMP", tmp.c_str());
  RemoveTempFiles();
  SetEnvironmentVariableA("TMP", n > 0 && n < sizeof old ? old : nullptr);
  EXPECT_EQ(user.Missing(), "") << "user data lost through a link";
}

}  // namespace
