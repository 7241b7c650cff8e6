#include "platform/code_page.h"
#include "platform/backend.h"
#include "platform/text.h"

#include <windows.h>

#include <climits>

namespace ravelock::platform {

namespace {

// The conversions need no flags for UTF-8, and take none for it.
bool wideToCodePage(std::u16string_view text, UINT codePage, std::string& bytes) {
  bytes.clear();
  if (text.empty())
    return true;
  if (text.size() > static_cast<std::size_t>(INT_MAX))
    return false;
  const auto* units = reinterpret_cast<const wchar_t*>(text.data());
  const int count = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units, count, nullptr,
                                    0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault)
    return false;
  bytes.resize(static_cast<std::size_t>(n));
  if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units, count, bytes.data(), n,
                          nullptr, &usedDefault) != n ||
      usedDefault) {
    bytes.clear();
    return false;
  }
  // Without best fit a character may still map to a byte that reads back
  // as another (a code page's own substitutions): only a round trip is
  // exact.
  std::u16string back;
  if (!backend::decodeFromCodePage(bytes, codePage, back) || back != text) {
    bytes.clear();
    return false;
  }
  return true;
}

} // namespace

unsigned legacyCodePage() {
  DWORD codePage = 0;
  // The system locale's own code page, which the process's manifest does
  // not change.
  if (GetLocaleInfoW(
          LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
          reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR)) == 0 ||
      codePage == 0 || codePage == CP_ACP)
    return kCodePageWestern;
  return codePage;
}

bool backend::encodeInCodePage(std::u16string_view text, unsigned codePage,
                               std::string& bytes) {
  return wideToCodePage(text, codePage, bytes);
}

bool backend::decodeFromCodePage(std::string_view bytes, unsigned codePage,
                                 std::u16string& text) {
  text.clear();
  if (bytes.empty())
    return IsValidCodePage(codePage) != 0;
  if (bytes.size() > static_cast<std::size_t>(INT_MAX))
    return false;
  const int count = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), count,
                                    nullptr, 0);
  if (n <= 0)
    return false;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), count,
                          wide.data(), n) != n)
    return false;
  text.assign(wide.begin(), wide.end());
  return true;
}

bool fromCallerText(std::string_view text, std::string& utf8) {
  if (GetACP() == CP_UTF8) {
    utf8.assign(text);
    return true;
  }
  std::u16string wide;
  return decodeFromCodePage(text, GetACP(), wide) && toUtf8Exact(wide, utf8);
}

bool toCallerText(std::string_view utf8, std::string& text) {
  if (GetACP() == CP_UTF8) {
    text.assign(utf8);
    return true;
  }
  std::u16string wide;
  return fromUtf8Exact(utf8, wide) && encodeInCodePage(wide, GetACP(), text);
}

} // namespace ravelock::platform
