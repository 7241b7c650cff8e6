#include "platform/file_view.h"

#include <cerrno>
#include <sys/mman.h>

namespace ravelock::platform {

FileView FileView::ofFileBackend(File& file, std::uint64_t size) {
  FileView view;
  if (size == 0) {
    errno = ENOMEM;
    return view;
  }
  void* data = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE,
                      static_cast<int>(file.nativeHandle()), 0);
  if (data != MAP_FAILED) {
    view.data_ = static_cast<const unsigned char*>(data);
    view.size_ = size;
  }
  return view;
}

void FileView::release() {
  if (data_) {
    ::munmap(const_cast<unsigned char*>(data_), static_cast<std::size_t>(size_));
    data_ = nullptr;
    size_ = 0;
  }
}

} // namespace ravelock::platform
