#include "platform/fault_injection.h"
#include "platform/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ravelock::platform {

File::File(File&& other) noexcept : handle_(other.handle_) {
  other.handle_ = kInvalid;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

File::~File() { close(); }

File File::open(const char* path, Access access, Share, Disposition disposition) {
  if (injectedFault(Op::Open) != Fault::None)
    return File();
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
  int fd;
  do {
    fd = ::open(path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return File();
  // Windows opens only files through CreateFile; a folder is not a file here.
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return File();
  }
  return File(fd);
}

bool File::size(std::uint64_t& bytes) const {
  if (injectedFault(Op::Size) != Fault::None)
    return false;
  struct stat st;
  if (::fstat(static_cast<int>(handle_), &st) != 0)
    return false;
  bytes = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool File::read(std::span<std::byte> buffer, std::size_t& got) {
  got = 0;
  std::size_t want = buffer.size();
  switch (injectedFault(Op::Read)) {
  case Fault::Fail: return false;
  case Fault::Short: want /= 2; break;
  case Fault::None: break;
  }
  ssize_t n;
  do {
    n = ::read(static_cast<int>(handle_), buffer.data(), want);
  } while (n < 0 && errno == EINTR);
  if (n < 0)
    return false;
  got = static_cast<std::size_t>(n);
  return true;
}

void File::close() {
  if (handle_ != kInvalid) {
    ::close(static_cast<int>(handle_));
    handle_ = kInvalid;
  }
}

} // namespace ravelock::platform
