// A stand-in engine library for the binding tests: every export of the
// real one but FAKE_OMIT, each answering with FAKE_MARK so the test can
// tell which library was bound; DllGetVersion reports 1.1 build 5.
#include <cstdint>

#define FAKE_EXPORT extern "C" __declspec(dllexport)

#define FAKE_OMITS(name) (FAKE_OMIT_##name + 0)
#ifndef FAKE_OMIT_CryptFiles
#define FAKE_OMIT_CryptFiles 0
#endif
#ifndef FAKE_OMIT_DeCryptFiles
#define FAKE_OMIT_DeCryptFiles 0
#endif
#ifndef FAKE_OMIT_CryptFreeBuffer
#define FAKE_OMIT_CryptFreeBuffer 0
#endif
#ifndef FAKE_OMIT_IsValidRLKfile
#define FAKE_OMIT_IsValidRLKfile 0
#endif
#ifndef FAKE_OMIT_IsValidDatabazeRLKfile
#define FAKE_OMIT_IsValidDatabazeRLKfile 0
#endif
#ifndef FAKE_OMIT_DecryptBuffer
#define FAKE_OMIT_DecryptBuffer 0
#endif

#if !FAKE_OMITS(CryptFiles)
FAKE_EXPORT std::int32_t CryptFiles(const char*, std::int32_t) {
  return FAKE_MARK;
}
#endif
#if !FAKE_OMITS(DeCryptFiles)
FAKE_EXPORT std::int32_t DeCryptFiles(const char*, std::int32_t, char*) {
  return FAKE_MARK;
}
#endif
#if !FAKE_OMITS(CryptFreeBuffer)
FAKE_EXPORT std::int32_t CryptFreeBuffer(unsigned char*, std::uint32_t*, const char*,
                                         std::int32_t, void*, std::uint32_t*,
                                         std::uint32_t*) {
  return FAKE_MARK;
}
#endif
#if !FAKE_OMITS(IsValidRLKfile)
FAKE_EXPORT std::int32_t IsValidRLKfile(const char*, void*) {
  return FAKE_MARK;
}
#endif
#if !FAKE_OMITS(IsValidDatabazeRLKfile)
FAKE_EXPORT std::int32_t IsValidDatabazeRLKfile(const unsigned char*, std::uint32_t,
                                                const void*, const void*) {
  return FAKE_MARK;
}
#endif
#if !FAKE_OMITS(DecryptBuffer)
FAKE_EXPORT std::int32_t DecryptBuffer(unsigned char*, std::uint32_t, const char*,
                                       std::int32_t, void*, std::uint32_t,
                                       std::uint32_t) {
  return FAKE_MARK;
}
#endif

FAKE_EXPORT std::int32_t DllGetVersion(std::uint32_t* info) {
  if (info[0] != 20)
    return 1;
  info[1] = 1;
  info[2] = 1;
  info[3] = 5;
  info[4] = 1;
  return 0;
}
