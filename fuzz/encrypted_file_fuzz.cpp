// The file test on arbitrary file contents, through a real file.

#include "engine/files/file_test.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  static const std::string path =
      "/tmp/ravelock-fuzz-" + std::to_string(getpid()) + ".rlk";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  ravelock::engine::HeaderInfo info;
  ravelock::engine::testEncryptedFile(path.c_str(), &info);
  return 0;
}
