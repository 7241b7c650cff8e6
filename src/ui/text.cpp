#include "ui/text.h"

#include <windows.h>

namespace ravelock::ui {

std::wstring widen(std::string_view ansi) {
  if (ansi.empty())
    return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                      n);
  return wide;
}

bool narrow(std::wstring_view text, std::string& ansi) {
  ansi.clear();
  if (text.empty())
    return true;
  BOOL lossy = FALSE;
  const int n =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                          static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy)
    return false;
  ansi.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                      static_cast<int>(text.size()), ansi.data(), n, nullptr, &lossy);
  return !lossy;
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
