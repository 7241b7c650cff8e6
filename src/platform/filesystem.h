#pragma once
// Operations on paths: attributes, moving, deleting, existence, free space
// and long names. Paths are ANSI strings.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ravelock::platform {

// ANSI paths of the Windows programs are at most this long with their
// terminator.
inline constexpr std::size_t kMaxPath = 260;

// Windows attribute bits. The POSIX backend reports and sets only read-only
// (no write permission bits) and directory; NORMAL stands for "none".
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;

// kInvalidAttributes when the path cannot be queried.
std::uint32_t getAttributes(const char* path);
bool setAttributes(const char* path, std::uint32_t attributes);

bool pathExists(const char* path);
bool isDirectory(const char* path);

// Whether `path` itself is a symbolic link (on Windows a symbolic link or
// junction reparse point), whatever it points to.
bool isSymbolicLink(const char* path);

// Renames within a volume; with `replace`, an existing `to` is replaced
// atomically (MoveFileEx with MOVEFILE_REPLACE_EXISTING, rename(2)).
bool moveFile(const char* from, const char* to, bool replace);

bool deleteFile(const char* path);

// The file that `path` finally names when it is a symbolic link (each
// link's target taken beside the link when it is relative, the target
// itself need not exist); `path` itself when it is no link or its links
// cannot be read. Windows: `path` itself.
std::string followFileLinks(const char* path);

// Gives `to` the permission bits and, where the caller may, the owner and
// group of `from`, so a replacement is as private as the file it replaces.
// Windows: nothing to do (the replacement is made in the same folder and
// takes its access rules from there). Fault injection counts it as a
// SetAttributes.
bool carryOverOwnerAndMode(const char* from, const char* to);

// Makes one folder (its parent must exist).
bool createFolder(const std::string& path);

// Removes an empty folder. Fault injection counts it as a Delete.
bool removeFolder(const char* path);

// The system's folder for temporary files, ending in a separator
// (GetTempPathW; natively TMPDIR or /tmp/).
std::string temporaryFolder();

// Copies a file's content (and, on Windows, its attributes and times) over
// `to`, replacing an existing file.
bool copyFile(const char* from, const char* to);

// Free space of the volume with root `root`: 1 on success, 0 on failure.
// Any out pointer may be null; the out values are set to 0 first. On
// Windows GetDiskFreeSpaceExW is looked up in kernel32 at run time, with
// GetDiskFreeSpaceA (64-bit products) as the fallback; natively statvfs.
int getFreeSpace(const char* root, std::uint64_t* freeBytes, std::uint64_t* totalBytes,
                 std::uint64_t* totalFreeBytes);

// The long form of `path` written to `buffer` when it fits with its
// terminator; returns its length either way, 0 when it cannot be formed
// (buffer then empty). On Windows GetLongPathNameW looked up at run time,
// else FindFirstFileW for the last component; natively the absolute path
// of an existing file, its "." and ".." folded away as the Windows call
// does, without resolving links (a result is named beside the name the user
// gave, never beside a link's target).
std::size_t getLongPath(const char* path, char* buffer, std::size_t bufferSize);

// The short (8.3) form of an existing path, or nullopt when the system has
// none for it (the path is missing, or short names are switched off on its
// volume). Natively there are no short names: the path itself when it exists.
std::optional<std::string> getShortPath(const std::string& path);

// Tests only: behave as a system without the newer kernel32 functions.
void useLegacyKernelFunctions(bool legacy);

} // namespace ravelock::platform
