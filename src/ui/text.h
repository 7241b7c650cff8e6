#pragma once
// Between the engine's ANSI paths and the W functions of the user
// interface, and filling message texts.

#include <string>
#include <string_view>

namespace ravelock::ui {

// ANSI (the system code page) to UTF-16.
std::wstring widen(std::string_view ansi);

// UTF-16 to ANSI; false when a character has no ANSI form (a path with it
// would name another file).
bool narrow(std::wstring_view text, std::string& ansi);

// `pattern` with its first "%s" (or "%1") replaced by `argument`; the
// argument is never read as a pattern.
std::wstring fill(std::wstring_view pattern, std::wstring_view argument);

} // namespace ravelock::ui
