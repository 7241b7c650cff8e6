#include "options/xml_text.h"

#include <array>
#include <cstring>

namespace ravelock::options {

std::string_view trimXmlName(std::string_view name) {
  while (!name.empty() && isXmlSpace(name.front()))
    name.remove_prefix(1);
  while (!name.empty() && isXmlSpace(name.back()))
    name.remove_suffix(1);
  return name;
}

bool isValidXmlName(std::string_view name) {
  if (name.empty())
    return false;
  for (char c : name)
    if (!isXmlNameChar(c))
      return false;
  return true;
}

XmlTag XmlClassifyTag(std::string_view tag, std::string_view& name) {
  if (tag.size() < 3 || tag.front() != '<' || tag.back() != '>')
    return XmlTag::Invalid;
  std::size_t i = 1;
  const bool end = tag[i] == '/';
  if (end)
    ++i;
  const std::size_t nameStart = i;
  while (i < tag.size() && isXmlNameChar(tag[i]))
    ++i;
  if (i == nameStart)
    return XmlTag::Invalid;
  name = tag.substr(nameStart, i - nameStart);
  while (isXmlSpace(tag[i]))
    ++i;
  // `tag` ends with ">", so the scans above stop inside it.
  if (i == tag.size() - 1)
    return end ? XmlTag::End : XmlTag::Start;
  if (!end && tag[i] == '/' && i == tag.size() - 2)
    return XmlTag::Empty;
  return XmlTag::Invalid;
}

namespace {

// Bytes that may stand between "<" and ">": name characters, "/" and
// whitespace. A table, because the walk looks at every byte of the file.
constexpr auto kTagBytes = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[c] = isXmlNameChar(static_cast<char>(c)) || isXmlSpace(static_cast<char>(c)) ||
               c == '/';
  return table;
}();

bool allTagBytes(const char* begin, const char* end) {
  for (const char* p = begin; p != end; ++p)
    if (!kTagBytes[static_cast<unsigned char>(*p)])
      return false;
  return true;
}

// Where a walk over the tags of a text stands after one step.
enum class TagStep {
  Tag,       // a valid tag was read
  NoMore,    // no "<" is left
  Unclosed,  // the text ends before the ">" of the last tag
  Malformed, // a byte that cannot stand in a tag, or an invalid tag
};

// Reads the next tag at or after `p` and moves `p` past it. For a tag,
// `open` is where its "<" stands.
TagStep nextTag(const char*& p, const char* end, const char*& open, XmlTag& kind,
                std::string_view& name) {
  open = static_cast<const char*>(std::memchr(p, '<', end - p));
  if (!open)
    return TagStep::NoMore;
  const char* close =
      static_cast<const char*>(std::memchr(open + 1, '>', end - open - 1));
  // A byte that cannot be in a tag makes the file malformed, even when the
  // text ends before the ">".
  if (!allTagBytes(open + 1, close ? close : end))
    return TagStep::Malformed;
  if (!close)
    return TagStep::Unclosed;
  kind = XmlClassifyTag(std::string_view(open, close + 1 - open), name);
  if (kind == XmlTag::Invalid)
    return TagStep::Malformed;
  p = close + 1;
  return TagStep::Tag;
}

} // namespace

XmlFind XmlFindChild(std::string_view region, std::string_view name,
                     XmlContent& content) {
  const char* const base = region.data();
  const char* const end = base + region.size();
  // Top-level elements of the region sit at depth 0.
  int depth = -1;
  bool inMatch = false;
  std::size_t contentStart = 0;
  const char* p = base;
  for (;;) {
    const char* open = nullptr;
    XmlTag kind;
    std::string_view tagName;
    const TagStep step = nextTag(p, end, open, kind, tagName);
    if (step == TagStep::Malformed)
      return XmlFind::Malformed;
    if (step != TagStep::Tag)
      return XmlFind::Absent;
    if (kind == XmlTag::End) {
      if (depth < 0)
        return XmlFind::Malformed;
      --depth;
      if (inMatch && depth == -1 && tagName == name) {
        content.start = contentStart;
        content.length = static_cast<std::size_t>(open - base) - contentStart;
        return XmlFind::Found;
      }
    } else if (kind == XmlTag::Start) {
      ++depth;
      if (!inMatch && depth == 0 && tagName == name) {
        inMatch = true;
        contentStart = static_cast<std::size_t>(p - base);
      }
    }
  }
}

bool XmlIsWellFormed(std::string_view document) {
  std::size_t depth = 0;
  const char* p = document.data();
  const char* const end = p + document.size();
  for (;;) {
    const char* open = nullptr;
    XmlTag kind;
    std::string_view name;
    const TagStep step = nextTag(p, end, open, kind, name);
    if (step == TagStep::NoMore)
      return depth == 0;
    if (step != TagStep::Tag)
      return false;
    if (kind == XmlTag::Start) {
      ++depth;
    } else if (kind == XmlTag::End) {
      if (depth == 0)
        return false;
      --depth;
    }
  }
}

namespace {

int digitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

// Decodes the reference starting at text[0] == '&'; returns its length, or
// 0 when it is not one.
std::size_t decodeReference(std::string_view text, char& byte) {
  static constexpr struct {
    std::string_view entity;
    char byte;
  } kNamed[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}};
  for (const auto& named : kNamed) {
    if (text.starts_with(named.entity)) {
      byte = named.byte;
      return named.entity.size();
    }
  }
  if (!text.starts_with("&#"))
    return 0;
  const bool hex = text.size() > 2 && text[2] == 'x';
  const int base = hex ? 16 : 10;
  const std::size_t first = hex ? 3 : 2;
  unsigned value = 0;
  std::size_t i = first;
  for (; i < text.size() && text[i] != ';'; ++i) {
    const int digit = digitValue(text[i], base);
    if (digit < 0)
      return 0;
    // Only the low 8 bits are kept, so any number of digits is fine.
    value = (value * static_cast<unsigned>(base) + static_cast<unsigned>(digit)) & 0xFF;
  }
  if (i == text.size() || i == first)
    return 0;
  byte = static_cast<char>(value);
  return i + 1;
}

} // namespace

bool XmlUnescape(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  bool clean = true;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '&') {
      char byte = 0;
      if (const std::size_t length = decodeReference(text.substr(i), byte)) {
        out += byte;
        i += length;
        continue;
      }
      clean = false;
    } else if (c == '<' || c == '>') {
      clean = false;
    }
    out += c;
    ++i;
  }
  return clean;
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (byte >= 0x80) {
      out += "&#";
      out += std::to_string(byte);
      out += ';';
    } else {
      out += c;
    }
  }
  return out;
}

} // namespace ravelock::options
