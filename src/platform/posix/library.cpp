#include "platform/library.h"

#include <dlfcn.h>

namespace ravelock::platform {

Library::Library(const std::string& path)
    : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

Library::~Library() {
  if (handle_)
    ::dlclose(handle_);
}

void* Library::symbol(const char* name) const {
  return handle_ ? ::dlsym(handle_, name) : nullptr;
}

std::string Library::fileName(const std::string& baseName) {
  return "lib" + baseName + ".so";
}

} // namespace ravelock::platform
