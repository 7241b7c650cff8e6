#pragma once
// CRC-32 as used by zip: reflected polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, final complement. Check value: "123456789" -> 0xCBF43926.

#include <cstddef>
#include <cstdint>
#include <span>

namespace ravelock::engine {

inline constexpr std::uint32_t kCrcInitial = 0xFFFFFFFFu;

// Running form: start with kCrcInitial, update over the pieces in order,
// complement once at the end (crc32Final). Runs the fastest kernel the
// processor has (carry-less multiplication where present).
std::uint32_t crc32Update(std::uint32_t running, const unsigned char* data,
                          std::size_t length);

inline std::uint32_t crc32Final(std::uint32_t running) {
  return ~running;
}

// Whole-range form.
inline std::uint32_t crc32(const unsigned char* data, std::size_t length) {
  return crc32Final(crc32Update(kCrcInitial, data, length));
}

// The CRC of A followed by B, from the (final) CRCs of each and B's length,
// so that pieces can be computed apart, on different threads.
std::uint32_t crc32Combine(std::uint32_t crcA, std::uint32_t crcB, std::uint64_t lengthB);

// One byte at a time with the 256-entry table: the reference the sliced
// version is tested against.
std::uint32_t crc32UpdateBytewise(std::uint32_t running, const unsigned char* data,
                                  std::size_t length);

// Sixteen bytes a step with sixteen tables: the portable kernel, and the
// reference of the carry-less ones.
std::uint32_t crc32UpdateSliced(std::uint32_t running, const unsigned char* data,
                                std::size_t length);

using CrcFunction = std::uint32_t (*)(std::uint32_t running, const unsigned char* data,
                                      std::size_t length);

struct CrcKernel {
  const char* name;
  CrcFunction update;
};

// The kernels this processor can run, the sliced reference first and the
// one crc32Update uses last.
std::span<const CrcKernel> supportedCrcKernels();

// x86-64 only: 128-bit folding (PCLMULQDQ), 512-bit folding (VPCLMULQDQ).
std::uint32_t crc32UpdatePclmul(std::uint32_t, const unsigned char*, std::size_t);
std::uint32_t crc32UpdateVpclmul(std::uint32_t, const unsigned char*, std::size_t);

} // namespace ravelock::engine
