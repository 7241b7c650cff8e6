#include "engine/cipher/crypt_team.h"

#include "engine/cipher/crc32.h"

#include <algorithm>
#include <cstring>

namespace ravelock::engine {

namespace {

// The CRC reads a piece, the cipher then finds it in the first-level cache.
constexpr std::size_t kPieceBytes = 8192;

// Below this a share is not worth a thread's wake-up.
constexpr std::size_t kMinShareBytes = 64 * 1024;

constexpr std::size_t kMaxThreads = 64;

std::uint32_t cryptRange(CryptTeam::Direction direction, const CipherState& cipher,
                         unsigned char* data, std::size_t length) {
  std::uint32_t running = kCrcInitial;
  for (std::size_t done = 0; done < length;) {
    const std::size_t n = std::min(kPieceBytes, length - done);
    unsigned char* piece = data + done;
    if (direction == CryptTeam::Direction::Encipher) {
      running = crc32Update(running, piece, n);
      cipher.EncryptBlocks(piece, n / 8);
    } else {
      cipher.DecryptBlocks(piece, n / 8);
      running = crc32Update(running, piece, n);
    }
    done += n;
  }
  return crc32Final(running);
}

} // namespace

std::size_t CryptTeam::defaultThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return std::clamp<std::size_t>(n, 1, kMaxThreads);
}

CryptTeam::CryptTeam(std::size_t threads) : crcs_(std::max<std::size_t>(threads, 1)) {
  for (std::size_t i = 0; i < crcs_.size(); ++i)
    ciphers_.push_back(std::make_unique<ThreadCipher>());
  for (std::size_t i = 1; i < crcs_.size(); ++i)
    workers_.emplace_back([this, i] { work(i); });
}

CryptTeam::~CryptTeam() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_)
    t.join();
}

void CryptTeam::runShare(const Job& job, std::size_t index) {
  const std::size_t begin = std::min(job.length, index * job.share);
  const std::size_t end = std::min(job.length, begin + job.share);
  CipherState& own = ciphers_[index]->state;
  std::memcpy(own.P, job.cipher->P, sizeof own.P);
  std::memcpy(own.S, job.cipher->S, sizeof own.S);
  crcs_[index] = cryptRange(job.direction, own, job.data + begin, end - begin);
}

void CryptTeam::work(std::size_t index) {
  std::uint64_t seen = 0;
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return closing_ || generation_ != seen; });
      if (closing_)
        return;
      seen = generation_;
      job = job_;
    }
    runShare(job, index);
    std::lock_guard lock(mutex_);
    if (--pending_ == 0)
      done_.notify_one();
  }
}

std::uint32_t CryptTeam::run(Direction direction, const CipherState& cipher,
                             unsigned char* data, std::size_t length) {
  const std::size_t blocks = length / 8;
  const std::size_t useful =
      std::clamp<std::size_t>(length / kMinShareBytes, 1, crcs_.size());
  const Job job{direction, &cipher, data, length, 8 * ((blocks + useful - 1) / useful)};
  if (useful == 1)
    return cryptRange(direction, cipher, data, length);
  {
    std::lock_guard lock(mutex_);
    job_ = job;
    pending_ = crcs_.size() - 1;
    ++generation_;
  }
  wake_.notify_all();
  runShare(job, 0);
  {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return pending_ == 0; });
  }
  // Threads past the useful ones had empty shares: CRC 0 of length 0.
  std::uint32_t crc = crcs_[0];
  for (std::size_t i = 1; i < useful; ++i) {
    const std::size_t begin = std::min(length, i * job.share);
    const std::size_t end = std::min(length, begin + job.share);
    crc = crc32Combine(crc, crcs_[i], end - begin);
  }
  return crc;
}

} // namespace ravelock::engine
