#pragma once
// What each backend supplies to the portable layer above it. The public
// operations (*_common.cpp) ask the fault hook first and call these only
// when no fault is injected; the backends themselves never see the hook.
// Private to the platform library.

#include "platform/directory.h"
#include "platform/fault_injection.h"
#include "platform/file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::platform::backend {

// Sets the system's last error as a real failure of `op` would, so that a
// caller sees an injected fault as it would see the system's.
void reportFault(Op op, Fault fault);

// Files, by native handle (a HANDLE, or a file descriptor natively).
inline constexpr std::intptr_t kNoHandle = -1;
std::intptr_t openFile(const char* path, Access access, Share share,
                       Disposition disposition);
bool fileSize(std::intptr_t handle, std::uint64_t& bytes);
bool readFile(std::intptr_t handle, std::span<std::byte> buffer, std::size_t& got);
bool writeFile(std::intptr_t handle, std::span<const std::byte> data,
               std::size_t& written);
bool seekFile(std::intptr_t handle, std::uint64_t offset);
bool endFile(std::intptr_t handle);
bool flushFile(std::intptr_t handle);
bool getFileTimes(std::intptr_t handle, FileTimes& times);
bool setFileTimes(std::intptr_t handle, const FileTimes& times);

// Paths.
std::uint32_t getAttributes(const char* path);
bool setAttributes(const char* path, std::uint32_t attributes);
bool moveFile(const char* from, const char* to, bool replace);
bool deleteFile(const char* path);
bool carryOverOwnerAndMode(const char* from, const char* to);
bool removeFolder(const char* path);
bool copyFile(const char* from, const char* to);
std::optional<std::vector<DirectoryEntry>> listDirectory(const std::string& folder,
                                                         const std::string& pattern);
bool writeShortcut(const std::string& target, const std::string& linkPath,
                   const std::string& description, const char* arguments,
                   const char* iconPath, int iconIndex);
std::optional<std::string> resolveShortcutTarget(const std::string& linkPath);

struct FreeSpace {
  std::uint64_t available = 0; // to the calling user
  std::uint64_t total = 0;
  std::uint64_t totalFree = 0;
};

bool freeSpace(const char* root, FreeSpace& space);

// The long form of an existing path, or nullopt.
std::optional<std::string> longPath(const char* path);

// Processes.
bool launchDetached(const std::string& program, std::string_view argument);

// The hook's decision for `op`: true when the call is to fail, with the
// system's last error set as for a real failure. A short transfer is not a
// refusal; the read and write wrappers handle it.
inline bool refused(Op op) {
  const Fault fault = injectedFault(op);
  if (fault == Fault::None)
    return false;
  reportFault(op, fault);
  return true;
}

// Code pages other than UTF-8 (see code_page.h); `bytes` and `text` come
// empty.
bool encodeInCodePage(std::u16string_view text, unsigned codePage, std::string& bytes);
bool decodeFromCodePage(std::string_view bytes, unsigned codePage, std::u16string& text);

} // namespace ravelock::platform::backend
