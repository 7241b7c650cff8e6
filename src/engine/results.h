#pragma once
// The engine's 32-bit result codes and the texts the error report shows.

#include <cstdint>
#include <string>

namespace ravelock::engine {

inline constexpr std::int32_t kResultOk = 0;
inline constexpr std::int32_t kResultBadCrc = 816;  // key check or short content
inline constexpr std::int32_t kResultStopped = 817; // skipped or cancelled, not an error
inline constexpr std::int32_t kResultNoKey = 818;
inline constexpr std::int32_t kResultBadBufferSize = 819;
inline constexpr std::int32_t kResultContentCrc = 820;

// The text of an encryption result code.
std::string encryptionMessage(std::uint32_t code);

// The text of a decryption (or file test) result code.
std::string decryptionMessage(std::uint32_t code);

} // namespace ravelock::engine
