#include "platform/filesystem.h"
#include "platform/backend.h"

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
  // By way of void*: FARPROC's own type says nothing of the function's.
  return kernel ? reinterpret_cast<Fn*>(
                      reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                : nullptr;
}

} // namespace

void useLegacyKernelFunctions(bool legacy) {
  legacyKernel.store(legacy);
}

std::uint32_t backend::getAttributes(const char* path) {
  return GetFileAttributesA(path);
}

bool backend::setAttributes(const char* path, std::uint32_t attributes) {
  return SetFileAttributesA(path, attributes) != 0;
}

bool pathExists(const char* path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool isDirectory(const char* path) {
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isSymbolicLink(const char* path) {
  // Only links: other reparse points (files kept in the cloud, deduplicated
  // files) are files of their own.
  const DWORD a = GetFileAttributesA(path);
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return false;
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA(path, &found);
  if (find == INVALID_HANDLE_VALUE)
    return false;
  FindClose(find);
  return found.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
         found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT;
}

bool backend::moveFile(const char* from, const char* to, bool replace) {
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
                              : MOVEFILE_WRITE_THROUGH;
  return MoveFileExA(from, to, flags) != 0;
}

bool backend::deleteFile(const char* path) {
  return DeleteFileA(path) != 0;
}

std::string followFileLinks(const char* path) {
  return path;
}

bool backend::carryOverOwnerAndMode(const char*, const char*) {
  return true;
}

bool createFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool backend::removeFolder(const char* path) {
  return RemoveDirectoryA(path) != 0;
}

std::string temporaryFolder() {
  char buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buffer, buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

bool backend::copyFile(const char* from, const char* to) {
  return CopyFileA(from, to, FALSE) != 0;
}

bool backend::freeSpace(const char* root, FreeSpace& space) {
  using ExFn = BOOL WINAPI(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  if (auto* ex = kernelFunction<ExFn>("GetDiskFreeSpaceExA")) {
    ULARGE_INTEGER a, t, f;
    if (!ex(root, &a, &t, &f))
      return false;
    space.available = a.QuadPart;
    space.total = t.QuadPart;
    space.totalFree = f.QuadPart;
    return true;
  }
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &clusters))
    return false;
  // 64-bit products: volumes beyond 4 GB are reported correctly.
  const std::uint64_t cluster = std::uint64_t{sectorsPerCluster} * bytesPerSector;
  space.available = cluster * freeClusters;
  space.total = cluster * clusters;
  space.totalFree = space.available;
  return true;
}

std::optional<std::string> backend::longPath(const char* path) {
  using LongFn = DWORD WINAPI(LPCSTR, LPSTR, DWORD);
  if (auto* longName = kernelFunction<LongFn>("GetLongPathNameA")) {
    std::string full(MAX_PATH, '\0');
    DWORD n = longName(path, full.data(), static_cast<DWORD>(full.size()));
    if (n >= full.size()) { // the size needed, terminator included
      full.resize(n);
      n = longName(path, full.data(), n);
    }
    if (n == 0 || n >= full.size())
      return std::nullopt;
    full.resize(n);
    return full;
  }
  // Fallback: only the last component is made long.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE)
    return std::nullopt;
  FindClose(search);
  char drive[_MAX_DRIVE], dir[_MAX_DIR];
  _splitpath(path, drive, dir, nullptr, nullptr);
  return std::string(drive) + dir + found.cFileName;
}

std::optional<std::string> getShortPath(const std::string& path) {
  std::string shortName(MAX_PATH, '\0');
  DWORD n = GetShortPathNameA(path.c_str(), shortName.data(), MAX_PATH);
  if (n >= MAX_PATH) { // the size needed, terminator included
    shortName.resize(n);
    n = GetShortPathNameA(path.c_str(), shortName.data(), n);
  }
  if (n == 0 || n >= shortName.size())
    return std::nullopt;
  shortName.resize(n);
  return shortName;
}

} // namespace ravelock::platform
