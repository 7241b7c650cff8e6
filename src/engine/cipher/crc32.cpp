#include "engine/cipher/crc32.h"

#include "engine/cipher/cpu_features.h"
#include "platform/byte_order.h"

#include <array>
#include <vector>

namespace ravelock::engine {

using platform::loadLe32;
using platform::storeLe32;

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;
constexpr int kSlices = 16;

// table[0] is the classic byte table; table[k][b] is the CRC of byte b
// followed by k zero bytes, which lets 16 input bytes be folded per step
// with independent lookups (slicing by 16).
constexpr auto makeTables() {
  std::array<std::array<std::uint32_t, 256>, kSlices> t{};
  for (std::uint32_t b = 0; b < 256; ++b) {
    std::uint32_t c = b;
    for (int k = 0; k < 8; ++k)
      c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
    t[0][b] = c;
  }
  for (int s = 1; s < kSlices; ++s)
    for (std::uint32_t b = 0; b < 256; ++b)
      t[s][b] = (t[s - 1][b] >> 8) ^ t[0][t[s - 1][b] & 0xFF];
  return t;
}

constexpr auto kTables = makeTables();

} // namespace

std::uint32_t crc32UpdateBytewise(std::uint32_t crc, const unsigned char* data,
                                  std::size_t length) {
  for (std::size_t i = 0; i < length; ++i)
    crc = (crc >> 8) ^ kTables[0][(crc ^ data[i]) & 0xFF];
  return crc;
}

std::uint32_t crc32UpdateSliced(std::uint32_t crc, const unsigned char* data,
                                std::size_t length) {
  const auto& t = kTables;
  while (length >= 16) {
    const std::uint32_t w0 = loadLe32(data) ^ crc;
    const std::uint32_t w1 = loadLe32(data + 4);
    const std::uint32_t w2 = loadLe32(data + 8);
    const std::uint32_t w3 = loadLe32(data + 12);
    crc = t[15][w0 & 0xFF] ^ t[14][(w0 >> 8) & 0xFF] ^ t[13][(w0 >> 16) & 0xFF] ^
          t[12][w0 >> 24] ^ t[11][w1 & 0xFF] ^ t[10][(w1 >> 8) & 0xFF] ^
          t[9][(w1 >> 16) & 0xFF] ^ t[8][w1 >> 24] ^ t[7][w2 & 0xFF] ^
          t[6][(w2 >> 8) & 0xFF] ^ t[5][(w2 >> 16) & 0xFF] ^ t[4][w2 >> 24] ^
          t[3][w3 & 0xFF] ^ t[2][(w3 >> 8) & 0xFF] ^ t[1][(w3 >> 16) & 0xFF] ^
          t[0][w3 >> 24];
    data += 16;
    length -= 16;
  }
  return crc32UpdateBytewise(crc, data, length);
}

namespace {

std::vector<CrcKernel> listSupported() {
  std::vector<CrcKernel> kernels{{"sliced16", crc32UpdateSliced}};
#if defined(__x86_64__)
  if (cpuFeatures().pclmul)
    kernels.push_back({"pclmul", crc32UpdatePclmul});
  if (cpuFeatures().vpclmul)
    kernels.push_back({"vpclmul", crc32UpdateVpclmul});
#endif
  return kernels;
}

// Polynomial product a * b mod P in the reflected domain, where bit 31 is
// x^0.
std::uint32_t multiplyModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t product = 0;
  for (std::uint32_t m = 1u << 31; m != 0; m >>= 1) {
    if (a & m)
      product ^= b;
    b = (b & 1) ? (b >> 1) ^ kPolynomial : b >> 1;
  }
  return product;
}

// x^(8n) mod P by squaring: powers[k] = x^(2^k) mod P.
std::uint32_t shiftPowerOfBytes(std::uint64_t n) {
  static const auto powers = [] {
    std::array<std::uint32_t, 67> p{};
    p[0] = 1u << 30; // x^1
    for (std::size_t k = 1; k < p.size(); ++k)
      p[k] = multiplyModP(p[k - 1], p[k - 1]);
    return p;
  }();
  std::uint32_t result = 1u << 31; // x^0
  for (std::size_t k = 3; n != 0; n >>= 1, ++k)
    if (n & 1)
      result = multiplyModP(powers[k], result);
  return result;
}

} // namespace

std::span<const CrcKernel> supportedCrcKernels() {
  static const std::vector<CrcKernel> kernels = listSupported();
  return kernels;
}

std::uint32_t crc32Update(std::uint32_t crc, const unsigned char* data,
                          std::size_t length) {
  static const CrcFunction fastest = supportedCrcKernels().back().update;
  return fastest(crc, data, length);
}

// The initial value and the final complement cancel out of the shifted A.
std::uint32_t crc32Combine(std::uint32_t crcA, std::uint32_t crcB,
                           std::uint64_t lengthB) {
  return multiplyModP(shiftPowerOfBytes(lengthB), crcA) ^ crcB;
}

} // namespace ravelock::engine
