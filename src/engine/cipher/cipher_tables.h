#pragma once
#include <array>
#include <cstdint>

namespace ravelock::engine {

// The fractional hexadecimal digits of pi: 18 subkeys, then four S-boxes.
extern const std::array<std::uint32_t, 18> kInitialP;
extern const std::array<std::uint32_t, 256> kInitialS0;
extern const std::array<std::uint32_t, 256> kInitialS1;
extern const std::array<std::uint32_t, 256> kInitialS2;
extern const std::array<std::uint32_t, 256> kInitialS3;

} // namespace ravelock::engine
