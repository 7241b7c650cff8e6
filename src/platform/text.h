#pragma once
// Text inside the program is UTF-8 on every system: paths, names and
// messages. Character boundaries, the conversions to and from UTF-16 and
// path comparison as the file system sees it.

#include <cstddef>
#include <string>
#include <string_view>

namespace ravelock::platform {

// Bytes in the UTF-8 character starting at `p` (1 at the terminating NUL).
// Only a well-formed sequence is one character: a byte that starts none
// counts alone, so it can never hide a dot or separator after it.
std::size_t charLength(const char* p);

// The longest prefix of `text` of at most `maxBytes` bytes that does not cut
// a character in two.
std::size_t cutOnCharBoundary(const char* text, std::size_t maxBytes);

// `wide` (UTF-16) in UTF-8 into `utf8`; false for half a surrogate pair,
// which has no UTF-8 form.
bool toUtf8Exact(std::u16string_view wide, std::string& utf8);

// `utf8` in UTF-16 into `wide`; false when it is no valid UTF-8 (a stray
// byte, an overlong form, a surrogate, a sequence cut short).
bool fromUtf8Exact(std::string_view utf8, std::u16string& wide);

bool isValidUtf8(std::string_view text);

// The file system's names in UTF-8, and back. Windows allows names with half
// a surrogate pair; they are carried in the generalized form (the surrogate
// encoded as if it were a character) so every listed name opens again.
std::string nameToUtf8(std::u16string_view wide);
bool nameFromUtf8(std::string_view utf8, std::u16string& wide);

// Whether two texts are equal without regard to the case of their ASCII
// letters; the bytes of a multibyte character are compared as they are (a
// trail byte is no letter).
bool equalIgnoringCase(const std::string& a, const std::string& b);

// Whether two paths name the same file as far as the file system's case rule
// goes: without regard to case on Windows, exactly natively.
bool samePath(const std::string& a, const std::string& b);

// The root for a free-space query of the volume holding `path`: the drive
// with a backslash ("C:\\") on Windows, the file's folder natively.
std::string volumeRootOf(const std::string& path);

} // namespace ravelock::platform
