#include "platform/file.h"
#include "platform/backend.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace ravelock::platform {

namespace {

HANDLE native(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

DWORD desiredAccess(Access access) {
  switch (access) {
  case Access::Read: return GENERIC_READ;
  case Access::Write: return GENERIC_WRITE;
  case Access::ReadWrite: return GENERIC_READ | GENERIC_WRITE;
  }
  return 0;
}

DWORD shareMode(Share share) {
  switch (share) {
  case Share::None: return 0;
  case Share::Read: return FILE_SHARE_READ;
  case Share::ReadWrite: return FILE_SHARE_READ | FILE_SHARE_WRITE;
  case Share::ReadWriteDelete:
    return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  }
  return 0;
}

DWORD creationDisposition(Disposition disposition) {
  switch (disposition) {
  case Disposition::OpenExisting: return OPEN_EXISTING;
  case Disposition::CreateNew: return CREATE_NEW;
  case Disposition::CreateAlways: return CREATE_ALWAYS;
  case Disposition::OpenAlways: return OPEN_ALWAYS;
  }
  return OPEN_EXISTING;
}

// ReadFile and WriteFile take 32-bit counts; a larger transfer comes up
// short and the callers' loops go on.
DWORD transferCount(std::size_t want) {
  return static_cast<DWORD>(
      std::min<std::size_t>(want, std::numeric_limits<DWORD>::max()));
}

std::uint64_t fromFileTime(const FILETIME& t) {
  return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}

FILETIME toFileTime(std::uint64_t value) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(value);
  t.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return t;
}

} // namespace

std::intptr_t backend::openFile(const char* path, Access access, Share share,
                                Disposition disposition) {
  HANDLE h = CreateFileW(win32::wide(path).c_str(), desiredAccess(access),
                         shareMode(share), nullptr, creationDisposition(disposition),
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return backend::kNoHandle;
  return reinterpret_cast<std::intptr_t>(h);
}

bool backend::fileSize(std::intptr_t handle, std::uint64_t& bytes) {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(native(handle), &value))
    return false;
  bytes = static_cast<std::uint64_t>(value.QuadPart);
  return true;
}

bool backend::readFile(std::intptr_t handle, std::span<std::byte> buffer,
                       std::size_t& got) {
  got = 0;
  std::size_t want = buffer.size();
  DWORD n = 0;
  if (!ReadFile(native(handle), buffer.data(), transferCount(want), &n, nullptr))
    return false;
  got = n;
  return true;
}

bool backend::writeFile(std::intptr_t handle, std::span<const std::byte> data,
                        std::size_t& written) {
  written = 0;
  std::size_t want = data.size();
  DWORD n = 0;
  if (!WriteFile(native(handle), data.data(), transferCount(want), &n, nullptr))
    return false;
  written = n;
  return true;
}

bool backend::seekFile(std::intptr_t handle, std::uint64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(native(handle), distance, nullptr, FILE_BEGIN) != 0;
}

bool backend::endFile(std::intptr_t handle) {
  return SetEndOfFile(native(handle)) != 0;
}

bool backend::flushFile(std::intptr_t handle) {
  return FlushFileBuffers(native(handle)) != 0;
}

bool backend::getFileTimes(std::intptr_t handle, FileTimes& times) {
  FILETIME creation, access, write;
  if (!GetFileTime(native(handle), &creation, &access, &write))
    return false;
  times.creation = fromFileTime(creation);
  times.lastAccess = fromFileTime(access);
  times.lastWrite = fromFileTime(write);
  return true;
}

bool backend::setFileTimes(std::intptr_t handle, const FileTimes& times) {
  const FILETIME creation = toFileTime(times.creation);
  const FILETIME access = toFileTime(times.lastAccess);
  const FILETIME write = toFileTime(times.lastWrite);
  // A null pointer leaves that stamp as it is.
  return SetFileTime(native(handle), times.creation ? &creation : nullptr,
                     times.lastAccess ? &access : nullptr,
                     times.lastWrite ? &write : nullptr) != 0;
}

void File::close() {
  if (handle_ != kInvalid) {
    CloseHandle(native(handle_));
    handle_ = kInvalid;
  }
}

} // namespace ravelock::platform
