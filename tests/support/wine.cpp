#include "support/wine.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace ravelock::test {

bool runningUnderWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

} // namespace ravelock::test
