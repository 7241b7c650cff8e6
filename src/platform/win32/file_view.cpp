#include "platform/file_view.h"

#include "platform/win32/section.h"

#include <windows.h>

namespace ravelock::platform {

FileView FileView::ofFileBackend(File& file, std::uint64_t size) {
  FileView view;
  if (size == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return view;
  }
  win32::SectionView mapped;
  if (!win32::mapSection(reinterpret_cast<HANDLE>(file.nativeHandle()), size, false,
                         nullptr, mapped))
    return view;
  // The view keeps the section alive; its handle is not needed any more.
  CloseHandle(mapped.section);
  view.data_ = static_cast<const unsigned char*>(mapped.view);
  view.size_ = size;
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
