#include "platform/file.h"
#include "platform/backend.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace ravelock::platform {

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochDifference = 11644473600;

std::uint64_t toFileTime(std::int64_t seconds, std::uint32_t nanoseconds) {
  return static_cast<std::uint64_t>((seconds + kEpochDifference) * 10000000 +
                                    nanoseconds / 100);
}

// A stamp of 0 means "leave it": UTIME_OMIT.
struct timespec toTimespec(std::uint64_t fileTime) {
  struct timespec ts {};
  if (fileTime == 0) {
    ts.tv_nsec = UTIME_OMIT;
    return ts;
  }
  ts.tv_sec = static_cast<time_t>(static_cast<std::int64_t>(fileTime / 10000000) -
                                  kEpochDifference);
  ts.tv_nsec = static_cast<long>(fileTime % 10000000) * 100;
  return ts;
}

} // namespace

std::intptr_t backend::openFile(const char* path, Access access, Share share,
                                Disposition disposition) {
  int flags = O_CLOEXEC;
  switch (access) {
  case Access::Read: flags |= O_RDONLY; break;
  case Access::Write: flags |= O_WRONLY; break;
  case Access::ReadWrite: flags |= O_RDWR; break;
  }
  switch (disposition) {
  case Disposition::OpenExisting: break;
  case Disposition::CreateNew: flags |= O_CREAT | O_EXCL; break;
  case Disposition::CreateAlways: flags |= O_CREAT | O_TRUNC; break;
  case Disposition::OpenAlways: flags |= O_CREAT; break;
  }
  // Opened without blocking, so a FIFO without a writer (or a device that
  // waits) cannot hold the caller; only regular files are taken, and then
  // reads and writes block as usual.
  int fd;
  do {
    fd = ::open(path, flags | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return backend::kNoHandle;
  struct stat st;
  const bool stated = ::fstat(fd, &st) == 0;
  if (!stated || !S_ISREG(st.st_mode)) {
    ::close(fd);
    // A folder is not a file here either, as for CreateFile.
    errno = !stated ? EIO : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return backend::kNoHandle;
  }
  // No sharing is the nearest POSIX has to a share mode of none: an
  // exclusive lock, which every other opener without sharing (another run
  // on the same file) is refused as Windows would refuse it.
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0 ||
      (share == Share::None && ::flock(fd, LOCK_EX | LOCK_NB) != 0)) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return backend::kNoHandle;
  }
  return fd;
}

bool backend::fileSize(std::intptr_t handle, std::uint64_t& bytes) {
  struct stat st;
  if (::fstat(static_cast<int>(handle), &st) != 0)
    return false;
  bytes = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool backend::readFile(std::intptr_t handle, std::span<std::byte> buffer,
                       std::size_t& got) {
  got = 0;
  std::size_t want = buffer.size();
  ssize_t n;
  do {
    n = ::read(static_cast<int>(handle), buffer.data(), want);
  } while (n < 0 && errno == EINTR);
  if (n < 0)
    return false;
  got = static_cast<std::size_t>(n);
  return true;
}

bool backend::writeFile(std::intptr_t handle, std::span<const std::byte> data,
                        std::size_t& written) {
  written = 0;
  std::size_t want = data.size();
  ssize_t n;
  do {
    n = ::write(static_cast<int>(handle), data.data(), want);
  } while (n < 0 && errno == EINTR);
  if (n < 0)
    return false;
  written = static_cast<std::size_t>(n);
  return true;
}

bool backend::seekFile(std::intptr_t handle, std::uint64_t offset) {
  return ::lseek(static_cast<int>(handle), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool backend::endFile(std::intptr_t handle) {
  const off_t here = ::lseek(static_cast<int>(handle), 0, SEEK_CUR);
  return here >= 0 && ::ftruncate(static_cast<int>(handle), here) == 0;
}

bool backend::flushFile(std::intptr_t handle) {
  return ::fsync(static_cast<int>(handle)) == 0;
}

bool backend::getFileTimes(std::intptr_t handle, FileTimes& times) {
  struct statx sx;
  if (::statx(static_cast<int>(handle), "", AT_EMPTY_PATH,
              STATX_ATIME | STATX_MTIME | STATX_BTIME, &sx) != 0)
    return false;
  times.lastAccess = toFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
  times.lastWrite = toFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
  times.creation = (sx.stx_mask & STATX_BTIME)
                       ? toFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                       : 0;
  return true;
}

bool backend::setFileTimes(std::intptr_t handle, const FileTimes& times) {
  const struct timespec stamps[2] = {toTimespec(times.lastAccess),
                                     toTimespec(times.lastWrite)};
  return ::futimens(static_cast<int>(handle), stamps) == 0;
}

void File::close() {
  if (handle_ != kInvalid) {
    ::close(static_cast<int>(handle_));
    handle_ = kInvalid;
  }
}

} // namespace ravelock::platform
