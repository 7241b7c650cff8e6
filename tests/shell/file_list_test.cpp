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

TEST(PathList, DecryptableOnlyWhenEveryItemIsAnRlkFile) {
  struct Item {
    const char* path;
    bool folder;
  };
  struct Case {
    const char* what;
    std::vector<Item> items;
    bool decryptable;
  };
  const Case cases[] = {
      {"two files, one in capitals", {{"C:\\a.rlk", false}, {"C:\\b.RLK", false}}, true},
      {"a file and a folder", {{"C:\\a.rlk", false}, {"C:\\d", true}}, false},
      {"a folder named like a file", {{"C:\\d.rlk", true}}, false},
      {"another extension", {{"C:\\a.rlk", false}, {"C:\\a.txt", false}}, false},
      {"the last dot decides", {{"C:\\a.rlk.bak", false}}, false},
      {"a dot in a folder name only", {{"C:\\x.rlk\\name", false}}, false},
      {"no extension", {{"C:\\rlk", false}}, false},
      {"nothing", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PathList list;
    for (const Item& item : c.items)
      list.add(item.path, item.folder);
    EXPECT_EQ(list.decryptable(), c.decryptable);
  }
}

TEST(PathList, PathsTheReceiverCannotNameAreLeftOut) {
  PathList list;
  const std::string longest(kPathRoom - 1, 'x');
  EXPECT_TRUE(list.add(longest, false));
  EXPECT_FALSE(list.add(std::string(kPathRoom, 'x'), false));
  // The folder's mark needs a byte of its own.
  EXPECT_FALSE(list.add(longest, true));
  EXPECT_FALSE(list.add("", false));
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list.bytes(), longest + "\0\0"s);
}

// A DROPFILES block: the header, then `names` as they are laid out.
std::vector<unsigned char> dropBlock(bool wide, const std::u16string& names,
                                     std::uint32_t offset = sizeof(DropFilesHeader)) {
  DropFilesHeader header{offset, 0, 0, 0, wide ? 1u : 0u};
  std::vector<unsigned char> block(sizeof header);
  std::memcpy(block.data(), &header, sizeof header);
  for (char16_t c : names) {
    block.push_back(static_cast<unsigned char>(c));
    if (wide)
      block.push_back(static_cast<unsigned char>(c >> 8));
  }
  return block;
}

std::vector<std::string> namesOf(const std::vector<unsigned char>& block,
                                 bool* read = nullptr) {
  std::vector<std::string> names;
  const bool ok = readDropNames(
      block,
      [](std::u16string_view wide, std::string& ansi) {
        // A stand-in code page without the character U+263A.
        ansi.clear();
        for (char16_t c : wide) {
          if (c == u'\u263A')
            return false;
          ansi += static_cast<char>(c);
        }
        return true;
      },
      [&names](const std::string& name) { names.push_back(name); });
  if (read)
    *read = ok;
  return names;
}

TEST(DropNames, ReadInOnePassWithinTheBlock) {
  using Names = std::vector<std::string>;
  const std::u16string list = u"C:\\a.txt\0C:\\folder\0\0"s;
  EXPECT_EQ(namesOf(dropBlock(false, list)), (Names{"C:\\a.txt", "C:\\folder"}));
  EXPECT_EQ(namesOf(dropBlock(true, list)), (Names{"C:\\a.txt", "C:\\folder"}));
  // A name the code page cannot represent is left out, the others kept.
  EXPECT_EQ(namesOf(dropBlock(true, u"C:\\\u263A.txt\0C:\\b\0\0"s)), (Names{"C:\\b"}));
  // Cut short: the whole names are kept, the unended one is not.
  EXPECT_EQ(namesOf(dropBlock(false, u"C:\\a\0C:\\b"s)), (Names{"C:\\a"}));
  std::vector<unsigned char> odd = dropBlock(true, u"C:\\a\0"s);
  odd.push_back('b'); // half a character
  EXPECT_EQ(namesOf(odd), (Names{"C:\\a"}));
  // Nothing behind the list's end is read.
  EXPECT_EQ(namesOf(dropBlock(false, u"C:\\a\0\0C:\\b\0\0"s)), (Names{"C:\\a"}));

  bool read = true;
  EXPECT_TRUE(namesOf(dropBlock(false, list, 4096), &read).empty());
  EXPECT_FALSE(read);
  EXPECT_TRUE(namesOf(dropBlock(false, list, 3), &read).empty());
  EXPECT_FALSE(read);
  const std::vector<unsigned char> tiny(10, 0);
  EXPECT_TRUE(namesOf(tiny, &read).empty());
  EXPECT_FALSE(read);
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
