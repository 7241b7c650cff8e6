// UTF-16 names taken into the ANSI code page only when they fit exactly.

#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

namespace ravelock::platform {
namespace {

TEST(ToAnsiExact, ExactFormsOnly) {
  std::string ansi = "stale";
  EXPECT_TRUE(toAnsiExact(u"C:\\a b.txt", ansi));
  EXPECT_EQ(ansi, "C:\\a b.txt");
  // In every code page the tests run with (1252 under Wine, UTF-8
  // natively), and turned back into the same character.
  ASSERT_TRUE(toAnsiExact(u"\u00FC", ansi));
  EXPECT_TRUE(ansi == "\xFC" || ansi == "\xC3\xBC") << ansi;
  EXPECT_TRUE(toAnsiExact(u"", ansi));
  EXPECT_EQ(ansi, "");
  // Half a surrogate pair has no form anywhere.
  EXPECT_FALSE(toAnsiExact(std::u16string(1, char16_t(0xD800)) + u"x", ansi));
  EXPECT_FALSE(toAnsiExact(std::u16string(1, char16_t(0xDC00)), ansi));
}

} // namespace
} // namespace ravelock::platform
