#include "ui/resources.h"

namespace ravelock::ui {

Resources Resources::ofAddress(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(address), &module);
  return Resources(module);
}

std::wstring Resources::string(unsigned id) const {
  // With a zero buffer size LoadStringW hands out the resource itself,
  // which is not terminated.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length))
                            : std::wstring();
}

HICON Resources::icon(unsigned id, int size) const {
  return static_cast<HICON>(
      LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
}

HCURSOR Resources::cursor(unsigned id) const {
  return static_cast<HCURSOR>(LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0,
                                         0, LR_SHARED | LR_DEFAULTSIZE));
}

} // namespace ravelock::ui
