#pragma once
// Names of encrypted files: ".rlk" appended on encryption, removed on
// decryption, compared without regard to case and never inside a
// double-byte character.

#include <cstddef>
#include <string>

namespace ravelock::engine {

// Paths are at most this long with their terminator.
inline constexpr std::size_t kMaxPath = 260;

bool hasEncryptedExtension(const std::string& path);

// `path` with ".rlk" appended unless it already ends in it.
std::string withEncryptedExtension(const std::string& path);

} // namespace ravelock::engine
