// The lists the pages hand to the engine: what fits the selection buffer,
// folders with one final backslash, and the Open dialog's two answer forms.

#include "app/path_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using ravelock::app::buildPathList;
using ravelock::app::folderList;
using ravelock::app::kSelectionListLimit;
using ravelock::app::splitSelection;

TEST(PathList, PathsBackToBackWithTheListsZero) {
  const std::vector<std::string> paths{"C:\\a.txt", "C:\\b c\\d.doc"};
  const auto list = buildPathList(paths);
  EXPECT_EQ(list.count, 2u);
  EXPECT_EQ(list.bytes, "C:\\a.txt\0C:\\b c\\d.doc\0\0"s);
  const auto none = buildPathList({});
  EXPECT_EQ(none.count, 0u);
  EXPECT_EQ(none.bytes, "\0"s);
}

// Only the leading paths that fit the buffer, final zero included, with
// their count; a later short path is not taken once one did not fit.
TEST(PathList, LeadingPathsThatFitTheBuffer) {
  struct Case {
    std::size_t firstLength; // the rest are 100-byte paths
    unsigned count;
  };
  // 100 paths of 100 bytes take 101 bytes each; the first path is sized so
  // that the list ends exactly at, one byte past or well within the limit.
  const std::size_t rest = 99 * 101;
  const Case cases[] = {
      {kSelectionListLimit - rest - 2, 100}, // exactly full
      {kSelectionListLimit - rest - 1, 99},  // one byte too many: the last goes
      {1000, 101},                           // all fit, the short one too
      {kSelectionListLimit - 1, 0},          // the first alone does not fit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firstLength);
    std::vector<std::string> paths{std::string(c.firstLength, 'f')};
    for (int i = 0; i < 99; ++i)
      paths.push_back(std::string(100, 'p'));
    paths.push_back("x"); // fits alone, but not after a path that did not
    const auto list = buildPathList(paths);
    ASSERT_LE(list.bytes.size(), kSelectionListLimit);
    EXPECT_EQ(list.count, c.count);
    std::size_t zeros = 0;
    for (char ch : list.bytes)
      zeros += ch == '\0';
    EXPECT_EQ(zeros, c.count + 1u);
    EXPECT_EQ(list.bytes.substr(list.bytes.size() - (c.count ? 2 : 1)),
              c.count ? "\0\0"s : "\0"s);
  }
}

TEST(PathList, FoldersEndInOneBackslash) {
  const std::pair<const char*, std::string> cases[] = {
      {"C:\\", "C:\\\0\0"s},
      {"C:\\Data", "C:\\Data\\\0\0"s},
      {"C:\\Data\\", "C:\\Data\\\0\0"s},
      {"\\\\server\\share", "\\\\server\\share\\\0\0"s},
  };
  for (const auto& [folder, bytes] : cases) {
    SCOPED_TRACE(folder);
    const auto list = folderList(folder);
    EXPECT_EQ(list.bytes, bytes);
    EXPECT_EQ(list.count, 1u);
  }
  EXPECT_EQ(folderList("").count, 0u);
}

TEST(PathList, OpenDialogSelections) {
  using List = std::vector<std::wstring>;
  EXPECT_EQ(splitSelection(L"C:\\dir\\one.txt\0\0"s), List{L"C:\\dir\\one.txt"});
  EXPECT_EQ(splitSelection(L"C:\\dir\0a.txt\0b c.doc\0\0"s),
            (List{L"C:\\dir\\a.txt", L"C:\\dir\\b c.doc"}));
  EXPECT_EQ(splitSelection(L"C:\\\0a.txt\0\0"s), List{L"C:\\a.txt"});
  EXPECT_EQ(splitSelection(L"\0"s), List{});
  // A buffer without its final zeros ends where it ends.
  EXPECT_EQ(splitSelection(L"C:\\dir\0a.txt"s), List{});
}

} // namespace
