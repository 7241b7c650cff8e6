#include "platform/module.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace ravelock::platform {

std::string modulePath(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(address), &module))
    return {};
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return {};
  return win32::utf8(std::wstring_view(path, n));
}

} // namespace ravelock::platform
