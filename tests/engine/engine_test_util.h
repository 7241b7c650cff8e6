#pragma once
#include "engine/cipher/cipher.h"
#include "engine/files/chunk_stream.h"

#include <cstddef>
#include <string>

namespace ravelock::engine {

inline unsigned char* bytes(std::string& s) {
  return reinterpret_cast<unsigned char*>(s.data());
}

inline void keyed(CipherState& c, const std::string& key) {
  c.Init(reinterpret_cast<const unsigned char*>(key.data()), key.size());
}

// Small chunks for the life of a test, so that a file of a few kilobytes
// streams through the ring many times over.
class ScopedChunkBytes {
public:
  explicit ScopedChunkBytes(std::size_t bytes) : saved_(streamChunkBytes()) {
    setStreamChunkBytes(bytes);
  }
  ~ScopedChunkBytes() { setStreamChunkBytes(saved_); }
  ScopedChunkBytes(const ScopedChunkBytes&) = delete;
  ScopedChunkBytes& operator=(const ScopedChunkBytes&) = delete;

private:
  std::size_t saved_;
};

// Chunks of this size, and a file of several chunks and a tail: more
// chunks than the ring has slots.
inline constexpr std::size_t kTestChunkBytes = 4096;
inline constexpr std::size_t kManyChunksBytes = 6 * kTestChunkBytes + 1234;

} // namespace ravelock::engine
