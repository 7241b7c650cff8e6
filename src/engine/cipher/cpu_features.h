#pragma once
// What the processor and the operating system let the fast kernels use,
// asked once. Everything is false on processors other than x86-64, where
// only the portable kernels run.

namespace ravelock::engine {

struct CpuFeatures {
  bool pclmul = false;  // carry-less multiplication on 128-bit registers
  bool avx2 = false;    // 256-bit integer vectors with gathers
  bool avx512 = false;  // AVX-512 F and BW, with the OS saving the registers
  bool vpclmul = false; // carry-less multiplication on 512-bit registers
};

const CpuFeatures& cpuFeatures();

} // namespace ravelock::engine
