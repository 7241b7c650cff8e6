#include "engine/files/target_naming.h"

#include "engine/format/header.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace ravelock::engine {

namespace {

// Byte offset of the extension's dot in the last path component, walking
// whole characters so a trail byte is never taken for a dot or separator.
std::size_t extensionOffset(const std::string& path) {
  std::size_t dot = std::string::npos;
  for (std::size_t at = 0; at < path.size();) {
    const char c = path[at];
    if (c == '\\' || c == '/' || c == ':')
      dot = std::string::npos;
    else if (c == '.')
      dot = at;
    at += platform::charLength(path.c_str() + at);
  }
  return dot;
}

} // namespace

bool hasEncryptedExtension(const std::string& path) {
  const std::size_t dot = extensionOffset(path);
  if (dot == std::string::npos || path.size() - dot != sizeof kEncryptedExtension - 1)
    return false;
  for (std::size_t i = 0; i < path.size() - dot; ++i)
    if (std::tolower(static_cast<unsigned char>(path[dot + i])) != kEncryptedExtension[i])
      return false;
  return true;
}

std::string withEncryptedExtension(const std::string& path) {
  return hasEncryptedExtension(path) ? path : path + kEncryptedExtension;
}

std::string withoutEncryptedExtension(const std::string& path) {
  return hasEncryptedExtension(path)
             ? path.substr(0, path.size() - (sizeof kEncryptedExtension - 1))
             : path;
}

void storePath(const std::string& path, char* buffer) {
  std::memset(buffer, 0, kMaxPath);
  std::memcpy(buffer, path.c_str(), std::min(path.size(), kMaxPath - 1));
}

std::string loadPath(const char* buffer) {
  return std::string(buffer, strnlen(buffer, kMaxPath - 1));
}

} // namespace ravelock::engine
