#pragma once
// Text in the code pages of the world outside the program, which is UTF-8
// inside: the code page of a caller of the ANSI exports, and the system's
// legacy ANSI code page that stored key bytes and key names are in.

#include <string>
#include <string_view>

namespace ravelock::platform {

inline constexpr unsigned kCodePageUtf8 = 65001;
inline constexpr unsigned kCodePageWestern = 1252;

// The system's legacy ANSI code page: on Windows the system locale's,
// whatever code page this process runs with (ours run with UTF-8);
// natively Windows-1252, the code page of a Western system.
unsigned legacyCodePage();

// `text` in code page `codePage` into `bytes`; false when a character has
// no exact form there (no best-fit look-alike) or the code page is unknown.
bool encodeInCodePage(std::u16string_view text, unsigned codePage, std::string& bytes);

// `bytes` in code page `codePage` into `text`; false when they are no text
// of that code page or the code page is unknown.
bool decodeFromCodePage(std::string_view bytes, unsigned codePage, std::u16string& text);

// Whether `codePage` can be converted to and from here.
bool isKnownCodePage(unsigned codePage);

// A text of a caller of the ANSI exports, in its process's code page, into
// UTF-8, and back; false when it has no form in the other. Nothing changes
// when the caller's code page is UTF-8, as it always is natively.
bool fromCallerText(std::string_view text, std::string& utf8);
bool toCallerText(std::string_view utf8, std::string& text);

} // namespace ravelock::platform
