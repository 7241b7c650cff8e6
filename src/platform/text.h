#pragma once
// Text in the system's ANSI code page: character boundaries and path
// comparison as the file system sees them.

#include <cstddef>
#include <string>
#include <string_view>

namespace ravelock::platform {

// Bytes in the character starting at `p` (1 at the terminating NUL). On
// Windows a double-byte code page's lead byte starts a two-byte character;
// natively the text is UTF-8, and a byte that does not begin a well-formed
// sequence is a character of its own.
std::size_t charLength(const char* p);

// The longest prefix of `text` of at most `maxBytes` bytes that does not cut
// a character in two.
std::size_t cutOnCharBoundary(const char* text, std::size_t maxBytes);

// `wide` (UTF-16) in the ANSI code page into `ansi`; false when a character
// has no exact form there (no best-fit look-alike is taken: it could name
// another file). Natively the code page is UTF-8, and only an unpaired
// surrogate fails.
bool toAnsiExact(std::u16string_view wide, std::string& ansi);

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
