#pragma once
// CRC-32 as used by zip: reflected polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, final complement. Check value: "123456789" -> 0xCBF43926.

#include <cstddef>
#include <cstdint>

namespace ravelock::engine {

inline constexpr std::uint32_t kCrcInitial = 0xFFFFFFFFu;

// Running form: start with kCrcInitial, update over the pieces in order,
// complement once at the end (crc32Final).
std::uint32_t crc32Update(std::uint32_t running, const unsigned char* data,
                          std::size_t length);

inline std::uint32_t crc32Final(std::uint32_t running) {
  return ~running;
}

// Whole-range form.
inline std::uint32_t crc32(const unsigned char* data, std::size_t length) {
  return crc32Final(crc32Update(kCrcInitial, data, length));
}

// One byte at a time with the 256-entry table: the reference the fast
// version is tested against.
std::uint32_t crc32UpdateBytewise(std::uint32_t running, const unsigned char* data,
                                  std::size_t length);

} // namespace ravelock::engine
