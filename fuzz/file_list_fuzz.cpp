// The receiver's reading of a file-list section on arbitrary bytes: an
// exact-size copy so a read past the section is caught; a list taken as
// valid must walk to exactly its count of paths within its bytes.

#include "shell/handoff/file_list.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace ravelock::handoff;
  const std::vector<unsigned char> section(data, data + size);
  const ReceivedFileList got = readFileListSection(section);
  if (!got.valid)
    return 0;
  const char* item = got.list.data();
  const char* end = got.list.data() + got.list.size();
  for (int i = 0; i < got.count; ++i) {
    const void* nul = std::memchr(item, '\0', end - item);
    if (!nul || nul == item)
      std::abort();
    item = static_cast<const char*>(nul) + 1;
  }
  if (*item != '\0')
    std::abort();
  return 0;
}
