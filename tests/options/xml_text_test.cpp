// The options file's grammar: tags, the child search and character references.

#include "options/xml_text.h"

#include <gtest/gtest.h>

#include <string>

namespace ravelock::options {
namespace {

TEST(XmlClassifyTag, StartEndAndEmptyTagsWithTheirNames) {
  struct Case {
    std::string_view tag;
    XmlTag kind;
    std::string_view name;
  };
  const Case cases[] = {
      {"<a>", XmlTag::Start, "a"},
      {"<fish_size >", XmlTag::Start, "fish_size"},
      {"<A.b-9_\t\r\n\v\f>", XmlTag::Start, "A.b-9_"},
      {"</a>", XmlTag::End, "a"},
      {"</a  >", XmlTag::End, "a"},
      {"<a/>", XmlTag::Empty, "a"},
      {"<a />", XmlTag::Empty, "a"},
      {"< a>", XmlTag::Invalid, ""},
      {"</ a>", XmlTag::Invalid, ""},
      {"<a b>", XmlTag::Invalid, ""},
      {"</a/>", XmlTag::Invalid, ""},
      {"<a/ >", XmlTag::Invalid, ""},
      {"<a//>", XmlTag::Invalid, ""},
      {"<>", XmlTag::Invalid, ""},
      {"</>", XmlTag::Invalid, ""},
      {"<//a>", XmlTag::Invalid, ""},
      {"<?xml?>", XmlTag::Invalid, ""},
      {"<a", XmlTag::Invalid, ""},
  };
  for (const Case& c : cases) {
    std::string_view name;
    EXPECT_EQ(XmlClassifyTag(c.tag, name), c.kind) << c.tag;
    if (c.kind != XmlTag::Invalid) {
      EXPECT_EQ(name, c.name) << c.tag;
    }
  }
}

TEST(XmlFindChild, FirstDirectChildWins) {
  struct Case {
    std::string_view region;
    XmlFind result;
    std::string_view content;
  };
  const Case cases[] = {
      {"<a>1</a>", XmlFind::Found, "1"},
      {"<a></a>", XmlFind::Found, ""},
      {"text<b>x</b>\r\n<a>2</a><a>3</a>", XmlFind::Found, "2"},
      // A deeper element of the same name is not a child.
      {"<b><a>deep</a></b><a>top</a>", XmlFind::Found, "top"},
      {"<b><a>deep</a></b>", XmlFind::Absent, ""},
      // Empty-element tags are skipped and change no depth.
      {"<a/><a />\n<a>v</a>", XmlFind::Found, "v"},
      {"<a/>", XmlFind::Absent, ""},
      {"<a >2</a >", XmlFind::Found, "2"},
      {"<a>x<b>y</b><c/>z</a>", XmlFind::Found, "x<b>y</b><c/>z"},
      {"\x01\xff>junk<a>1</a>", XmlFind::Found, "1"},
      {"<a>1", XmlFind::Absent, ""},
      {"<a>1</a", XmlFind::Absent, ""},
      {"<aaaa", XmlFind::Absent, ""},
      // An end tag under another name is passed over...
      {"<a>1</b>", XmlFind::Absent, ""},
      // ...and the next end tag at the top is one too many.
      {"<a>1</b></c>", XmlFind::Malformed, ""},
      {"</b><a>1</a>", XmlFind::Malformed, ""},
      {"< a>1</a>", XmlFind::Malformed, ""},
      {"<?xml version=\"1.0\"?><a>1</a>", XmlFind::Malformed, ""},
      {"<a x=\"1\">1</a>", XmlFind::Malformed, ""},
      {"<!-- note --><a>1</a>", XmlFind::Malformed, ""},
      {"<a b>1</a>", XmlFind::Malformed, ""},
  };
  for (const Case& c : cases) {
    XmlContent content;
    ASSERT_EQ(XmlFindChild(c.region, "a", content), c.result) << c.region;
    if (c.result == XmlFind::Found) {
      EXPECT_EQ(c.region.substr(content.start, content.length), c.content) << c.region;
    }
  }
}

TEST(XmlUnescape, ReferencesAndUncleanValues) {
  struct Case {
    std::string_view text;
    std::string_view decoded;
    bool clean;
  };
  const Case cases[] = {
      {"", "", true},
      {"plain \"text\" 'x' \x01\x7f", "plain \"text\" 'x' \x01\x7f", true},
      {"a&lt;b&gt;c&amp;d&apos;e&quot;f", "a<b>c&d'e\"f", true},
      {"&#65;&#x41;&#x4a;&#x4A;&#233;", "AAJJ\xE9", true},
      {"&#321;", "A", true}, // the low 8 bits
      {"&amp;amp;", "&amp;", true},
      {"&#X41;", "&#X41;", false},
      {"&LT;", "&LT;", false},
      {"&#12a;", "&#12a;", false},
      {"&#xg;", "&#xg;", false},
      {"&#;", "&#;", false},
      {"&amp", "&amp", false},
      {"a & b", "a & b", false},
      {"a<b", "a<b", false},
      {"a>b", "a>b", false},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    EXPECT_EQ(XmlUnescape(c.text, out), c.clean) << c.text;
    EXPECT_EQ(out, c.decoded) << c.text;
  }
}

TEST(XmlEscape, ReferencesOnlyWhereNeededAndEveryByteRoundTrips) {
  EXPECT_EQ(XmlEscape("&<>\"'\x01\xE9\xFF"), "&amp;&lt;&gt;\"'\x01&#233;&#255;");
  std::string every;
  for (int b = 1; b < 256; ++b)
    every += static_cast<char>(b);
  every += "&amp;&#65;";
  std::string back;
  ASSERT_TRUE(XmlUnescape(XmlEscape(every), back));
  EXPECT_EQ(back, every);
}

TEST(XmlNames, TrimAndValidate) {
  EXPECT_EQ(trimXmlName(" \tfish_size\r\n "), "fish_size");
  EXPECT_TRUE(isValidXmlName("a.B-9_"));
  for (std::string_view bad : {"", "fish size", "fish<", "\xE9t\xE9", "a/b"})
    EXPECT_FALSE(isValidXmlName(bad)) << bad;
}

} // namespace
} // namespace ravelock::options
