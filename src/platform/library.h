#pragma once
// Loading a shared library and binding its exports by name
// (LoadLibraryW/GetProcAddress, dlopen/dlsym).

#include <string>

namespace ravelock::platform {

class Library {
public:
  explicit Library(const std::string& path);
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  ~Library();

  bool isLoaded() const { return handle_ != nullptr; }

  // The export's address, or nullptr when the library has no such export.
  void* symbol(const char* name) const;

  // The file name of a library in the native form, e.g. "velldll.dll" or
  // "libvelldll.so" for the base name "velldll".
  static std::string fileName(const std::string& baseName);

private:
  void* handle_ = nullptr;
};

} // namespace ravelock::platform
