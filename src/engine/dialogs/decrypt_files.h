#pragma once
// The decryption run behind DeCryptFiles, for the library's own callers:
// items and target in UTF-8, as inside.

#include <cstdint>

namespace ravelock::engine {

// DeCryptFiles's run and answers, without the caller's code page; nothing
// is thrown.
std::int32_t decryptItems(const char* items, std::int32_t count, char* lastTarget);

} // namespace ravelock::engine
