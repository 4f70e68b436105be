// Entries written below a folder named in the system code page (1251 here),
// and the error box that names such a path in its own letters.
#include <gtest/gtest.h>

#include "AttachFiles.h"
#include "BoxAnswerer.h"
#include "InstUtils.h"
#include "Messages.h"
#include "TestPayload.h"

using namespace testkit;
using fixture::BoxAnswerer;
using fixture::SeenBox;

namespace {

// "Папка" in code page 1251 and in UTF-16.
const std::string kFolder = "\xCF\xE0\xEF\xEA\xE0";
const std::wstring kWideFolder = L"\u041F\u0430\u043F\u043A\u0430";

TEST(ExtractCodePage, SystemCodePageTookEffect) {
  ASSERT_EQ(1251u, GetACP()) << "Wine did not run with code page 1251: is the ru_RU.UTF-8 locale generated?";
}

TEST(ExtractCodePage, FolderNamedInTheSystemCodePage) {
  const TDateTime time = Local(2013, 4, 7, 20, 13, 14);
  const Bytes stream = Stream({{"ga_IE.dic", time, "3\nfocal\nteach\nbo\n"}});
  TAttachedFiles store(stream.data(), stream.size());
  Scratch dir("codepage");
  const std::wstring wideDir = WidenString(dir.Path());

  const std::string path = dir / kFolder + "\\ga_IE.dic";
  EXPECT_TRUE(store.ExtractFile(nullptr, "ga_IE.dic", path));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((wideDir + L"\\" + kWideFolder + L"\\ga_IE.dic").c_str()))
      << "not written under the folder's Unicode name";
  EXPECT_EQ(time, FileModTime(path)) << "not stamped";

  // A file stands where a folder is needed: the box shows the path as the
  // user sees it in Explorer.
  const std::string blocker = dir / kFolder + "\\" + kFolder;
  ASSERT_TRUE(WriteText(blocker, "a file"));
  BoxAnswerer answer(SetupTitle, {{IDABORT}});
  EXPECT_FALSE(store.ExtractFile(nullptr, "ga_IE.dic", blocker + "\\x.dic"));
  answer.Finish();
  const std::vector<SeenBox> boxes = answer.Boxes();
  ASSERT_EQ(1u, boxes.size());
  const std::wstring named = L"\"" + wideDir + L"\\" + kWideFolder + L"\\" + kWideFolder + L"\\x.dic\"";
  EXPECT_NE(std::wstring::npos, boxes[0].text.find(named)) << "the box does not name the path in its own letters";
}

}  // namespace
