#include "options/xml_store.h"

#include "options/xml_text.h"
#include "platform/file.h"
#include "platform/file_view.h"
#include "platform/filesystem.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <new>

namespace ravelock::options {

namespace {

using namespace platform;

// How far a walk down the path got.
struct Walk {
  int result = 1;         // 1 all found, 0 stopped at an absent level, -2, -3
  std::size_t levels = 0; // elements found
  XmlContent deepest;     // content of the deepest one, offsets in the whole text
};

Walk walkPath(std::string_view text, std::span<const std::string_view> names) {
  Walk walk;
  walk.deepest = {0, text.size()};
  for (std::string_view raw : names) {
    const std::string_view name = trimXmlName(raw);
    if (!isValidXmlName(name)) {
      walk.result = -3;
      return walk;
    }
    XmlContent child;
    const XmlFind found =
        XmlFindChild(text.substr(walk.deepest.start, walk.deepest.length), name, child);
    if (found != XmlFind::Found) {
      walk.result = found == XmlFind::Absent ? 0 : -2;
      return walk;
    }
    walk.deepest = {walk.deepest.start + child.start, child.length};
    ++walk.levels;
  }
  return walk;
}

// The whole file into `bytes`; `exists` false (and success) when there is
// no file. The read must return exactly the size the file reports.
bool readWholeFile(const char* path, std::string& bytes, bool& exists) {
  File file = File::open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  exists = file.isOpen() || pathExists(path);
  if (!file.isOpen())
    return !exists;
  std::uint64_t size = 0;
  if (!file.size(size) || size > bytes.max_size())
    return false;
  try {
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::size_t got = 0;
  return readFully(file, std::as_writable_bytes(std::span(bytes.data(), bytes.size())),
                   got) &&
         got == size;
}

// "\r\n<a>\r\n<b>VALUE</b>\r\n</a>\r\n" for the missing names a, b; -3 when
// one of them is not a valid name.
int buildMissingElements(std::span<const std::string_view> missing,
                         std::string_view value, std::string& fragment) {
  fragment.clear();
  std::size_t insertAt = 0;
  for (std::string_view raw : missing) {
    const std::string_view name = trimXmlName(raw);
    // The walk stops at the first absent level; the names below it are
    // checked here, before they could make the file malformed.
    if (!isValidXmlName(name))
      return -3;
    const std::string startTag = "<" + std::string(name) + ">";
    fragment.insert(insertAt, "\r\n" + startTag + "</" + std::string(name) + ">\r\n");
    insertAt += 2 + startTag.size();
  }
  fragment.insert(insertAt, value);
  return 0;
}

// Whether `text` reads back at `names` once `fragment` is inserted at `at`.
// The walk passes over an end tag under another name, so in a file damaged
// that way the new element can be taken as part of an old one and the write
// would not take effect (or would leave the path unreadable); it is refused
// as malformed instead, and the file left alone.
bool readsBack(std::string_view previous, std::string_view fragment, std::size_t at,
               std::span<const std::string_view> names, std::string_view text) {
  std::string updated;
  updated.reserve(previous.size() + fragment.size());
  updated.append(previous.substr(0, at)).append(fragment).append(previous.substr(at));
  const Walk walk = walkPath(updated, names);
  std::string decoded;
  return walk.result == 1 &&
         XmlUnescape(
             std::string_view(updated).substr(walk.deepest.start, walk.deepest.length),
             decoded) &&
         decoded == text;
}

// Leading whitespace, an optional sign, then decimal digits up to the first
// other byte; saturates as the C library's conversions do.
template <typename Int> Int parseDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isXmlSpace(text[i]))
    ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+'))
    ++i;
  constexpr Int kMax = std::numeric_limits<Int>::max();
  constexpr Int kMin = std::numeric_limits<Int>::min();
  Int value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (negative) {
      if (value < (kMin + digit) / 10)
        return kMin;
      value = static_cast<Int>(value * 10 - digit);
    } else {
      if (value > (kMax - digit) / 10)
        return kMax;
      value = static_cast<Int>(value * 10 + digit);
    }
  }
  return value;
}

bool isKnownKind(int kind) {
  return kind == XML_STRING || kind == XML_UNSIGNED || kind == XML_SIGNED;
}

} // namespace

