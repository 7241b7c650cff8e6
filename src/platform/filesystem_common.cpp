#include "platform/fault_injection.h"
#include "platform/filesystem.h"
#include "platform/filesystem_backend.h"

#include <cstring>
#include <initializer_list>

namespace ravelock::platform {

int getFreeSpace(const char* root, std::uint64_t* freeBytes, std::uint64_t* totalBytes,
                 std::uint64_t* totalFreeBytes) {
  for (std::uint64_t* out : {freeBytes, totalBytes, totalFreeBytes})
    if (out)
      *out = 0;
  const Fault fault = injectedFault(Op::FreeSpace);
  backend::FreeSpace space;
  if (fault == Fault::Fail || !root || !backend::freeSpace(root, space))
    return 0;
  if (fault == Fault::NoSpace)
    space.available = space.totalFree = 0;
  if (freeBytes)
    *freeBytes = space.available;
  if (totalBytes)
    *totalBytes = space.total;
  if (totalFreeBytes)
    *totalFreeBytes = space.totalFree;
  return 1;
}

std::size_t getLongPath(const char* path, char* buffer, std::size_t bufferSize) {
  if (buffer && bufferSize)
    buffer[0] = '\0';
  if (injectedFault(Op::LongPath) != Fault::None || !path)
    return 0;
  const auto full = backend::longPath(path);
  if (!full)
    return 0;
  if (buffer && full->size() < bufferSize)
    std::memcpy(buffer, full->c_str(), full->size() + 1);
  return full->size();
}

} // namespace ravelock::platform
