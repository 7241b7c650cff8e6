#include "platform/filesystem.h"
#include "platform/backend.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace ravelock::platform {

namespace {
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
}

std::uint32_t backend::getAttributes(const char* path) {
  struct stat st;
  if (::stat(path, &st) != 0)
    return kInvalidAttributes;
  std::uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode))
    attributes |= kAttrDirectory;
  if ((st.st_mode & kWriteBits) == 0)
    attributes |= kAttrReadOnly;
  return attributes ? attributes : kAttrNormal;
}

bool backend::setAttributes(const char* path, std::uint32_t attributes) {
  struct stat st;
  if (::stat(path, &st) != 0)
    return false;
  mode_t mode = st.st_mode & 07777;
  if (attributes & kAttrReadOnly) {
    mode &= ~kWriteBits;
  } else if ((mode & kWriteBits) == 0) {
    // Clearing read-only gives the owner write access back, as far as the
    // umask-free default would.
    mode |= S_IWUSR;
  }
  return mode == (st.st_mode & 07777) || ::chmod(path, mode) == 0;
}

bool pathExists(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0;
}

bool isDirectory(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSymbolicLink(const char* path) {
  struct stat st;
  return ::lstat(path, &st) == 0 && S_ISLNK(st.st_mode);
}

bool backend::moveFile(const char* from, const char* to, bool replace) {
  if (!replace && pathExists(to)) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from, to) == 0;
}

bool backend::deleteFile(const char* path) {
  return ::unlink(path) == 0;
}

std::string followFileLinks(const char* path) {
  // As many links as the kernel itself follows before giving up (ELOOP).
  constexpr int kMaxLinks = 40;
  std::string at = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat st;
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
      return at;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(at.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
      return path;
    const std::string_view named(target, static_cast<std::size_t>(length));
    const std::size_t slash = at.find_last_of('/');
    at = named.front() == '/' || slash == std::string::npos
             ? std::string(named)
             : at.substr(0, slash + 1) + std::string(named);
  }
  return path;
}

bool backend::carryOverOwnerAndMode(const char* from, const char* to) {
  struct stat st;
  if (::stat(from, &st) != 0 || ::chmod(to, st.st_mode & 07777) != 0)
    return false;
  // Only a privileged caller may give a file away; anyone may keep the
  // group when they belong to it. Neither is worth failing a write for.
  if (::chown(to, st.st_uid, st.st_gid) != 0 && ::chown(to, -1, st.st_gid) != 0)
    errno = 0;
  return true;
}

bool createFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

bool backend::removeFolder(const char* path) {
  return ::rmdir(path) == 0;
}

std::string temporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  std::string folder = dir && *dir ? dir : "/tmp";
  if (folder.back() != '/')
    folder += '/';
  return folder;
}

bool backend::copyFile(const char* from, const char* to) {
  const int in = ::open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0)
    return false;
  const int out = ::open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  bool ok = out >= 0;
  char chunk[65536];
  while (ok) {
    const ssize_t n = ::read(in, chunk, sizeof chunk);
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t w = ::write(out, chunk + done, static_cast<std::size_t>(n - done));
      ok = w > 0;
      done += w > 0 ? w : 0;
    }
  }
  ::close(in);
  if (out >= 0 && ::close(out) != 0)
    ok = false;
  return ok;
}

bool backend::freeSpace(const char* root, FreeSpace& space) {
  struct statvfs vfs;
  if (::statvfs(root, &vfs) != 0)
    return false;
  const std::uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  space.available = unit * vfs.f_bavail;
  space.total = unit * vfs.f_blocks;
  space.totalFree = unit * vfs.f_bfree;
  return true;
}

std::optional<std::string> backend::longPath(const char* path) {
  if (!pathExists(path))
    return std::nullopt;
  std::string given = path;
  if (given.empty() || given.front() != '/') {
    char folder[PATH_MAX];
    if (!::getcwd(folder, sizeof folder))
      return std::nullopt;
    given = std::string(folder) + '/' + given;
  }
  // Folded by name, as GetFullPathName does: ".." takes back the name
  // before it, whether or not that name is a link.
  std::vector<std::string_view> names;
  for (std::size_t at = 0; at < given.size();) {
    const std::size_t end = std::min(given.find('/', at), given.size());
    const std::string_view name(given.data() + at, end - at);
    if (name == "..") {
      if (!names.empty())
        names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    at = end + 1;
  }
  std::string absolute;
  for (const std::string_view name : names)
    absolute.append("/").append(name);
  return absolute.empty() ? std::string("/") : absolute;
}

void useLegacyKernelFunctions(bool) {}

std::optional<std::string> getShortPath(const std::string& path) {
  if (!pathExists(path.c_str()))
    return std::nullopt;
  return path;
}

} // namespace ravelock::platform
