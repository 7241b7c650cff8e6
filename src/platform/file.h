#pragma once
// Files through the platform seam. Paths are ANSI (system code page) strings
// as the engine's exports receive them. Each call maps onto one system call
// of the backend (CreateFileA/ReadFile/... on Windows, open/read/... on POSIX).

#include <cstddef>
#include <cstdint>
#include <span>

namespace ravelock::platform {

enum class Access : std::uint8_t { Read, Write, ReadWrite };

// Which access other openers keep while this handle is open. POSIX has no
// mandatory sharing, so the POSIX backend accepts and ignores it.
enum class Share : std::uint8_t { None, Read, ReadWrite, ReadWriteDelete };

enum class Disposition : std::uint8_t {
  OpenExisting,
  CreateNew,
  CreateAlways,
  OpenAlways
};

class File {
public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // An unopened File when the system refuses; isOpen() tells.
  static File open(const char* path, Access access, Share share,
                   Disposition disposition);

  bool isOpen() const { return handle_ != kInvalid; }

  // False when the size cannot be read.
  bool size(std::uint64_t& bytes) const;

  // Reads up to buffer.size() bytes at the current position; `got` is the
  // count transferred (0 at end of file). False on a failed read.
  bool read(std::span<std::byte> buffer, std::size_t& got);

  void close();

private:
  static constexpr std::intptr_t kInvalid = -1;
  explicit File(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = kInvalid;
};

// Reads until `buffer` is full or the file ends; false on a failed read.
bool readFully(File& file, std::span<std::byte> buffer, std::size_t& got);

} // namespace ravelock::platform
