#include "engine/cipher/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace ravelock::engine {

namespace {

#if defined(__x86_64__) || defined(__i386__)

// The register state the OS saves on a switch (XCR0); asked without the
// xsave target so the portable build needs no extra flags.
unsigned long long savedStateMask() {
  unsigned lo = 0, hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (static_cast<unsigned long long>(hi) << 32) | lo;
}

CpuFeatures detect() {
  CpuFeatures f;
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d))
    return f;
  f.pclmul = (c & bit_PCLMUL) != 0;
  const bool osSavesVectors = (c & bit_OSXSAVE) != 0;
  if (!osSavesVectors || !(c & bit_AVX))
    return f;
  const unsigned long long state = savedStateMask();
  constexpr unsigned long long kYmm = 0x6;         // SSE and AVX halves
  constexpr unsigned long long kZmm = 0xE0 | kYmm; // opmask and both ZMM parts
  if ((state & kYmm) != kYmm || !__get_cpuid_count(7, 0, &a, &b, &c, &d))
    return f;
  f.avx2 = (b & bit_AVX2) != 0;
  f.avx512 = (state & kZmm) == kZmm && (b & bit_AVX512F) && (b & bit_AVX512BW);
  f.vpclmul = f.avx512 && f.pclmul && (c & bit_VPCLMULQDQ) != 0;
  return f;
}

#else

CpuFeatures detect() {
  return {};
}

#endif

} // namespace

const CpuFeatures& cpuFeatures() {
  static const CpuFeatures features = detect();
  return features;
}

} // namespace ravelock::engine
