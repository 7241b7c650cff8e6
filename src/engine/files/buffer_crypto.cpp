#include "engine/files/buffer_crypto.h"

#include "engine/cipher/crc32.h"
#include "engine/format/header.h"
#include "engine/results.h"

#include <algorithm>

namespace ravelock::engine {

namespace {

// The stop state is polled, and progress sent, after every 64th block.
constexpr std::size_t kPollBytes = 8 * 64;

// The threads meet this seldom; the polls that fell inside a round are
// made after it, in order.
constexpr std::size_t kRoundBytes = 4u << 20;

constexpr std::uint64_t kThreadsWorthBytes = 1u << 20;

} // namespace

std::size_t teamThreadsFor(std::uint64_t payloadBytes) {
  return payloadBytes >= kThreadsWorthBytes ? CryptTeam::defaultThreads() : 1;
}

std::int32_t PayloadPass::pass(CryptTeam::Direction direction, unsigned char* data,
                               std::size_t length) {
  for (std::size_t offset = 0; offset < length;) {
    const std::size_t n = std::min(kRoundBytes, length - offset);
    crc_ = crc32Combine(crc_, team_.run(direction, cipher_, data + offset, n), n);
    const std::uint64_t end = done_ + n;
    for (std::uint64_t at = (done_ / kPollBytes + 1) * kPollBytes; at <= end;
         at += kPollBytes)
      if (!meter_.reached(at))
        return kResultStopped;
    done_ = end;
    offset += n;
  }
  return kResultOk;
}

std::int32_t PayloadEncipherer::next(unsigned char* data, std::size_t length) {
  if (done_ == 0 && length >= kKeyCheckBytes)
    keyCheck_ = crc32(data, kKeyCheckBytes);
  return pass(CryptTeam::Direction::Encipher, data, length);
}

ContentCrcs PayloadEncipherer::crcs() const {
  return {done_ >= kKeyCheckBytes ? keyCheck_ : crc_, crc_};
}

std::int32_t PayloadDecipherer::next(unsigned char* data, std::size_t length) {
  if (done_ == 0 && length >= kKeyCheckBytes) {
    // The key check comes first so a wrong key leaves the rest untouched.
    cipher_.DecryptBlocks(data, kKeyCheckBytes / 8);
    crc_ = crc32(data, kKeyCheckBytes);
    if (crc_ != keyCheckCrc_)
      return kResultBadCrc;
    done_ = kKeyCheckBytes;
    data += kKeyCheckBytes;
    length -= kKeyCheckBytes;
  }
  return pass(CryptTeam::Direction::Decipher, data, length);
}

std::int32_t PayloadDecipherer::finish() {
  meter_.resendLast();
  if (crc_ != contentCrc_)
    return done_ >= kKeyCheckBytes ? kResultContentCrc : kResultBadCrc;
  return kResultOk;
}

std::int32_t encipherPadded(const CipherState& cipher, unsigned char* data,
                            std::size_t paddedLength, ProgressLink* progress,
                            ContentCrcs& crcs) {
  CryptTeam team(teamThreadsFor(paddedLength));
  PayloadEncipherer pass(cipher, team, progress, paddedLength);
  const std::int32_t result = pass.next(data, paddedLength);
  if (result == kResultOk)
    crcs = pass.crcs();
  return result;
}

std::int32_t decipherPayload(const CipherState& cipher, unsigned char* data,
                             std::size_t length, ProgressLink* progress,
                             std::uint32_t keyCheckCrc, std::uint32_t contentCrc) {
  if (length % 8 != 0)
    return kResultBadBufferSize;
  CryptTeam team(teamThreadsFor(length));
  PayloadDecipherer pass(cipher, team, progress, length, keyCheckCrc, contentCrc);
  const std::int32_t result = pass.next(data, length);
  return result == kResultOk ? pass.finish() : result;
}

} // namespace ravelock::engine
