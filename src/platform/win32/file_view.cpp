#include "platform/file_view.h"
#include "platform/fault_injection.h"

#include <windows.h>

namespace ravelock::platform {

FileView FileView::ofFile(File& file, std::uint64_t size) {
  FileView view;
  if (injectedFault(Op::MapFile) != Fault::None || size == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return view;
  }
  HANDLE section = CreateFileMappingA(
      reinterpret_cast<HANDLE>(file.nativeHandle()), nullptr, PAGE_READONLY,
      static_cast<DWORD>(size >> 32), static_cast<DWORD>(size), nullptr);
  if (!section)
    return view;
  // The view keeps the section alive; its handle is not needed any more.
  const void* data =
      MapViewOfFile(section, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size));
  CloseHandle(section);
  if (data) {
    view.data_ = static_cast<const unsigned char*>(data);
    view.size_ = size;
  }
  return view;
}

void FileView::release() {
  if (data_) {
    UnmapViewOfFile(data_);
    data_ = nullptr;
    size_ = 0;
  }
}

} // namespace ravelock::platform
