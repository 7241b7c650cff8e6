#include "platform/library.h"

#include <windows.h>

namespace ravelock::platform {

Library::Library(const std::string& path)
    : handle_(reinterpret_cast<void*>(LoadLibraryA(path.c_str()))) {}

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
