#pragma once
// A read-only view of a whole file, mapped rather than copied: readers walk
// the bytes in place. The view stays valid after the File is closed.

#include "platform/file.h"

#include <cstdint>

namespace ravelock::platform {

class FileView {
public:
  FileView() = default;
  FileView(FileView&& other) noexcept;
  FileView& operator=(FileView&& other) noexcept;
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;
  ~FileView();

  // Maps the first `size` bytes of `file`, which must be open for reading.
  // An invalid view on failure; an empty file cannot be mapped.
  static FileView ofFile(File& file, std::uint64_t size);

  bool isValid() const { return data_ != nullptr; }
  const unsigned char* data() const { return data_; }
  std::uint64_t size() const { return size_; }

  void release();

private:
  // The backend's part of the operation above, after the fault hook.
  static FileView ofFileBackend(File& file, std::uint64_t size);
  const unsigned char* data_ = nullptr;
  std::uint64_t size_ = 0;
};

} // namespace ravelock::platform
