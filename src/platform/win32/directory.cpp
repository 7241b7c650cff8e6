#include "platform/directory.h"
#include "platform/backend.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

namespace ravelock::platform {

std::optional<std::vector<DirectoryEntry>>
backend::listDirectory(const std::string& folder, const std::string& pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // Nothing matching is an empty listing, not a failure to list.
    if (GetLastError() == ERROR_FILE_NOT_FOUND)
      return std::vector<DirectoryEntry>{};
    return std::nullopt;
  }
  std::vector<DirectoryEntry> entries;
  do {
    entries.push_back({found.cFileName, found.dwFileAttributes});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

ComApartment::ComApartment() : joined_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (joined_)
    CoUninitialize();
}

bool createShellLink(const std::string& linkPath, const std::string& target,
                     const std::string& arguments, const std::string& description) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IShellLinkA, reinterpret_cast<void**>(&link))))
    return false;
  bool saved = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->SetPath(target.c_str())) &&
      SUCCEEDED(link->SetArguments(arguments.c_str())) &&
      SUCCEEDED(link->SetDescription(description.c_str())) &&
      SUCCEEDED(
          link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH) > 0)
      saved = SUCCEEDED(file->Save(wide, TRUE));
    file->Release();
  }
  link->Release();
  return saved;
}

} // namespace ravelock::platform
