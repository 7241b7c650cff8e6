// The path list and its section: what the sender writes and the rules by
// which the receiver refuses a section it cannot trust.

#include "shell/handoff/file_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace ravelock::handoff {
namespace {

using namespace std::string_literals;

TEST(PathList, FoldersGetOneTrailingBackslash) {
  PathList list;
  list.add("C:\\a.txt", false);
  list.add("C:\\Data", true);
  list.add("C:\\b c.doc", false);
  list.add("C:\\d", false);
  list.add("", false); // would end the list
  EXPECT_EQ(list.count(), 4);
  const std::string bytes = list.bytes();
  EXPECT_EQ(bytes, "C:\\a.txt\0C:\\Data\\\0C:\\b c.doc\0C:\\d\0\0"s);
  // The paths, one added backslash, four NULs and the final one.
  EXPECT_EQ(bytes.size(), 8u + 7u + 10u + 4u + 1u + 4u + 1u);

  PathList roots;
  roots.add("C:\\", true);
  roots.add("D:\\Music\\", true);
  EXPECT_EQ(roots.bytes(), "C:\\\0D:\\Music\\\0\0"s);
}

std::vector<unsigned char> sectionWith(std::uint32_t event, std::uint32_t length,
                                       std::int32_t count, std::string_view list,
                                       std::size_t size) {
  std::vector<unsigned char> section(size, 0);
  const FileListHeader header{event, length, count};
  std::memcpy(section.data(), &header, sizeof header);
  std::memcpy(section.data() + sizeof header, list.data(),
              std::min(list.size(), size - sizeof header));
  return section;
}

TEST(FileListSection, RoundTrip) {
  PathList paths;
  paths.add("C:\\x.txt", false);
  paths.add("C:\\folder", true);
  const std::string list = paths.bytes();
  std::vector<unsigned char> section(sectionSizeFor(list.size()), 0xEE);
  ASSERT_TRUE(writeFileListSection(section, 0x1234, list, paths.count()));
  const ReceivedFileList got = readFileListSection(section);
  ASSERT_TRUE(got.valid);
  EXPECT_TRUE(got.headerRead);
  EXPECT_EQ(got.doneEvent, 0x1234u);
  EXPECT_EQ(got.count, 2);
  ASSERT_EQ(got.list.size(), list.size() + 4);
  EXPECT_EQ(std::string(got.list.data(), list.size()), list);
  EXPECT_EQ(std::string(got.list.data() + list.size(), 4), "\0\0\0\0"s);

  std::vector<unsigned char> small(sizeof(FileListHeader) + list.size() - 1);
  EXPECT_FALSE(writeFileListSection(small, 1, list, 2));
}

TEST(FileListSection, HostileSectionsAreRefused) {
  const std::string good = "C:\\a\0C:\\b\0\0"s; // 11 bytes, two paths
  struct Case {
    const char* what;
    std::uint32_t length;
    std::int32_t count;
    std::string list;
    std::size_t size;
  };
  const Case cases[] = {
      {"length past the end", 4096, 2, good, 12 + 11},
      {"length far past the end", 0xFFFFFFFFu, 2, good, 64},
      {"count larger than the list", 11, 3, good, 64},
      {"count smaller than the list", 11, 1, good, 64},
      {"count zero", 11, 0, good, 64},
      {"count negative", 11, -1, good, 64},
      {"no final zero", 10, 2, "C:\\a\0C:\\bxx"s, 12 + 10},
      {"last path not ended", 9, 2, "C:\\a\0C:\\b"s, 12 + 9},
      {"empty list", 0, 1, "", 64},
      {"only the final zero", 1, 1, "\0"s, 64},
      {"an empty path inside", 8, 2, "C:\\a\0\0x\0"s, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto section = sectionWith(7, c.length, c.count, c.list, c.size);
    const ReceivedFileList got = readFileListSection(section);
    EXPECT_FALSE(got.valid);
    EXPECT_TRUE(got.headerRead);
    EXPECT_EQ(got.doneEvent, 7u);
    EXPECT_TRUE(got.list.empty());
  }
  const std::vector<unsigned char> tiny(11, 0);
  EXPECT_FALSE(readFileListSection(tiny).headerRead);
  EXPECT_FALSE(readFileListSection({}).valid);
}

} // namespace
} // namespace ravelock::handoff
