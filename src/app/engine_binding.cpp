#include "app/engine_binding.h"

namespace ravelock::app {

namespace {

template <typename Function>
bool bindExport(const platform::Library& library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(library.symbol(name));
  return function != nullptr;
}

} // namespace

int EngineBinding::bind(const std::string& programFolder) {
  if (library_)
    return 1;
  std::unique_ptr<platform::Library> library;
  if (!programFolder.empty())
    library = std::make_unique<platform::Library>(programFolder + kEngineLibrary);
  if (!library || !library->isLoaded())
    library = std::make_unique<platform::Library>(kEngineLibrary);
  if (!library->isLoaded())
    return 0;
  // In the order the design looks them up; every one must be there.
  EngineExports found;
  const bool all =
      bindExport(*library, "CryptFiles", found.cryptFiles) &&
      bindExport(*library, "DeCryptFiles", found.decryptFiles) &&
      bindExport(*library, "CryptFreeBuffer", found.cryptFreeBuffer) &&
      bindExport(*library, "IsValidRLKfile", found.isValidRlkFile) &&
      bindExport(*library, "IsValidDatabazeRLKfile", found.isValidDatabaseFile) &&
      bindExport(*library, "DecryptBuffer", found.decryptBuffer);
  if (!all)
    return 0;
  library_ = std::move(library);
  exports_ = found;
  return 1;
}

} // namespace ravelock::app
