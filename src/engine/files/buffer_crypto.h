#pragma once
// Enciphering and deciphering of payloads with the CRCs of the file header
// folded in the same pass, on every core. The buffer exports hand over a
// whole payload at once, the file routines one chunk after the other; the
// caller keys the cipher once.

#include "engine/cipher/cipher.h"
#include "engine/cipher/crypt_team.h"
#include "engine/files/progress_meter.h"
#include "engine/progress_link.h"

#include <cstddef>
#include <cstdint>

namespace ravelock::engine {

struct ContentCrcs {
  std::uint32_t keyCheck = 0;
  std::uint32_t content = 0;
};

// A payload of `total` bytes (whole blocks) passed through in order, in
// pieces of any whole number of blocks. Every 64 blocks of the whole the
// link, when given, is polled and sent UM_SET_PROGRESS when the percentage
// grew, as if the payload went through in one pass.
class PayloadPass {
public:
  PayloadPass(const CipherState& cipher, CryptTeam& team, ProgressLink* link,
              std::uint64_t total)
      : cipher_(cipher), team_(team), meter_(link, total) {}

  // Once the last piece is also written: the bar at its end, for a payload
  // whose last poll fell short of it.
  void completed() { meter_.finished(); }

protected:
  // Runs the cipher over the next `length` bytes and folds in their CRC:
  // 0 or kResultStopped.
  std::int32_t pass(CryptTeam::Direction direction, unsigned char* data,
                    std::size_t length);

  const CipherState& cipher_;
  CryptTeam& team_;
  ProgressMeter meter_;
  std::uint64_t done_ = 0;
  std::uint32_t crc_ = 0; // final CRC of the plain bytes so far
};

class PayloadEncipherer : public PayloadPass {
public:
  using PayloadPass::PayloadPass;
  // Enciphers the next piece in place (padding already zero): 0 or 817.
  std::int32_t next(unsigned char* data, std::size_t length);
  // The CRCs once the whole payload went through.
  ContentCrcs crcs() const;

private:
  std::uint32_t keyCheck_ = 0;
};

class PayloadDecipherer : public PayloadPass {
public:
  PayloadDecipherer(const CipherState& cipher, CryptTeam& team, ProgressLink* link,
                    std::uint64_t total, std::uint32_t keyCheckCrc,
                    std::uint32_t contentCrc)
      : PayloadPass(cipher, team, link, total), keyCheckCrc_(keyCheckCrc),
        contentCrc_(contentCrc) {}
  // Deciphers the next piece in place. The first piece of a payload of at
  // least 128 bytes starts with the key check (816, the rest of the piece
  // left enciphered); 0 or 817 otherwise.
  std::int32_t next(unsigned char* data, std::size_t length);
  // After the last piece: resends the last percentage, then 816 (below 128
  // bytes) or 820 when the content CRC does not match, else 0.
  std::int32_t finish();

private:
  std::uint32_t keyCheckCrc_;
  std::uint32_t contentCrc_;
};

// Enciphers `paddedLength` bytes (a multiple of 8, padding already zero) in
// place and returns their CRCs: 0 or 817.
std::int32_t encipherPadded(const CipherState& cipher, unsigned char* data,
                            std::size_t paddedLength, ProgressLink* progress,
                            ContentCrcs& crcs);

// Deciphers a payload in place and checks it: 819 length not whole blocks
// (nothing changed); 816 the first 128 bytes do not match the key-check CRC
// (the rest stays enciphered) or, below 128 bytes, the content CRC; 820 the
// content CRC does not match; 817 stopped. 0 when both checks pass.
std::int32_t decipherPayload(const CipherState& cipher, unsigned char* data,
                             std::size_t length, ProgressLink* progress,
                             std::uint32_t keyCheckCrc, std::uint32_t contentCrc);

// A team for a payload of this size: one thread when threads would not pay.
std::size_t teamThreadsFor(std::uint64_t payloadBytes);

} // namespace ravelock::engine
