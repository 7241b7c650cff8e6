#include "platform/filesystem.h"
#include "platform/fault_injection.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace ravelock::platform {

namespace {

std::atomic<bool> legacyKernel{false};

// The newer kernel32 functions are bound by name at run time, so the engine
// still loads on systems that lack them.
template <typename Fn> Fn* kernelFunction(const char* name) {
  if (legacyKernel.load())
    return nullptr;
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel ? reinterpret_cast<Fn*>(GetProcAddress(kernel, name)) : nullptr;
}

} // namespace

void useLegacyKernelFunctions(bool legacy) {
  legacyKernel.store(legacy);
}

std::uint32_t getAttributes(const char* path) {
  if (injectedFault(Op::GetAttributes) != Fault::None) {
    SetLastError(ERROR_ACCESS_DENIED);
    return kInvalidAttributes;
  }
  return GetFileAttributesA(path);
}

bool setAttributes(const char* path, std::uint32_t attributes) {
  if (injectedFault(Op::SetAttributes) != Fault::None) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return SetFileAttributesA(path, attributes) != 0;
}

bool pathExists(const char* path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool isDirectory(const char* path) {
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool moveFile(const char* from, const char* to, bool replace) {
  if (injectedFault(Op::Move) != Fault::None) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
                              : MOVEFILE_WRITE_THROUGH;
  return MoveFileExA(from, to, flags) != 0;
}

bool deleteFile(const char* path) {
  if (injectedFault(Op::Delete) != Fault::None) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return DeleteFileA(path) != 0;
}

bool createFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool copyFile(const char* from, const char* to) {
  if (injectedFault(Op::Copy) != Fault::None) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return CopyFileA(from, to, FALSE) != 0;
}

int getFreeSpace(const char* root, std::uint64_t* freeBytes, std::uint64_t* totalBytes,
                 std::uint64_t* totalFreeBytes) {
  for (std::uint64_t* out : {freeBytes, totalBytes, totalFreeBytes})
    if (out)
      *out = 0;
  const Fault fault = injectedFault(Op::FreeSpace);
  if (fault == Fault::Fail)
    return 0;
  std::uint64_t available = 0, total = 0, totalFree = 0;
  using ExFn = BOOL WINAPI(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  if (auto* ex = kernelFunction<ExFn>("GetDiskFreeSpaceExA")) {
    ULARGE_INTEGER a, t, f;
    if (!ex(root, &a, &t, &f))
      return 0;
    available = a.QuadPart;
    total = t.QuadPart;
    totalFree = f.QuadPart;
  } else {
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &clusters))
      return 0;
    // 64-bit products: volumes beyond 4 GB are reported correctly.
    const std::uint64_t cluster = std::uint64_t{sectorsPerCluster} * bytesPerSector;
    available = cluster * freeClusters;
    total = cluster * clusters;
    totalFree = available;
  }
  if (fault == Fault::NoSpace)
    available = totalFree = 0;
  if (freeBytes)
    *freeBytes = available;
  if (totalBytes)
    *totalBytes = total;
  if (totalFreeBytes)
    *totalFreeBytes = totalFree;
  return 1;
}

std::size_t getLongPath(const char* path, char* buffer, std::size_t bufferSize) {
  if (buffer && bufferSize)
    buffer[0] = '\0';
  if (injectedFault(Op::LongPath) != Fault::None || !path)
    return 0;
  using LongFn = DWORD WINAPI(LPCSTR, LPSTR, DWORD);
  if (auto* longName = kernelFunction<LongFn>("GetLongPathNameA")) {
    char full[MAX_PATH * 2];
    const DWORD n = longName(path, full, sizeof full);
    if (n == 0 || n >= sizeof full)
      return n >= sizeof full ? n - 1 : 0;
    if (buffer && n < bufferSize)
      std::memcpy(buffer, full, n + 1);
    return n;
  }
  // Fallback: only the last component is made long.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE)
    return 0;
  FindClose(search);
  char drive[_MAX_DRIVE], dir[_MAX_DIR];
  _splitpath(path, drive, dir, nullptr, nullptr);
  char full[MAX_PATH * 2];
  const int n = std::snprintf(full, sizeof full, "%s%s%s", drive, dir, found.cFileName);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof full)
    return 0;
  if (buffer && static_cast<std::size_t>(n) < bufferSize)
    std::memcpy(buffer, full, static_cast<std::size_t>(n) + 1);
  return static_cast<std::size_t>(n);
}

} // namespace ravelock::platform
