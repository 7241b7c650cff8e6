// Text is UTF-8 inside on both backends; other code pages only at the
// edges, exactly or not at all.

#include "platform/code_page.h"
#include "platform/directory.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ravelock::platform {
namespace {

const std::u16string kLoneHigh(1, char16_t(0xD800));
const std::u16string kLoneLow(1, char16_t(0xDC00));

TEST(Utf8, BothWaysExactly) {
  struct Case {
    std::u16string wide;
    std::string utf8;
  };
  const std::vector<Case> cases = {
      {u"", ""},
      {u"C:\\a b.txt", "C:\\a b.txt"},
      {u"caf\u00E9 \u2615.txt", "caf\xC3\xA9 \xE2\x98\x95.txt"},
      {u"\u5831\u544A.pdf", "\xE5\xA0\xB1\xE5\x91\x8A.pdf"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    std::string utf8 = "stale";
    std::u16string wide = u"stale";
    EXPECT_TRUE(toUtf8Exact(c.wide, utf8));
    EXPECT_EQ(utf8, c.utf8);
    EXPECT_TRUE(fromUtf8Exact(c.utf8, wide));
    EXPECT_EQ(wide, c.wide);
    EXPECT_TRUE(isValidUtf8(c.utf8));
  }
  std::string utf8;
  // Half a surrogate pair has no UTF-8 form.
  EXPECT_FALSE(toUtf8Exact(kLoneHigh + u"x", utf8));
  EXPECT_FALSE(toUtf8Exact(kLoneLow, utf8));
}

TEST(Utf8, RefusesWhatIsNoUtf8) {
  const std::vector<std::string> invalid = {
      "\xFC",             // a Windows-1252 byte
      "K\xE4se",          // Windows-1252 text
      "\xC3",             // cut short
      "\xE2\x98",         // cut short
      "\xC0\xAF",         // overlong '/'
      "\xE0\x80\xAF",     // overlong '/'
      "\xED\xA0\x80",     // a surrogate
      "\xF4\x90\x80\x80", // beyond U+10FFFF
      "\x80",             // a trail byte alone
  };
  for (const std::string& text : invalid) {
    std::u16string wide = u"stale";
    EXPECT_FALSE(fromUtf8Exact(text, wide)) << text;
    EXPECT_TRUE(wide.empty());
    EXPECT_FALSE(isValidUtf8(text)) << text;
  }
}

TEST(Utf8, FileNamesWithHalfASurrogateComeBackWhole) {
  for (const std::u16string& name :
       {kLoneHigh + u"a", u"b" + kLoneLow, std::u16string(u"ok")}) {
    std::u16string back;
    ASSERT_TRUE(nameFromUtf8(nameToUtf8(name), back));
    EXPECT_EQ(back, name);
  }
  std::u16string back;
  EXPECT_FALSE(nameFromUtf8("\xFC", back));
}

TEST(CodePage, OnlyExactForms) {
  struct Case {
    std::u16string text;
    unsigned codePage;
    const char* bytes; // nullptr: refused
  };
  const std::vector<Case> cases = {
      {u"K\u00E4se-Br\u00F6tchen", 1252, "K\xE4se-Br\xF6tchen"},
      {u"Schl\u00FCssel \u20AC", 1252, "Schl\xFCssel \x80"},
      {u"\u043E\u0442\u0447\u0451\u0442", 1251, "\xEE\xF2\xF7\xB8\xF2"},
      {u"caf\u00E9 \u2615", 1252, nullptr},
      {u"\u043E\u0442\u0447\u0451\u0442", 1252, nullptr},
      // Best fit would give "A" or "a" for these; they are refused.
      {u"\u0100", 1252, nullptr},
      {u"\uFF41", 1252, nullptr},
      {u"x", 12345, nullptr},
  };
  for (const Case& c : cases) {
    std::string bytes;
    EXPECT_EQ(encodeInCodePage(c.text, c.codePage, bytes), c.bytes != nullptr)
        << c.codePage << " " << bytes;
    if (!c.bytes)
      continue;
    EXPECT_EQ(bytes, c.bytes);
    std::u16string back;
    EXPECT_TRUE(decodeFromCodePage(bytes, c.codePage, back));
    EXPECT_EQ(back, c.text);
  }
  std::string bytes;
  EXPECT_TRUE(encodeInCodePage(u"K\u00E4se", kCodePageUtf8, bytes));
  EXPECT_EQ(bytes, "K\xC3\xA4se");
  EXPECT_TRUE(isKnownCodePage(1252));
  EXPECT_TRUE(isKnownCodePage(1251));
  EXPECT_FALSE(isKnownCodePage(12345));
}

// The tests run on a Western system: under Wine with LANG=C.UTF-8, and
// natively by definition.
TEST(CodePage, TheSystemsLegacyCodePageIsWestern) {
  EXPECT_EQ(legacyCodePage(), kCodePageWestern);
}

// The names of the issue, made, listed, renamed, copied and removed
// through the seam, whatever code page the process runs with.
TEST(UnicodePaths, EveryFileOperationKeepsTheName) {
  test::TempDir dir;
  const std::string folderName = "\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 caf\xC3\xA9";
  const std::string folder = dir.file(folderName);
  ASSERT_TRUE(createFolder(folder));
  ASSERT_TRUE(isDirectory(folder.c_str()));
  const std::vector<std::string> names = {
      "\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.docx", "\xE5\xA0\xB1\xE5\x91\x8A.pdf",
      "caf\xC3\xA9 \xE2\x98\x95.txt", "na\xC3\xAFve r\xC3\xA9sum\xC3\xA9.doc"};
  const std::string separator = test::utf8Of(std::filesystem::path("/").make_preferred());
  for (const std::string& name : names)
    test::writeFile(folder + separator + name, name);

  auto listed = listDirectory(folder + separator, "*");
  ASSERT_TRUE(listed);
  std::vector<std::string> found;
  for (const DirectoryEntry& entry : *listed)
    if (entry.name != "." && entry.name != "..")
      found.push_back(entry.name);
  std::sort(found.begin(), found.end());
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);

  for (const std::string& name : names) {
    const std::string path = folder + separator + name;
    EXPECT_TRUE(pathExists(path.c_str())) << name;
    EXPECT_EQ(test::readFile(path), name);
    File file =
        File::open(path.c_str(), Access::Read, Share::Read, Disposition::OpenExisting);
    EXPECT_TRUE(file.isOpen()) << name;
    file.close();
    const std::string moved = path + ".\xE2\x98\x95";
    ASSERT_TRUE(moveFile(path.c_str(), moved.c_str(), false)) << name;
    EXPECT_FALSE(pathExists(path.c_str()));
    ASSERT_TRUE(copyFile(moved.c_str(), path.c_str())) << name;
    EXPECT_EQ(test::readFile(path), name);
    ASSERT_TRUE(deleteFile(moved.c_str())) << name;
    ASSERT_TRUE(deleteFile(path.c_str())) << name;
  }
  EXPECT_TRUE(removeFolder(folder.c_str()));
}

#ifdef _WIN32
// Natively a name is any bytes; on Windows bytes that are no UTF-8 would
// have to be guessed at.
TEST(UnicodePaths, BytesThatAreNoUtf8NameNoFile) {
  test::TempDir dir;
  const std::string latin = test::utf8Of(dir.path()) + "\\K\xE4se.txt";
  EXPECT_FALSE(
      File::open(latin.c_str(), Access::Write, Share::None, Disposition::CreateAlways)
          .isOpen());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
#endif

} // namespace
} // namespace ravelock::platform
