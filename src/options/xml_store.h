#pragma once
// The options file's store: reads and writes single values addressed by a
// path of element names. No document is kept; every call opens the file,
// walks its raw text and, when a value changes, writes the new bytes to a
// temporary file beside it and moves that over the old one, so the file is
// always either the old or the new complete document. Several programs
// share the file and none holds it open between calls.
//
// Results (plain integers, shared by the text and the typed calls):
//    1  read: found; write: the element exists and the mode was XML_ADD_ONLY
//    0  read: absent, or its text is not a clean value; write: written, or
//       the value was already equal (the file is then not touched)
//    2  write: the element is missing and the mode was XML_REPLACE_ONLY
//    3  a value kind other than XML_STRING, XML_UNSIGNED or XML_SIGNED
//    4  read: the destination is too small (nothing copied)
//   -1  the file could not be read or written (a sharing conflict included);
//       reads also give it for a missing or empty file
//   -2  the file is malformed along the path; it is never changed
//   -3  a path name is not a valid element name

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace ravelock::options {

// Value kinds of the typed calls.
inline constexpr int XML_STRING = 1;   // the text itself, escaped
inline constexpr int XML_UNSIGNED = 2; // "%u" of 32 bits; read back as 64, low 32 kept
inline constexpr int XML_SIGNED = 3;   // "%d" of 32 bits

// Write modes: what a write does when the element exists / is missing.
inline constexpr int XML_ADD_ONLY = 1;       // untouched (1) / created
inline constexpr int XML_ADD_OR_REPLACE = 2; // replaced / created
inline constexpr int XML_REPLACE_ONLY = 3;   // replaced / untouched (2)

// Where new elements go inside their deepest existing ancestor. Any value
// other than XML_AT_END counts as XML_AT_START.
inline constexpr int XML_AT_START = 1; // before its present content
inline constexpr int XML_AT_END = 2;   // after it, just before its end tag

// The element names of a path, top level first; each is trimmed before use.
// A view: pass it straight to the call, e.g. {"users_settings", section, key}.
class XmlPath {
public:
  XmlPath(std::initializer_list<std::string_view> names)
      : names_(names.begin(), names.size()) {}
  XmlPath(std::span<const std::string_view> names) : names_(names) {}
  std::span<const std::string_view> names() const { return names_; }

private:
  std::span<const std::string_view> names_;
};

// The decoded text of the element at `path` (empty unless the result is 1).
// Results 1, 0, -1, -2, -3.
int XmlGetText(const char* file, std::string& text, XmlPath path);

// Writes `text` (escaped) as the content of the element at `path`, creating
// the missing elements at `placement`. Results 0, 1, 2, -1, -2, -3.
int XmlSetText(const char* file, std::string_view text, int mode, int placement,
               XmlPath path);

// Reads and converts. XML_STRING: `destination` receives the text and its
// NUL; `size` is its capacity on entry and the length plus the NUL on return
// (also with result 4, when the capacity is smaller and nothing is copied).
// Numbers: `destination` is a 32-bit integer, `size` at least 4 on entry
// (else result 4, nothing stored) and 4 on return. Unparsable digits end the
// number; leading whitespace and a sign are allowed.
int XmlGetValue(const char* file, int kind, void* destination, std::size_t& size,
                XmlPath path);

// Formats `value` by its kind (a NUL-terminated string taken as it is, or a
// 32-bit integer written with "%u" / "%d") and writes it as XmlSetText does.
// A null `value` is refused with 3, like an unknown kind.
int XmlSetValue(const char* file, int kind, const void* value, int mode, int placement,
                XmlPath path);

// The file's new bytes: `previous` with [start, end) replaced by `text`. The
// file must still exist. False on failure, with the old file unchanged and
// the system error of the failure kept as the last error.
bool XmlSpliceFile(const char* file, std::string_view text, std::string_view previous,
                   std::size_t start, std::size_t end);

// `text` as the whole file, created when missing. False as XmlSpliceFile.
bool XmlWriteFile(const char* file, std::string_view text);

} // namespace ravelock::options
