#include "platform/mapping.h"
#include "platform/fault_injection.h"

#include <windows.h>

namespace ravelock::platform {

// A section of `size` bytes over `file`; INVALID_HANDLE_VALUE gives one
// backed by the paging file.
static bool mapSection(HANDLE file, std::uint64_t size, HANDLE& section, void*& view) {
  section =
      CreateFileMappingA(file, nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                         static_cast<DWORD>(size), nullptr);
  if (!section)
    return false;
  view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, static_cast<SIZE_T>(size));
  if (!view) {
    CloseHandle(section);
    return false;
  }
  return true;
}

Mapping Mapping::ofFile(File& file, std::uint64_t size) {
  Mapping m;
  HANDLE section;
  void* view;
  if (injectedFault(Op::MapFile) != Fault::None || size == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } else if (mapSection(reinterpret_cast<HANDLE>(file.nativeHandle()), size, section,
                        view)) {
    m.section_ = reinterpret_cast<std::intptr_t>(section);
    m.data_ = static_cast<unsigned char*>(view);
    m.size_ = size;
  }
  return m;
}

Mapping Mapping::anonymous(std::uint64_t size) {
  Mapping m;
  HANDLE section;
  void* view;
  if (injectedFault(Op::MapMemory) != Fault::None || size == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } else if (mapSection(INVALID_HANDLE_VALUE, size, section, view)) {
    m.section_ = reinterpret_cast<std::intptr_t>(section);
    m.data_ = static_cast<unsigned char*>(view);
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
