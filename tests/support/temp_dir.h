#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.

#include <filesystem>
#include <string>
#include <string_view>

namespace ravelock::test {

class TempDir {
public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` (UTF-8) inside the folder, in UTF-8 as the engine
  // takes it.
  std::string file(std::string_view name) const;

private:
  std::filesystem::path path_;
};

// Between the engine's UTF-8 paths and the standard library's.
std::filesystem::path fileSystemPath(std::string_view utf8);
std::string utf8Of(const std::filesystem::path& path);

// Files named by UTF-8 paths.
void writeFile(const std::string& path, std::string_view bytes);
std::string readFile(const std::string& path);

} // namespace ravelock::test
