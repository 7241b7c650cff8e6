#include "platform/directory.h"
#include "platform/backend.h"

#include "platform/win32/wide.h"
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <windows.h>

namespace ravelock::platform {

std::optional<std::vector<DirectoryEntry>>
backend::listDirectory(const std::string& folder, const std::string& pattern) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(win32::wide(folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // Nothing matching is an empty listing, not a failure to list.
    if (GetLastError() == ERROR_FILE_NOT_FOUND)
      return std::vector<DirectoryEntry>{};
    return std::nullopt;
  }
  std::vector<DirectoryEntry> entries;
  do {
    entries.push_back({win32::utf8(found.cFileName), found.dwFileAttributes});
  } while (FindNextFileW(search, &found));
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
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IShellLinkW, reinterpret_cast<void**>(&link))))
    return false;
  bool saved = false;
  IPersistFile* file = nullptr;
  const std::wstring linkFile = win32::wide(linkPath);
  if (!linkFile.empty() && SUCCEEDED(link->SetPath(win32::wide(target).c_str())) &&
      SUCCEEDED(link->SetArguments(win32::wide(arguments).c_str())) &&
      SUCCEEDED(link->SetDescription(win32::wide(description).c_str())) &&
      SUCCEEDED(
          link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    saved = SUCCEEDED(file->Save(linkFile.c_str(), TRUE));
    file->Release();
  }
  link->Release();
  return saved;
}

} // namespace ravelock::platform
