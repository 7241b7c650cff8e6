#include "platform/library.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace ravelock::platform {

namespace {

bool isAbsolute(const std::string& path) {
  return path.size() > 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\'));
}

} // namespace

// A library named by its full path has its own dependencies looked for in
// its folder first; a bare name is found through the system's search order.
Library::Library(const std::string& path)
    : handle_(reinterpret_cast<void*>(
          LoadLibraryExW(win32::wide(path).c_str(), nullptr,
                         isAbsolute(path) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0))) {}

Library::~Library() {
  if (handle_)
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* Library::symbol(const char* name) const {
  if (!handle_)
    return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string Library::fileName(const std::string& baseName) {
  return baseName + ".dll";
}

} // namespace ravelock::platform
