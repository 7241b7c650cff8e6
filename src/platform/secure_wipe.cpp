#include "platform/secure_wipe.h"

#include <cstring>

namespace ravelock::platform {

namespace {
// Called through a volatile pointer, so the compiler cannot prove the memset
// has no observable effect and remove it before the memory is freed.
void* (*volatile wipeMemset)(void*, int, std::size_t) = std::memset;
} // namespace

void secureWipe(void* data, std::size_t size) {
  if (data && size)
    wipeMemset(data, 0, size);
}

} // namespace ravelock::platform