int XmlGetText(const char* file, std::string& text, XmlPath path) {
  text.clear();
  if (path.names().empty())
    return -3;
  if (!file)
    return -1;
  File handle = File::open(file, Access::Read, Share::Read, Disposition::OpenExisting);
  std::uint64_t size = 0;
  if (!handle.isOpen() || !handle.size(size))
    return -1;
  const FileView view = FileView::ofFile(handle, size);
  if (!view.isValid())
    return -1;
  const std::string_view whole(reinterpret_cast<const char*>(view.data()), size);
  const Walk walk = walkPath(whole, path.names());
  if (walk.result != 1)
    return walk.result;
  if (!XmlUnescape(whole.substr(walk.deepest.start, walk.deepest.length), text)) {
    text.clear();
    return 0;
  }
  return 1;
}

int XmlSetText(const char* file, std::string_view text, int mode, int placement,
               XmlPath path) {
  const auto names = path.names();
  if (names.empty())
    return -3;
  // No options file could be named (OptionsFilePath() gives ""): nothing to
  // create a temporary file beside.
  if (!file || !*file)
    return -1;
  std::string previous;
  bool exists = false;
  if (!readWholeFile(file, previous, exists))
    return -1;
  Walk walk;
  if (exists) {
    walk = walkPath(previous, names);
    if (walk.result < 0)
      return walk.result;
  } else {
    walk.result = 0;
  }

  if (walk.result == 1) {
    if (mode == XML_ADD_ONLY)
      return 1;
    const std::string_view old =
        std::string_view(previous).substr(walk.deepest.start, walk.deepest.length);
    std::string decoded;
    if (XmlUnescape(old, decoded) && decoded == text)
      return 0;
    if (!XmlIsWellFormed(previous))
      return -2;
    const std::size_t start = walk.deepest.start;
    return XmlSpliceFile(file, XmlEscape(text), previous, start, start + old.size()) ? 0
                                                                                     : -1;
  }

  if (mode == XML_REPLACE_ONLY)
    return 2;
  std::string fragment;
  if (buildMissingElements(names.subspan(walk.levels), XmlEscape(text), fragment) != 0)
    return -3;
  // A file cut short or otherwise damaged is never rewritten: replacing it
  // with the new nest would throw away every other user's section.
  if (exists && !XmlIsWellFormed(previous))
    return -2;
  if (walk.levels == 0)
    return XmlWriteFile(file, fragment) ? 0 : -1;
  const std::size_t at =
      walk.deepest.start + (placement == XML_AT_END ? walk.deepest.length : 0);
  if (!readsBack(previous, fragment, at, names, text))
    return -2;
  return XmlSpliceFile(file, fragment, previous, at, at) ? 0 : -1;
}

int XmlGetValue(const char* file, int kind, void* destination, std::size_t& size,
                XmlPath path) {
  if (!isKnownKind(kind))
    return 3;
  std::string text;
  const int result = XmlGetText(file, text, path);
  if (result != 1)
    return result;
  if (kind == XML_STRING) {
    const std::size_t capacity = destination ? size : 0;
    size = text.size() + 1;
    if (capacity < size)
      return 4;
    std::memcpy(destination, text.c_str(), size);
    return 1;
  }
  const bool fits = destination && size >= sizeof(std::uint32_t);
  size = sizeof(std::uint32_t);
  if (!fits)
    return 4;
  const std::uint32_t value =
      kind == XML_UNSIGNED ? static_cast<std::uint32_t>(parseDecimal<std::int64_t>(text))
                           : static_cast<std::uint32_t>(parseDecimal<std::int32_t>(text));
  std::memcpy(destination, &value, sizeof value);
  return 1;
}

int XmlSetValue(const char* file, int kind, const void* value, int mode, int placement,
                XmlPath path) {
  if (!isKnownKind(kind) || !value)
    return 3;
  if (kind == XML_STRING)
    return XmlSetText(file, static_cast<const char*>(value), mode, placement, path);
  char digits[16];
  std::to_chars_result formatted;
  if (kind == XML_UNSIGNED) {
    std::uint32_t number;
    std::memcpy(&number, value, sizeof number);
    formatted = std::to_chars(digits, digits + sizeof digits, number);
  } else {
    std::int32_t number;
    std::memcpy(&number, value, sizeof number);
    formatted = std::to_chars(digits, digits + sizeof digits, number);
  }
  return XmlSetText(file, std::string_view(digits, formatted.ptr - digits), mode,
                    placement, path);
}

} // namespace ravelock::options
