#pragma once
// Folder listings and the shell's shortcut files.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ravelock::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

inline bool isPathSeparator(char c) {
  return c == '\\' || c == '/';
}

struct DirectoryEntry {
  std::string name;
  std::uint32_t attributes; // Windows attribute bits (filesystem.h)
};

// The entries of `folder` (ending in a separator) whose names match
// `pattern`, in the order the system lists them (FindFirstFileW /
// FindNextFileA; natively readdir with "." and ".."). Patterns are "*.*"
// (every name) or "*" followed by a suffix matched without regard to case.
// nullopt when the listing cannot be started.
std::optional<std::vector<DirectoryEntry>> listDirectory(const std::string& folder,
                                                         const std::string& pattern);

// Joins the thread to the component object model for its lifetime
// (nothing natively).
class ComApartment {
public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

private:
  bool joined_ = false;
};

// Saves a shortcut (shell link) at `linkPath` that starts `target`, with
// `description`, the `arguments` when given and the icon `iconPath`,
// `iconIndex` when given and not empty. An existing file is replaced only
// by a complete new one (written as `linkPath` + ".new", flushed, moved
// over it); on failure it stays as it was.
// The thread must be in a ComApartment. Natively there are no shell links:
// false.
bool WriteShortcut(const std::string& target, const std::string& linkPath,
                   const std::string& description, const char* arguments = nullptr,
                   const char* iconPath = nullptr, int iconIndex = 0);

// The target of the shortcut at `linkPath`, asked for in its short form
// (which Wine ignores, giving the long one), read without
// any user interface and without searching for or tracking a target that
// moved; nullopt when the file cannot be loaded or names no path. The
// thread must be in a ComApartment. Natively: nullopt.
std::optional<std::string> ResolveShortcutTarget(const std::string& linkPath);

} // namespace ravelock::platform
