#include "ui/text.h"

#include "platform/text.h"

#include <windows.h>

namespace ravelock::ui {

std::wstring widen(std::string_view utf8) {
  std::u16string wide;
  if (platform::fromUtf8Exact(utf8, wide))
    return wideOf(wide);
  // Shown only: what is no UTF-8 shows as replacement characters.
  if (utf8.empty())
    return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring shown(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                      shown.data(), n);
  return shown;
}

bool narrow(std::wstring_view text, std::string& utf8) {
  return platform::toUtf8Exact(utf16(text), utf8);
}

std::wstring fill(std::wstring_view pattern, std::wstring_view argument) {
  std::size_t at = pattern.find(L"%s");
  if (at == std::wstring_view::npos)
    at = pattern.find(L"%1");
  if (at == std::wstring_view::npos)
    return std::wstring(pattern);
  std::wstring text(pattern.substr(0, at));
  text += argument;
  text += pattern.substr(at + 2);
  return text;
}

} // namespace ravelock::ui
