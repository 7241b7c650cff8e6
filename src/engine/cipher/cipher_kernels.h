#pragma once
// The ways of running many blocks through the cipher, side by side. All give
// the same bytes; which is fastest depends on the processor (gathers are fast
// on some and slower than scalar code on others), so the choice is made at
// run time, once per process: by CPUID, then by a short measurement of the
// candidates on this machine.

#include "engine/cipher/cipher.h"

#include <cstddef>
#include <span>

namespace ravelock::engine {

using BlockFunction = void (*)(const CipherState&, unsigned char* data,
                               std::size_t blockCount);

struct CipherKernel {
  const char* name;
  BlockFunction encrypt;
  BlockFunction decrypt;
};

// One block at a time through CipherState::EncryptBlock/DecryptBlock: the
// reference every other kernel is tested against.
const CipherKernel& referenceCipherKernel();

// The kernels this processor can run, the reference first.
std::span<const CipherKernel> supportedCipherKernels();

// The fastest supported kernel, measured on first use.
const CipherKernel& selectedCipherKernel();

// The vector kernels, present on x86-64 only. Each handles whole groups
// itself and the tail with the portable rounds.
void encryptBlocksAvx2(const CipherState&, unsigned char*, std::size_t);
void decryptBlocksAvx2(const CipherState&, unsigned char*, std::size_t);
void encryptBlocksAvx512(const CipherState&, unsigned char*, std::size_t);
void decryptBlocksAvx512(const CipherState&, unsigned char*, std::size_t);

} // namespace ravelock::engine
