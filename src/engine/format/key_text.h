#pragma once
// Typed text and the bytes stored files hold for it, on every system: a
// key's bytes are in the system's legacy ANSI code page (Windows-1252 on a
// Western system), as files written by the design expect; key names are
// in that code page when it can hold them, else in UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

namespace ravelock::engine {

// `typed` as a key's bytes in `codePage`; false when a character has no
// exact form there (the key would not be the key typed).
bool keyBytesOf(std::u16string_view typed, unsigned codePage, std::string& bytes);
bool keyBytesOf(std::u16string_view typed, std::string& bytes); // legacy code page

// A key's bytes as the text typed for them, in the legacy code page (bytes
// it has no character for show as replacement characters).
std::u16string keyTextOf(std::string_view bytes);

// A typed key name as it is written into a header: in the legacy code page
// when that holds every character, else in UTF-8; of the characters typed,
// as many whole ones as fit in `maxBytes`. False for half a surrogate
// pair.
bool storedKeyName(std::u16string_view typed, std::size_t maxBytes, std::string& name);

// A header's key name as text: UTF-8 when the bytes are valid UTF-8, else
// the legacy code page, so the names of older files read right.
std::u16string shownKeyName(std::string_view name);

} // namespace ravelock::engine
