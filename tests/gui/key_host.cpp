// The program the key-dialog tests start, calling velldll's batch exports
// as the main program does:
//
//   key_host encrypt LIST RESULT   CryptFiles on the paths of LIST
//   key_host decrypt LIST RESULT   DeCryptFiles on the paths of LIST
//
// LIST holds one path per line; RESULT receives the export's answer.

#include "item_list_file.h"
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

template <typename Fn> Fn* bind(HMODULE library, const char* name) {
  return reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: key_host encrypt|decrypt LIST RESULT\n", stderr);
    return 2;
  }
  HMODULE library = LoadLibraryW(L"velldll.dll");
  if (!library)
    return 3;
  int count = 0;
  const std::string items = ravelock::gui::readItems(argv[2], count);
  int32_t answer = -2;
  if (std::strcmp(argv[1], "encrypt") == 0) {
    auto* run = bind<int32_t(const char*, int32_t)>(library, "CryptFiles");
    if (!run)
      return 3;
    answer = run(items.c_str(), count);
  } else {
    auto* run = bind<int32_t(const char*, int32_t, char*)>(library, "DeCryptFiles");
    if (!run)
      return 3;
    char lastTarget[260] = {};
    answer = run(items.c_str(), count, lastTarget);
  }
  std::ofstream(argv[3], std::ios::binary) << answer << '\n';
  return 0;
}
