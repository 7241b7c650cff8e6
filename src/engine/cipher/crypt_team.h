#pragma once
// Enciphering or deciphering a range on every core: each thread takes one
// contiguous share, folds the CRC of its plain bytes in while the bytes are
// in cache, and the shares' CRCs are combined in order. The threads live as
// long as the team, so a file streamed in chunks starts them once.

#include "engine/cipher/cipher.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ravelock::engine {

class CryptTeam {
public:
  enum class Direction { Encipher, Decipher };

  // All the processor's threads by default; 1 runs everything on the caller.
  explicit CryptTeam(std::size_t threads = defaultThreads());
  CryptTeam(const CryptTeam&) = delete;
  CryptTeam& operator=(const CryptTeam&) = delete;
  ~CryptTeam();

  // Runs the cipher over `length` bytes (whole blocks) in place and returns
  // the final CRC-32 of their plain form (before enciphering, after
  // deciphering).
  std::uint32_t run(Direction direction, const CipherState& cipher, unsigned char* data,
                    std::size_t length);

  std::size_t threads() const { return crcs_.size(); }
  static std::size_t defaultThreads();

private:
  struct Job {
    Direction direction;
    const CipherState* cipher;
    unsigned char* data;
    std::size_t length;
    std::size_t share; // bytes per thread, whole blocks
  };

  void work(std::size_t index);
  void runShare(const Job& job, std::size_t index);

  // Each thread reads its own copy of the key's tables, on cache lines of
  // its own: a line shared with anything another core writes (a caller's
  // stack) would be fetched back on every round.
  struct alignas(64) ThreadCipher {
    CipherState state;
  };

  std::vector<std::thread> workers_;
  std::vector<std::uint32_t> crcs_; // one per share
  std::vector<std::unique_ptr<ThreadCipher>> ciphers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  Job job_{};
  std::uint64_t generation_ = 0;
  std::size_t pending_ = 0;
  bool closing_ = false;
};

} // namespace ravelock::engine
