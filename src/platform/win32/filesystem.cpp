#include "platform/filesystem.h"
#include "platform/backend.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>

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
  return GetFileAttributesW(win32::wide(path).c_str());
}

bool backend::setAttributes(const char* path, std::uint32_t attributes) {
  return SetFileAttributesW(win32::wide(path).c_str(), attributes) != 0;
}

bool pathExists(const char* path) {
  return GetFileAttributesW(win32::wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isDirectory(const char* path) {
  const DWORD a = GetFileAttributesW(win32::wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isSymbolicLink(const char* path) {
  // Only links: other reparse points (files kept in the cloud, deduplicated
  // files) are files of their own.
  const std::wstring name = win32::wide(path);
  const DWORD a = GetFileAttributesW(name.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return false;
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW(name.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return false;
  FindClose(find);
  return found.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
         found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT;
}

bool backend::moveFile(const char* from, const char* to, bool replace) {
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
                              : MOVEFILE_WRITE_THROUGH;
  return MoveFileExW(win32::wide(from).c_str(), win32::wide(to).c_str(), flags) != 0;
}

bool backend::deleteFile(const char* path) {
  return DeleteFileW(win32::wide(path).c_str()) != 0;
}

std::string followFileLinks(const char* path) {
  return path;
}

bool backend::carryOverOwnerAndMode(const char*, const char*) {
  return true;
}

bool createFolder(const std::string& path) {
  return CreateDirectoryW(win32::wide(path).c_str(), nullptr) != 0;
}

bool backend::removeFolder(const char* path) {
  return RemoveDirectoryW(win32::wide(path).c_str()) != 0;
}

std::string temporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(std::size(buffer), buffer);
  return n > 0 && n < std::size(buffer) ? win32::utf8(std::wstring_view(buffer, n))
                                        : std::string();
}

bool backend::copyFile(const char* from, const char* to) {
  return CopyFileW(win32::wide(from).c_str(), win32::wide(to).c_str(), FALSE) != 0;
}

bool backend::freeSpace(const char* root, FreeSpace& space) {
  const std::wstring wideRoot = win32::wide(root);
  using ExFn = BOOL WINAPI(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  if (auto* ex = kernelFunction<ExFn>("GetDiskFreeSpaceExW")) {
    ULARGE_INTEGER a, t, f;
    if (!ex(wideRoot.c_str(), &a, &t, &f))
      return false;
    space.available = a.QuadPart;
    space.total = t.QuadPart;
    space.totalFree = f.QuadPart;
    return true;
  }
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (!GetDiskFreeSpaceW(wideRoot.c_str(), &sectorsPerCluster, &bytesPerSector,
                         &freeClusters, &clusters))
    return false;
  // 64-bit products: volumes beyond 4 GB are reported correctly.
  const std::uint64_t cluster = std::uint64_t{sectorsPerCluster} * bytesPerSector;
  space.available = cluster * freeClusters;
  space.total = cluster * clusters;
  space.totalFree = space.available;
  return true;
}

std::optional<std::string> backend::longPath(const char* path) {
  const std::wstring widePath = win32::wide(path);
  using LongFn = DWORD WINAPI(LPCWSTR, LPWSTR, DWORD);
  if (auto* longName = kernelFunction<LongFn>("GetLongPathNameW")) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = longName(widePath.c_str(), full.data(), static_cast<DWORD>(full.size()));
    if (n >= full.size()) { // the size needed, terminator included
      full.resize(n);
      n = longName(widePath.c_str(), full.data(), n);
    }
    if (n == 0 || n >= full.size())
      return std::nullopt;
    full.resize(n);
    return win32::utf8(full);
  }
  // Fallback: only the last component is made long.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widePath.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return std::nullopt;
  FindClose(search);
  const std::string folder(path);
  const std::size_t slash = folder.find_last_of("\\/:");
  return folder.substr(0, slash == std::string::npos ? 0 : slash + 1) +
         win32::utf8(found.cFileName);
}

std::optional<std::string> getShortPath(const std::string& path) {
  const std::wstring widePath = win32::wide(path);
  std::wstring shortName(MAX_PATH, L'\0');
  DWORD n = GetShortPathNameW(widePath.c_str(), shortName.data(), MAX_PATH);
  if (n >= MAX_PATH) { // the size needed, terminator included
    shortName.resize(n);
    n = GetShortPathNameW(widePath.c_str(), shortName.data(), n);
  }
  if (n == 0 || n >= shortName.size())
    return std::nullopt;
  shortName.resize(n);
  return win32::utf8(shortName);
}

} // namespace ravelock::platform
