// The store on real files: the bytes it writes, its results, and files it
// must refuse.

#include "options/options_fixture.h"
#include "options/options_location.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "support/file_times.h"

#include <chrono>
#include <cstring>

namespace ravelock::options {
namespace {

using XmlStore = OptionsFileTest;

std::string nest(std::string_view section, std::string_view inner) {
  return "\r\n<users_settings>\r\n<" + std::string(section) + ">" + std::string(inner) +
         "</" + std::string(section) + ">\r\n</users_settings>\r\n";
}

TEST_F(XmlStore, WorkedExampleByteForByteInTheUsersSection) {
  const std::string section = OptionsSectionName();
  ASSERT_EQ(setUnsigned(1, "fish_size", section), 0);
  EXPECT_EQ(bytes(), "\r\n<users_settings>\r\n<" + section +
                         ">\r\n<fish_size>1</fish_size>\r\n</" + section +
                         ">\r\n</users_settings>\r\n");

  ASSERT_EQ(setUnsigned(0, "fish_start", section), 0);
  const std::string two = nest(section, "\r\n<fish_size>1</fish_size>\r\n"
                                        "\r\n<fish_start>0</fish_start>\r\n");
  EXPECT_EQ(bytes(), two);

  ASSERT_EQ(setUnsigned(2, "fish_size", section), 0);
  std::string expected = two;
  expected[expected.find("fish_size>1") + 10] = '2';
  EXPECT_EQ(bytes(), expected);
  EXPECT_EQ(strayFiles(), 0);
}

TEST_F(XmlStore, AnUnchangedWriteLeavesBytesAndModificationTime) {
  ASSERT_EQ(setString("a&b <\xE9>", "VelldatabaseDefaultPath"), 0);
  ASSERT_EQ(setUnsigned(7, "APPpage"), 0);
  ASSERT_TRUE(test::setFileTimes(file, test::kKnownTimes));
  const std::string before = bytes();
  EXPECT_EQ(setString("a&b <\xE9>", "VelldatabaseDefaultPath"), 0);
  EXPECT_EQ(setUnsigned(7, "APPpage"), 0);
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(test::fileTimes(file).lastWrite, test::kKnownTimes.lastWrite);
}

TEST_F(XmlStore, NamesAreTrimmedAndInvalidNamesRefused) {
  const std::uint32_t five = 5;
  ASSERT_EQ(XmlSetValue(file.c_str(), XML_UNSIGNED, &five, XML_ADD_OR_REPLACE, XML_AT_END,
                        {" users_settings\t", "\r\ndefault", "fish_size  "}),
            0);
  EXPECT_EQ(bytes(), nest("default", "\r\n<fish_size>5</fish_size>\r\n"));
  std::uint32_t value = 0;
  EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size"), 1);
  EXPECT_EQ(value, 5u);

  const std::string before = bytes();
  for (std::string_view bad : {"", "  ", "fish size", "fish<", "a\xE9"}) {
    std::string text;
    EXPECT_EQ(getText(text, bad), -3) << bad;
    EXPECT_EQ(setUnsigned(1, bad), -3) << bad;
    // Checked when the walk reaches it, and before a missing one is built.
    EXPECT_EQ(setUnsigned(1, bad, "other_user"), -3) << bad;
    EXPECT_EQ(XmlGetText(file.c_str(), text, {"users_settings", "other_user", bad}), 0);
  }
  EXPECT_EQ(bytes(), before);
  std::string text;
  EXPECT_EQ(XmlGetText(file.c_str(), text, std::span<const std::string_view>()), -3);
}

TEST_F(XmlStore, MalformedFilesAreNeverChanged) {
  const std::string_view files[] = {
      "<?xml version=\"1.0\"?>\r\n<users_settings><default><fish_size>1</fish_size>"
      "</default></users_settings>",
      "<users_settings lang=\"en\"><default></default></users_settings>",
      "<users_settings>< default></default></users_settings>",
      "<users_settings><default><!-- x --></default></users_settings>",
      "</default><users_settings></users_settings>",
  };
  for (std::string_view content : files) {
    store(content);
    std::string text;
    EXPECT_EQ(getText(text, "fish_size"), -2) << content;
    EXPECT_EQ(setUnsigned(2, "fish_size"), -2) << content;
    EXPECT_EQ(bytes(), content);
  }
}

TEST_F(XmlStore, SpacedEndsAndEmptyElements) {
  store("<users_settings><default><fish_size >2</fish_size ></default></users_settings>");
  std::uint32_t value = 0;
  EXPECT_EQ(getNumber(XML_SIGNED, value, "fish_size"), 1);
  EXPECT_EQ(value, 2u);

  // An empty-element tag is no value; a write adds a separate element.
  store("<users_settings><default><fish_size/></default></users_settings>");
  EXPECT_EQ(getNumber(XML_SIGNED, value, "fish_size"), 0);
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  EXPECT_EQ(bytes(),
            "<users_settings><default><fish_size/>\r\n<fish_size>1</fish_size>\r\n"
            "</default></users_settings>");
}

TEST_F(XmlStore, OnlyDirectChildrenMatch) {
  store("<users_settings><default><x><fish_size>9</fish_size></x>"
        "<fish_size>3</fish_size></default></users_settings>");
  std::uint32_t value = 0;
  EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size"), 1);
  EXPECT_EQ(value, 3u);
  store("<users_settings><default><x><fish_size>9</fish_size></x></default></"
        "users_settings>");
  EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size"), 0);
}

TEST_F(XmlStore, StringsRoundTripWithQuotesLiteralAndHighBytesAsReferences) {
  const char* value = "a&b<c>d\"e'f \xE9\x80\xFF";
  ASSERT_EQ(setString(value, "VelldatabaseDefaultPath"), 0);
  EXPECT_EQ(bytes(), nest("default", "\r\n<VelldatabaseDefaultPath>"
                                     "a&amp;b&lt;c&gt;d\"e'f &#233;&#128;&#255;"
                                     "</VelldatabaseDefaultPath>\r\n"));
  std::string text;
  EXPECT_EQ(getText(text, "VelldatabaseDefaultPath"), 1);
  EXPECT_EQ(text, value);
}

TEST_F(XmlStore, StringDestinationSizes) {
  ASSERT_EQ(setString("C:\\keys.rlk", "VelldatabaseDefaultPath"), 0);
  const std::size_t needed = std::strlen("C:\\keys.rlk") + 1;
  char buffer[32];
  std::memset(buffer, 'x', sizeof buffer);
  std::size_t size = needed - 1;
  EXPECT_EQ(XmlGetValue(file.c_str(), XML_STRING, buffer, size,
                        {"users_settings", "default", "VelldatabaseDefaultPath"}),
            4);
  EXPECT_EQ(size, needed);
  EXPECT_EQ(buffer[0], 'x');
  size = needed;
  EXPECT_EQ(XmlGetValue(file.c_str(), XML_STRING, buffer, size,
                        {"users_settings", "default", "VelldatabaseDefaultPath"}),
            1);
  EXPECT_STREQ(buffer, "C:\\keys.rlk");
  EXPECT_EQ(size, needed);
  // A number needs 4 bytes; the size comes back as 4.
  std::uint32_t number = 77;
  size = 3;
  EXPECT_EQ(XmlGetValue(file.c_str(), XML_UNSIGNED, &number, size,
                        {"users_settings", "default", "VelldatabaseDefaultPath"}),
            4);
  EXPECT_EQ(number, 77u);
  EXPECT_EQ(size, 4u);
}

TEST_F(XmlStore, NumbersAsStoredAndAsRead) {
  struct Case {
    std::string_view stored;
    std::uint32_t asUnsigned;
    std::int32_t asSigned;
  };
  const Case cases[] = {
      {"4294967295", 4294967295u, 2147483647},
      {"-1", 4294967295u, -1},
      {"4294967296", 0u, 2147483647},
      {" \t+12abc", 12u, 12},
      {"-2147483648", 2147483648u, -2147483647 - 1},
      {"99999999999999999999", 4294967295u, 2147483647},
      {"-99999999999999999999", 0u, -2147483647 - 1},
      {"", 0u, 0},
      {"x1", 0u, 0},
  };
  for (const Case& c : cases) {
    store("<users_settings><default><n>" + std::string(c.stored) +
          "</n></default></users_settings>");
    std::uint32_t value = 1;
    EXPECT_EQ(getNumber(XML_UNSIGNED, value, "n"), 1);
    EXPECT_EQ(value, c.asUnsigned) << c.stored;
    EXPECT_EQ(getNumber(XML_SIGNED, value, "n"), 1);
    EXPECT_EQ(static_cast<std::int32_t>(value), c.asSigned) << c.stored;
  }
  const std::int32_t minusOne = -1;
  ASSERT_EQ(XmlSetValue(file.c_str(), XML_SIGNED, &minusOne, XML_ADD_OR_REPLACE,
                        XML_AT_END, {"users_settings", "default", "n"}),
            0);
  std::string text;
  EXPECT_EQ(getText(text, "n"), 1);
  EXPECT_EQ(text, "-1");
  ASSERT_EQ(setUnsigned(4294967295u, "n"), 0);
  EXPECT_EQ(getText(text, "n"), 1);
  EXPECT_EQ(text, "4294967295");
}

TEST_F(XmlStore, ModesPlacementsAndKinds) {
  store("<users_settings><default><a>1</a></default></users_settings>");
  const std::string before = bytes();
  const std::uint32_t two = 2;
  auto set = [&](int mode, int placement, std::string_view key) {
    return XmlSetValue(file.c_str(), XML_UNSIGNED, &two, mode, placement,
                       {"users_settings", "default", key});
  };
  EXPECT_EQ(set(XML_ADD_ONLY, XML_AT_END, "a"), 1);
  EXPECT_EQ(set(XML_REPLACE_ONLY, XML_AT_END, "b"), 2);
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(set(XML_REPLACE_ONLY, XML_AT_END, "a"), 0);
  EXPECT_EQ(set(XML_ADD_ONLY, XML_AT_START, "b"), 0);
  EXPECT_EQ(set(XML_ADD_OR_REPLACE, XML_AT_END, "c"), 0);
  EXPECT_EQ(bytes(), "<users_settings><default>\r\n<b>2</b>\r\n<a>2</a>\r\n<c>2</c>\r\n"
                     "</default></users_settings>");

  std::uint32_t value = 0;
  std::size_t size = sizeof value;
  EXPECT_EQ(
      XmlGetValue(file.c_str(), 4, &value, size, {"users_settings", "default", "a"}), 3);
  EXPECT_EQ(XmlSetValue(file.c_str(), 0, &two, XML_ADD_OR_REPLACE, XML_AT_END,
                        {"users_settings", "default", "a"}),
            3);
  EXPECT_EQ(XmlSetValue(file.c_str(), XML_STRING, nullptr, XML_ADD_OR_REPLACE, XML_AT_END,
                        {"users_settings", "default", "a"}),
            3);
}

TEST_F(XmlStore, MissingAndEmptyFiles) {
  std::string text;
  EXPECT_EQ(getText(text, "fish_size"), -1);
  std::uint32_t value = 0;
  EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size"), -1);
  store("");
  EXPECT_EQ(getText(text, "fish_size"), -1);
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  EXPECT_EQ(bytes(), nest("default", "\r\n<fish_size>1</fish_size>\r\n"));
  // No file name at all: every call fails.
  EXPECT_EQ(XmlGetText("", text, {"users_settings", "default", "fish_size"}), -1);
  EXPECT_EQ(XmlSetValue("", XML_UNSIGNED, &value, XML_ADD_OR_REPLACE, XML_AT_END,
                        {"users_settings", "default", "fish_size"}),
            -1);
  // A missing element under REPLACE_ONLY creates no file.
  const std::string other = dir.file("other.xml");
  EXPECT_EQ(XmlSetValue(other.c_str(), XML_UNSIGNED, &value, XML_REPLACE_ONLY, XML_AT_END,
                        {"users_settings", "default", "x"}),
            2);
  EXPECT_FALSE(platform::pathExists(other.c_str()));
}

TEST_F(XmlStore, UncleanValuesReadAsAbsentAndAreReplaced) {
  store(
      "<users_settings><default><p>a & b</p><q><x>1</x></q></default></users_settings>");
  std::string text = "stale";
  EXPECT_EQ(getText(text, "p"), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(getText(text, "q"), 0);
  ASSERT_EQ(setString("a & b", "p"), 0);
  EXPECT_EQ(getText(text, "p"), 1);
  EXPECT_EQ(text, "a & b");
}

TEST_F(XmlStore, AReadOnlyFileIsWrittenAndStaysWritable) {
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  ASSERT_TRUE(platform::setAttributes(file.c_str(), platform::kAttrReadOnly));
  ASSERT_EQ(setUnsigned(2, "fish_size"), 0);
  std::uint32_t value = 0;
  EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size"), 1);
  EXPECT_EQ(value, 2u);
  EXPECT_EQ(platform::getAttributes(file.c_str()) & platform::kAttrReadOnly, 0u);
}

#ifdef _WIN32
TEST_F(XmlStore, AHiddenFileStaysHidden) {
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  ASSERT_TRUE(platform::setAttributes(file.c_str(),
                                      platform::kAttrHidden | platform::kAttrReadOnly));
  ASSERT_EQ(setUnsigned(2, "fish_size"), 0);
  const std::uint32_t attributes = platform::getAttributes(file.c_str());
  EXPECT_NE(attributes & platform::kAttrHidden, 0u);
  EXPECT_EQ(attributes & platform::kAttrReadOnly, 0u);
}

TEST_F(XmlStore, AFileHeldOpenByAReaderIsAFailedWrite) {
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  const std::string before = bytes();
  auto reader =
      platform::File::open(file.c_str(), platform::Access::Read, platform::Share::Read,
                           platform::Disposition::OpenExisting);
  ASSERT_TRUE(reader.isOpen());
  EXPECT_EQ(setUnsigned(2, "fish_size"), -1);
  reader.close();
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(strayFiles(), 0);
}
#endif

// An end tag under another name is passed over by the walk. A new element
// written after one would be read as part of the old element, so the write
// would not take effect: it is refused and the file left alone.
TEST_F(XmlStore, AWriteThatWouldNotReadBackIsRefused) {
  const std::string_view files[] = {
      "<users_settings>\r\n<default>\r\n<fish_size>1</fish_size>\r\n</dmfault>\r\n"
      "</users_settings>",
      "<users_settings><default><x/></dmfault></users_settings>",
  };
  for (std::string_view content : files) {
    store(content);
    std::uint32_t value = 0;
    EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size"), 0) << content;
    EXPECT_EQ(setUnsigned(2, "fish_size"), -2) << content;
    EXPECT_EQ(bytes(), content);
  }
  // Passed over where it does no harm, it is still written.
  store("<users_settings><default><x></y></default></users_settings>");
  EXPECT_EQ(setUnsigned(2, "fish_size"), 0);
}

TEST_F(XmlStore, AForeignTopLevelElementIsReplacedByTheNest) {
  store("<other_program><x>1</x></other_program>");
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  EXPECT_EQ(bytes(), nest("default", "\r\n<fish_size>1</fish_size>\r\n"));
}

TEST_F(XmlStore, MissingLevelsAreBuiltInsideTheDeepestFound) {
  ASSERT_EQ(setUnsigned(1, "fish_size", "alice"), 0);
  ASSERT_EQ(setUnsigned(2, "fish_size", "bob"), 0);
  EXPECT_EQ(bytes(),
            "\r\n<users_settings>\r\n<alice>\r\n<fish_size>1</fish_size>\r\n</alice>"
            "\r\n\r\n<bob>\r\n<fish_size>2</fish_size>\r\n</bob>\r\n"
            "</users_settings>\r\n");
  std::uint32_t value = 0;
  EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size", "alice"), 1);
  EXPECT_EQ(value, 1u);
}

// Hostile contents: a result, never a crash or a hang, and no change.
TEST_F(XmlStore, HostileFilesGiveResults) {
  std::string junk = "<\x01";
  std::uint32_t seed = 12345;
  for (int i = 0; i < 1 << 16; ++i) {
    seed = seed * 1103515245u + 12345u;
    junk += static_cast<char>(seed >> 24);
  }
  const std::string hugeName(8 << 20, 'n');
  std::string deep = "<users_settings><default>";
  for (int i = 0; i < 1 << 20; ++i)
    deep += "<a>";
  struct Case {
    std::string_view name;
    std::string content;
    int get;
  };
  const Case cases[] = {
      {"binary junk", junk, -2},
      {"unterminated tag", "<users_settings><default><fish_size", 0},
      {"huge element names",
       "<users_settings><default><" + hugeName + ">1</" + hugeName + ">", 0},
      {"huge unterminated name", "<users_settings><default><" + hugeName, 0},
      {"deep nesting", deep, 0},
      {"deep nesting, then junk", deep + "<fish_size\x7f>", -2},
  };
  for (const Case& c : cases) {
    store(c.content);
    std::string text;
    EXPECT_EQ(getText(text, "fish_size"), c.get) << c.name;
    if (c.get == -2) {
      EXPECT_EQ(setUnsigned(1, "fish_size"), -2) << c.name;
      EXPECT_EQ(bytes(), c.content) << c.name;
    }
  }
}

TEST_F(XmlStore, A100MegabyteFileIsWalkedQuicklyAndLeftAlone) {
  // Mostly text, with elements all through it.
  std::string big = "<users_settings><default>";
  big.reserve((100u << 20) + 4096);
  const std::string text(4000, 't');
  while (big.size() < (100u << 20))
    big.append("<k_1>value</k_1><e/>\r\n").append(text);
  big += "<fish_size a=1>";
  store(big);
  const std::size_t size = big.size();
  big.clear();
  const auto start = std::chrono::steady_clock::now();
  std::string value;
  EXPECT_EQ(getText(value, "fish_size"), -2);
  EXPECT_EQ(setUnsigned(1, "fish_size"), -2);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(std::filesystem::file_size(file), size);
}

} // namespace
} // namespace ravelock::options
