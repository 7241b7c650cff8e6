#pragma once
// The per-file steps of a batch run, between the worker loop and the
// single-file routines: the Skip button, the abort question, and recording
// failures.

#include "engine/batch/error_list.h"
#include "engine/progress_link.h"
#include "keyserver/key_record.h"

#include <cstdint>
#include <string>

namespace ravelock::engine {

// 1 go on with the run, 0 stop it.
int encryptOneFile(const std::string& path, const KeyRecord& key, ProgressLink* progress,
                   std::int32_t deleteOriginal, ErrorList& errors,
                   const std::string& targetName, std::uintptr_t showSkip);
int decryptOneFile(const std::string& path, char* lastTarget, KeyRecord& lastKey,
                   ProgressLink* progress, std::int32_t* deleteOriginal,
                   ErrorList& errors, std::uintptr_t showSkip);

} // namespace ravelock::engine
