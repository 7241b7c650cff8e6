#pragma once
// Known answers produced by tools/reference/rlk_reference.py, an independent
// implementation written from the format description.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ravelock::test {

struct KnownAnswer {
  std::size_t keyLength;
  std::size_t plainLength;
  std::size_t paddedLength;
  std::uint32_t keyCheckCrc;
  std::uint32_t contentCrc;
  std::uint32_t zeroBlockL;
  std::uint32_t zeroBlockR;
  std::string_view cipherText;
};

using namespace std::string_view_literals;

inline constexpr KnownAnswer kKnownAnswers[] = {
#include "engine/known_answers.inc"
};

// The inputs the reference used.
inline std::string knownKey(std::size_t n) {
  std::string key(n, '\0');
  for (std::size_t i = 0; i < n; ++i)
    key[i] = static_cast<char>(33 + (i * 37 + n) % 94);
  return key;
}

inline std::string knownPlain(std::size_t n) {
  std::string plain(n, '\0');
  for (std::size_t i = 0; i < n; ++i)
    plain[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  return plain;
}

} // namespace ravelock::test
