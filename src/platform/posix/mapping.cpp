#include "platform/mapping.h"

#include <sys/mman.h>
#include <unistd.h>

namespace ravelock::platform {

Mapping Mapping::ofFileBackend(File& file, std::uint64_t size) {
  Mapping m;
  if (size == 0)
    return m;
  const int fd = static_cast<int>(file.nativeHandle());
  // A file mapping grows the file to the mapped size, as on Windows.
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0)
    return m;
  // Populating up front is much cheaper than one fault per page later.
  void* p =
      ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd, 0);
  if (p == MAP_FAILED)
    return m;
  m.data_ = static_cast<unsigned char*>(p);
  m.size_ = size;
  return m;
}

Mapping Mapping::anonymousBackend(std::uint64_t size) {
  Mapping m;
  if (size == 0)
    return m;
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (p == MAP_FAILED)
    return m;
  m.data_ = static_cast<unsigned char*>(p);
  m.size_ = size;
  return m;
}

void Mapping::release() {
  if (data_) {
    ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
  }
}

} // namespace ravelock::platform
