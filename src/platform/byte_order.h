#pragma once
// Little-endian words as the file formats and the key server's messages
// store them, whatever the machine's own order.

#include <bit>
#include <cstdint>
#include <cstring>

namespace ravelock::platform {

inline std::uint32_t loadLe32(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big)
    v = __builtin_bswap32(v);
  return v;
}

inline std::uint16_t loadLe16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline void storeLe32(unsigned char* p, std::uint32_t v) {
  if constexpr (std::endian::native == std::endian::big)
    v = __builtin_bswap32(v);
  std::memcpy(p, &v, 4);
}

} // namespace ravelock::platform
