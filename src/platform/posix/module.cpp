#include "platform/module.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

namespace ravelock::platform {

std::string modulePath(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname)
    return {};
  // dli_fname is as the loader was given it; make it absolute.
  char resolved[PATH_MAX];
  if (!realpath(info.dli_fname, resolved))
    return {};
  return resolved;
}

} // namespace ravelock::platform
