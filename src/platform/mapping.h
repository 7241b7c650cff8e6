#pragma once
// A read-write memory mapping, of a file (grown to the mapped size as
// CreateFileMapping does) or of anonymous memory backed by the paging file.

#include "platform/file.h"

#include <cstdint>

namespace ravelock::platform {

namespace win32 {
struct SectionView;
}

class Mapping {
public:
  Mapping() = default;
  Mapping(Mapping&& other) noexcept;
  Mapping& operator=(Mapping&& other) noexcept;
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  ~Mapping();

  // `file` must be open for reading and writing. An invalid Mapping on failure.
  static Mapping ofFile(File& file, std::uint64_t size);
  static Mapping anonymous(std::uint64_t size);

  bool isValid() const { return data_ != nullptr; }
  unsigned char* data() const { return data_; }
  std::uint64_t size() const { return size_; }

  // Unmaps; the mapping handle (Windows) is closed as well.
  void release();

private:
  // The backend's part of the operation above, after the fault hook.
  static Mapping ofFileBackend(File& file, std::uint64_t size);
  static Mapping anonymousBackend(std::uint64_t size);
  // Windows: takes over a mapped section of `size` bytes (none when invalid).
  static Mapping adopt(const win32::SectionView& mapped, std::uint64_t size);
  unsigned char* data_ = nullptr;
  std::uint64_t size_ = 0;
  std::intptr_t section_ = 0; // Windows mapping handle; unused on POSIX
};

} // namespace ravelock::platform
