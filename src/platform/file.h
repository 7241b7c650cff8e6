#pragma once
// Files through the platform seam. Paths are ANSI (system code page) strings
// as the engine's exports receive them. Each call maps onto one system call
// of the backend (CreateFileW/ReadFile/... on Windows, open/read/... on POSIX).

#include <cstddef>
#include <cstdint>
#include <span>

namespace ravelock::platform {

enum class Access : std::uint8_t { Read, Write, ReadWrite };

// Which access other openers keep while this handle is open. POSIX has no
// mandatory sharing: there None takes an exclusive advisory lock (flock),
// which refuses every other opener asking for None, and the other modes
// are ignored.
enum class Share : std::uint8_t { None, Read, ReadWrite, ReadWriteDelete };

enum class Disposition : std::uint8_t {
  OpenExisting,
  CreateNew,
  CreateAlways,
  OpenAlways
};

// The three time stamps in Windows file-time units (100 ns since 1601-01-01
// UTC). 0 means unknown: POSIX file systems may not record a creation time,
// and a 0 is never written.
struct FileTimes {
  std::uint64_t creation = 0;
  std::uint64_t lastAccess = 0;
  std::uint64_t lastWrite = 0;
};

class File {
public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // An unopened File when the system refuses; isOpen() tells. A folder is
  // never opened; natively neither is a FIFO, socket or device: only
  // regular files, and the open itself never blocks.
  static File open(const char* path, Access access, Share share, Disposition disposition);

  bool isOpen() const { return handle_ != kInvalid; }

  // False when the size cannot be read.
  bool size(std::uint64_t& bytes) const;

  // Reads up to buffer.size() bytes at the current position; `got` is the
  // count transferred (0 at end of file). False on a failed read.
  bool read(std::span<std::byte> buffer, std::size_t& got);

  // Writes at the current position; `written` may fall short of the size.
  bool write(std::span<const std::byte> data, std::size_t& written);

  // Moves the position to `offset` from the start.
  bool seek(std::uint64_t offset);

  // Ends the file at the current position.
  bool setEndOfFile();

  // Forces written data to the disk.
  bool flush();

  bool getTimes(FileTimes& times) const;
  // Stamps that are 0 are left as they are; POSIX cannot set a creation time.
  bool setTimes(const FileTimes& times);

  void close();

  std::intptr_t nativeHandle() const { return handle_; }

private:
  static constexpr std::intptr_t kInvalid = -1;
  explicit File(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = kInvalid;
};

// Reads until `buffer` is full or the file ends; false on a failed read.
bool readFully(File& file, std::span<std::byte> buffer, std::size_t& got);

// Writes all of `data`, going on after short writes; false when a write
// fails or transfers nothing (then with the full disk's error).
bool writeFully(File& file, std::span<const std::byte> data);

} // namespace ravelock::platform
