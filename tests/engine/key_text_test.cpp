// Typed keys and key names as the bytes stored files hold, the same on
// every system (the tests run on a Western one: Windows-1252).

#include "engine/format/key_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ravelock::engine {
namespace {

TEST(KeyText, KeysAreBytesOfTheLegacyCodePage) {
  std::string bytes;
  ASSERT_TRUE(keyBytesOf(u"K\u00E4se-Br\u00F6tchen", bytes));
  EXPECT_EQ(bytes, "K\xE4se-Br\xF6tchen");
  EXPECT_EQ(keyTextOf(bytes), u"K\u00E4se-Br\u00F6tchen");
  ASSERT_TRUE(keyBytesOf(u"\u20AC5", bytes));
  EXPECT_EQ(bytes, "\x80"
                   "5");
  // A character the code page cannot hold is refused, never best-fitted.
  EXPECT_FALSE(keyBytesOf(u"caf\u00E9 \u2615", bytes));
  EXPECT_FALSE(keyBytesOf(u"\u0100", bytes));
  // Another code page when asked for.
  ASSERT_TRUE(keyBytesOf(u"\u043E\u0442\u0447\u0451\u0442", 1251, bytes));
  EXPECT_EQ(bytes, "\xEE\xF2\xF7\xB8\xF2");
  ASSERT_TRUE(keyBytesOf(u"K\u00E4se", 65001, bytes));
  EXPECT_EQ(bytes, "K\xC3\xA4se");
}

TEST(KeyText, NamesAreLegacyBytesWhenTheyFitElseUtf8) {
  struct Case {
    std::u16string typed;
    std::size_t maxBytes;
    std::string stored;
  };
  const std::vector<Case> cases = {
      {u"My key", 32, "My key"},
      {u"Schl\u00FCssel", 32, "Schl\xFCssel"},
      {u"\u043E\u0442\u0447\u0451\u0442", 32, "\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82"},
      {u"\u5831\u544A \u2615", 32, "\xE5\xA0\xB1\xE5\x91\x8A \xE2\x98\x95"},
      // Cut to whole characters: 2-byte ones, and a surrogate pair kept whole.
      {u"\u043E\u0442\u0447", 5, "\xD0\xBE\xD1\x82"},
      {u"ab\U0001F600", 5, "ab"},
      {u"\u00E4\u00E4\u00E4", 2, "\xE4\xE4"},
  };
  for (const Case& c : cases) {
    std::string stored;
    ASSERT_TRUE(storedKeyName(c.typed, c.maxBytes, stored));
    EXPECT_EQ(stored, c.stored);
  }
  std::string stored;
  EXPECT_FALSE(storedKeyName(std::u16string(1, char16_t(0xD800)), 32, stored));
}

TEST(KeyText, NamesShowAsUtf8WhenValidElseLegacy) {
  // Written by the design's code page, by this program in UTF-8, and ASCII.
  EXPECT_EQ(shownKeyName("Schl\xFCssel"), u"Schl\u00FCssel");
  EXPECT_EQ(shownKeyName("\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82"),
            u"\u043E\u0442\u0447\u0451\u0442");
  EXPECT_EQ(shownKeyName("My key"), u"My key");
  EXPECT_EQ(shownKeyName(""), u"");
  // Every name written comes back as typed.
  for (const std::u16string typed : {u"Schl\u00FCssel", u"\u5831\u544A", u"\u20AC"}) {
    std::string name;
    ASSERT_TRUE(storedKeyName(typed, 32, name));
    EXPECT_EQ(shownKeyName(name), typed);
  }
}

} // namespace
} // namespace ravelock::engine
