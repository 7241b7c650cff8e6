#pragma once
// Between the program's UTF-8 paths and texts and the W functions of the
// user interface, and filling message texts.

#include <string>
#include <string_view>

namespace ravelock::ui {

// UTF-8 to UTF-16, for showing: bytes that are no UTF-8 show as
// replacement characters.
std::wstring widen(std::string_view utf8);

// UTF-16 to UTF-8; false for half a surrogate pair, which has no UTF-8 form.
bool narrow(std::wstring_view text, std::string& utf8);

// The same UTF-16 text as the other type (wchar_t has 16 bits on Windows).
inline std::u16string_view utf16(std::wstring_view text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
inline std::wstring wideOf(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

// `pattern` with its first "%s" (or "%1") replaced by `argument`; the
// argument is never read as a pattern.
std::wstring fill(std::wstring_view pattern, std::wstring_view argument);

} // namespace ravelock::ui
