#include "platform/backend.h"
#include "platform/file.h"

namespace ravelock::platform {

// Each operation asks the fault hook before the backend touches the system.

File File::open(const char* path, Access access, Share share, Disposition disposition) {
  if (backend::refused(Op::Open))
    return File();
  const std::intptr_t handle = backend::openFile(path, access, share, disposition);
  return handle == backend::kNoHandle ? File() : File(handle);
}

bool File::size(std::uint64_t& bytes) const {
  return !backend::refused(Op::Size) && backend::fileSize(handle_, bytes);
}

bool File::read(std::span<std::byte> buffer, std::size_t& got) {
  got = 0;
  const Fault fault = injectedFault(Op::Read);
  if (fault == Fault::Fail || fault == Fault::NoSpace) {
    backend::reportFault(Op::Read, fault);
    return false;
  }
  return backend::readFile(
      handle_, fault == Fault::Short ? buffer.first(buffer.size() / 2) : buffer, got);
}

bool File::write(std::span<const std::byte> data, std::size_t& written) {
  written = 0;
  const Fault fault = injectedFault(Op::Write);
  if (fault == Fault::Fail || fault == Fault::NoSpace) {
    backend::reportFault(Op::Write, fault);
    return false;
  }
  return backend::writeFile(
      handle_, fault == Fault::Short ? data.first(data.size() / 2) : data, written);
}

bool File::seek(std::uint64_t offset) {
  return !backend::refused(Op::Seek) && backend::seekFile(handle_, offset);
}

bool File::setEndOfFile() {
  return !backend::refused(Op::SetEnd) && backend::endFile(handle_);
}

bool File::flush() {
  return !backend::refused(Op::Flush) && backend::flushFile(handle_);
}

bool File::getTimes(FileTimes& times) const {
  return !backend::refused(Op::GetTimes) && backend::getFileTimes(handle_, times);
}

bool File::setTimes(const FileTimes& times) {
  return !backend::refused(Op::SetTimes) && backend::setFileTimes(handle_, times);
}

bool readFully(File& file, std::span<std::byte> buffer, std::size_t& got) {
  got = 0;
  while (got < buffer.size()) {
    std::size_t n = 0;
    if (!file.read(buffer.subspan(got), n))
      return false;
    if (n == 0)
      break;
    got += n;
  }
  return true;
}

bool writeFully(File& file, std::span<const std::byte> data) {
  for (std::size_t done = 0; done < data.size();) {
    std::size_t n = 0;
    if (!file.write(data.subspan(done), n))
      return false;
    // A write that takes nothing and reports no error meets a full disk;
    // say so, or the caller would report whatever error came last.
    if (n == 0) {
      backend::reportFault(Op::Write, Fault::NoSpace);
      return false;
    }
    done += n;
  }
  return true;
}

} // namespace ravelock::platform
