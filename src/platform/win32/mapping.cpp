#include "platform/mapping.h"
#include "platform/win32/section.h"

#include <windows.h>

namespace ravelock::platform {

bool win32::mapSection(HANDLE file, std::uint64_t size, bool writable, const char* name,
                       SectionView& out) {
  out = {};
  HANDLE section =
      CreateFileMappingA(file, nullptr, writable ? PAGE_READWRITE : PAGE_READONLY,
                         static_cast<DWORD>(size >> 32), static_cast<DWORD>(size), name);
  if (!section)
    return false;
  void* view = MapViewOfFile(section, writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0,
                             static_cast<SIZE_T>(size));
  if (!view) {
    const DWORD error = GetLastError();
    CloseHandle(section);
    SetLastError(error);
    return false;
  }
  out = {section, view};
  return true;
}

namespace {

// The work buffer's section over `file` or the paging file: writable,
// unnamed, never empty.
win32::SectionView mapWritable(HANDLE file, std::uint64_t size) {
  win32::SectionView mapped;
  if (size == 0)
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  else
    win32::mapSection(file, size, true, nullptr, mapped);
  return mapped;
}

} // namespace

Mapping Mapping::ofFileBackend(File& file, std::uint64_t size) {
  return adopt(mapWritable(reinterpret_cast<HANDLE>(file.nativeHandle()), size), size);
}

Mapping Mapping::anonymousBackend(std::uint64_t size) {
  return adopt(mapWritable(INVALID_HANDLE_VALUE, size), size);
}

Mapping Mapping::adopt(const win32::SectionView& mapped, std::uint64_t size) {
  Mapping m;
  if (mapped.view) {
    m.section_ = reinterpret_cast<std::intptr_t>(mapped.section);
    m.data_ = static_cast<unsigned char*>(mapped.view);
    m.size_ = size;
  }
  return m;
}

void Mapping::release() {
  if (data_) {
    UnmapViewOfFile(data_);
    data_ = nullptr;
    size_ = 0;
  }
  if (section_) {
    CloseHandle(reinterpret_cast<HANDLE>(section_));
    section_ = 0;
  }
}

} // namespace ravelock::platform
