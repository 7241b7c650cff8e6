#pragma once
// Windows only: the receiving end of the file-list hand-off.

#include "app/engine_binding.h"

#include <string>

namespace ravelock::app {

// Maps the inherited section whose handle `handleArgument` gives in
// decimal, copies the list out, signals the sender's done event and runs
// CryptFiles (encrypt) or DeCryptFiles on the copy. Nothing runs when the
// section cannot be mapped or its list cannot be trusted.
void ReceiveFileList(const EngineExports& engine, const std::string& handleArgument,
                     bool encrypt);

} // namespace ravelock::app
