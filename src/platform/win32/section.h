#pragma once
// The Win32 backend's one way to map memory: a section over a file, over
// the paging file, or by name, and a view of it. Private to the backend.

#include <windows.h>

#include <cstdint>

namespace ravelock::platform::win32 {

struct SectionView {
  HANDLE section = nullptr;
  void* view = nullptr;
};

// `size` bytes of `file` (INVALID_HANDLE_VALUE: the paging file), read and
// write or read only, under `name` (may be null). On failure nothing is
// left open and the system's error stands.
bool mapSection(HANDLE file, std::uint64_t size, bool writable, const char* name,
                SectionView& out);

} // namespace ravelock::platform::win32
