#include "support/shell_link_reader.h"

#ifdef _WIN32
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>
#endif

namespace ravelock::test {

bool readShellLink(const std::string& path, std::string& target, std::string& arguments) {
#ifdef _WIN32
  const bool joined = SUCCEEDED(CoInitialize(nullptr));
  bool ok = false;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IShellLinkA, reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(
            link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH];
      char buffer[MAX_PATH * 2];
      if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0 &&
          SUCCEEDED(file->Load(wide, STGM_READ)) &&
          SUCCEEDED(link->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH))) {
        target = buffer;
        if (SUCCEEDED(link->GetArguments(buffer, sizeof buffer))) {
          arguments = buffer;
          ok = true;
        }
      }
      file->Release();
    }
    link->Release();
  }
  if (joined)
    CoUninitialize();
  return ok;
#else
  (void)path;
  (void)target;
  (void)arguments;
  return false;
#endif
}

} // namespace ravelock::test
