#pragma once
// The text grammar of the options file: tags, names, the search for a child
// element and the character references of values. No document is built; the
// callers walk the raw bytes of the file.
//
// Grammar: elements and text only (no declaration, attribute, comment,
// processing instruction, CDATA or DOCTYPE). Start tag "<name>", end tag
// "</name>", empty-element tag "<name/>", each with optional whitespace
// before the ">" or "/>". Name characters: ASCII letters, digits, '_', '-'
// and '.'. Names compare byte for byte.

#include <cstddef>
#include <string>
#include <string_view>

namespace ravelock::options {

constexpr bool isXmlNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '-' || c == '.';
}

// Space, tab, CR, LF, vertical tab, form feed.
constexpr bool isXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// `name` without its leading and trailing whitespace.
std::string_view trimXmlName(std::string_view name);
// Non-empty and made of name characters only.
bool isValidXmlName(std::string_view name);

enum class XmlTag { Start, End, Empty, Invalid };

// Classifies `tag`, the text from "<" to ">" inclusive. For a start, end or
// empty-element tag, `name` is its element name; comparing kind and name is
// comparing the tag with the whitespace before its ">" removed.
XmlTag XmlClassifyTag(std::string_view tag, std::string_view& name);

enum class XmlFind { Found, Absent, Malformed };

// Where an element's content lies within the text searched: from just after
// its start tag to just before its end tag.
struct XmlContent {
  std::size_t start = 0;
  std::size_t length = 0;
};

// The first direct child of `region` named `name` (already trimmed and
// valid). Found: `content` is set, relative to `region`. Absent when the
// region ends first; Malformed at a byte that cannot stand in a tag, an
// invalid tag or an end tag without its start.
XmlFind XmlFindChild(std::string_view region, std::string_view name, XmlContent& content);

// Whether `document` holds only valid tags, as many end tags as start tags
// and never an end tag more than the start tags before it (names are not
// paired, as the walk does not pair them). A whole file is rewritten only
// when it passes, so a file cut short loses nothing it holds.
bool XmlIsWellFormed(std::string_view document);

// Decodes the references "&lt;" "&gt;" "&amp;" "&apos;" "&quot;" "&#N;" and
// "&#xH;" into `out` (replacing it). False when the value is not clean: it
// holds "<", ">" or an "&" that starts none of these (all copied as they are).
bool XmlUnescape(std::string_view text, std::string& out);

// "&" "<" ">" and the bytes 0x80..0xFF as references; everything else,
// quotes and control characters included, unchanged.
std::string XmlEscape(std::string_view text);

} // namespace ravelock::options
