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
  // The path of `name` inside the folder, as the engine's ANSI string.
  std::string file(std::string_view name) const;

private:
  std::filesystem::path path_;
};

void writeFile(const std::string& path, std::string_view bytes);
std::string readFile(const std::string& path);

} // namespace ravelock::test
