#pragma once
// Windows only: vellapp does no encryption itself. It loads the engine
// library from the program folder (else through the system's search order)
// and binds its exports by name; they are called only while it is loaded.

#include "platform/library.h"
#include "ravelock/velldll.h"

#include <memory>
#include <string>

namespace ravelock::app {

inline constexpr char kEngineLibrary[] = "velldll.dll";

struct EngineExports {
  decltype(&::CryptFiles) cryptFiles = nullptr;
  decltype(&::DeCryptFiles) decryptFiles = nullptr;
  decltype(&::CryptFreeBuffer) cryptFreeBuffer = nullptr;
  decltype(&::IsValidRLKfile) isValidRlkFile = nullptr;
  decltype(&::IsValidDatabazeRLKfile) isValidDatabaseFile = nullptr;
  decltype(&::DecryptBuffer) decryptBuffer = nullptr;
};

class EngineBinding {
public:
  // 1 when bound (or already), 0 when no engine could be loaded or one of
  // its six exports is missing; such a library is unloaded again.
  int bind(const std::string& programFolder);
  // Frees the library; safe to call twice.
  void unload() { library_.reset(); }
  bool isBound() const { return library_ != nullptr; }

  // Valid while bound.
  const EngineExports& exports() const { return exports_; }

private:
  std::unique_ptr<platform::Library> library_;
  EngineExports exports_;
};

} // namespace ravelock::app
