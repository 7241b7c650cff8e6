#include "platform/directory.h"
#include "platform/backend.h"
#include "platform/filesystem.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace ravelock::platform {

namespace {

bool matches(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*")
    return true;
  const std::string suffix = pattern.substr(1);
  return name.size() >= suffix.size() &&
         strcasecmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0;
}

} // namespace

std::optional<std::vector<DirectoryEntry>>
backend::listDirectory(const std::string& folder, const std::string& pattern) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir)
    return std::nullopt;
  std::vector<DirectoryEntry> entries;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (!matches(name, pattern))
      continue;
    struct stat st;
    const std::string full = folder + name;
    std::uint32_t attributes = kAttrNormal;
    if (::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      attributes = kAttrDirectory;
    entries.push_back({name, attributes});
  }
  ::closedir(dir);
  return entries;
}

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;

bool backend::writeShortcut(const std::string&, const std::string&, const std::string&,
                            const char*, const char*, int) {
  return false;
}

std::optional<std::string> backend::resolveShortcutTarget(const std::string&) {
  return std::nullopt;
}

} // namespace ravelock::platform
