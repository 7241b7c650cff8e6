#include "platform/backend.h"
#include "platform/filesystem.h"

#include <cstring>
#include <initializer_list>

namespace ravelock::platform {

// Each operation asks the fault hook before the backend touches the system.

std::uint32_t getAttributes(const char* path) {
  return backend::refused(Op::GetAttributes) ? kInvalidAttributes
                                             : backend::getAttributes(path);
}

bool setAttributes(const char* path, std::uint32_t attributes) {
  return !backend::refused(Op::SetAttributes) && backend::setAttributes(path, attributes);
}

bool moveFile(const char* from, const char* to, bool replace) {
  return !backend::refused(Op::Move) && backend::moveFile(from, to, replace);
}

bool deleteFile(const char* path) {
  return !backend::refused(Op::Delete) && backend::deleteFile(path);
}

bool carryOverOwnerAndMode(const char* from, const char* to) {
  return !backend::refused(Op::SetAttributes) && backend::carryOverOwnerAndMode(from, to);
}

bool removeFolder(const char* path) {
  return !backend::refused(Op::Delete) && backend::removeFolder(path);
}

bool copyFile(const char* from, const char* to) {
  return !backend::refused(Op::Copy) && backend::copyFile(from, to);
}

int getFreeSpace(const char* root, std::uint64_t* freeBytes, std::uint64_t* totalBytes,
                 std::uint64_t* totalFreeBytes) {
  for (std::uint64_t* out : {freeBytes, totalBytes, totalFreeBytes})
    if (out)
      *out = 0;
  // A full disk is not a refusal: the space is read, then reported as none.
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
