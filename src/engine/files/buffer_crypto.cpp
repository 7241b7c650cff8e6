#include "engine/files/buffer_crypto.h"

#include "engine/cipher/crc32.h"
#include "engine/files/progress_meter.h"
#include "engine/format/header.h"
#include "engine/results.h"

#include <algorithm>

namespace ravelock::engine {

namespace {

// The stop state is polled, and progress sent, after every 64th block.
constexpr std::size_t kBlocksPerPoll = 64;

} // namespace

std::int32_t encipherPadded(const CipherState& cipher, unsigned char* data,
                            std::size_t paddedLength, ProgressLink* progress,
                            ContentCrcs& crcs) {
  if (paddedLength >= kKeyCheckBytes)
    crcs.keyCheck = crc32(data, kKeyCheckBytes);
  ProgressMeter meter(progress, paddedLength);
  std::uint32_t running = kCrcInitial;
  const std::size_t blocks = paddedLength / 8;
  // One poll interval at a time: its plain bytes are still in cache for
  // the cipher after the CRC has read them.
  for (std::size_t done = 0; done < blocks;) {
    const std::size_t n = std::min(kBlocksPerPoll, blocks - done);
    unsigned char* chunk = data + 8 * done;
    running = crc32Update(running, chunk, 8 * n);
    cipher.EncryptBlocks(chunk, n);
    done += n;
    if (n == kBlocksPerPoll && !meter.reached(8 * done))
      return kResultStopped;
  }
  crcs.content = crc32Final(running);
  if (paddedLength < kKeyCheckBytes)
    crcs.keyCheck = crcs.content;
  return kResultOk;
}

std::int32_t decipherPayload(const CipherState& cipher, unsigned char* data,
                             std::size_t length, ProgressLink* progress,
                             std::uint32_t keyCheckCrc, std::uint32_t contentCrc) {
  if (length % 8 != 0)
    return kResultBadBufferSize;
  ProgressMeter meter(progress, length);
  std::uint32_t running = kCrcInitial;
  const std::size_t blocks = length / 8;
  constexpr std::size_t kCheckBlocks = kKeyCheckBytes / 8;
  std::size_t done = 0;
  if (length >= kKeyCheckBytes) {
    // The key check comes first so a wrong key leaves the rest untouched.
    cipher.DecryptBlocks(data, kCheckBlocks);
    running = crc32Update(running, data, kKeyCheckBytes);
    if (crc32Final(running) != keyCheckCrc)
      return kResultBadCrc;
    done = kCheckBlocks;
  }
  while (done < blocks) {
    const std::size_t nextPoll = (done / kBlocksPerPoll + 1) * kBlocksPerPoll;
    const std::size_t end = std::min(nextPoll, blocks);
    unsigned char* chunk = data + 8 * done;
    cipher.DecryptBlocks(chunk, end - done);
    running = crc32Update(running, chunk, 8 * (end - done));
    done = end;
    if (done == nextPoll && !meter.reached(8 * done))
      return kResultStopped;
  }
  meter.resendLast();
  if (crc32Final(running) != contentCrc)
    return length >= kKeyCheckBytes ? kResultContentCrc : kResultBadCrc;
  return kResultOk;
}

} // namespace ravelock::engine
