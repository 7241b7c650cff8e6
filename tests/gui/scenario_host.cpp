// The program a GUI test starts to run a scenario in a process of its own,
// as the main program would:
//
//   gui_host decrypt LIST RESULT
//     calls velldll's DeCryptFiles on the paths of LIST (one per line);
//   gui_host encrypt KEY LIST RESULT
//     runs an encryption behind the encryption progress dialog under KEY.
//
// RESULT receives the export's answer and the last target, one per line.

#include "engine/batch/jobs.h"
#include "engine/dialogs/progress_dialog.h"
#include "item_list_file.h"
#include "ravelock/velldll.h"
#include "ui/resources.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

using namespace ravelock;

void writeResult(const char* resultFile, int answer, const char* lastTarget) {
  std::ofstream out(resultFile, std::ios::binary);
  out << answer << '\n' << lastTarget << '\n';
}

int decrypt(const char* listFile, const char* resultFile) {
  HMODULE library = LoadLibraryW(L"velldll.dll");
  if (!library)
    return 3;
  using DeCryptFilesFn = int32_t (*)(const char*, int32_t, char*);
  auto* run = reinterpret_cast<DeCryptFilesFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "DeCryptFiles")));
  if (!run)
    return 3;
  int count = 0;
  const std::string items = gui::readItems(listFile, count);
  char lastTarget[260] = {};
  writeResult(resultFile, run(items.c_str(), count, lastTarget), lastTarget);
  return 0;
}

int encrypt(const char* key, const char* listFile, const char* resultFile) {
  // The dialogs come from the engine library's resources.
  HMODULE resources = LoadLibraryExW(
      L"velldll.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!resources)
    return 3;
  KeyRecord record{};
  // A key of 56 bytes has no terminator in the record.
  const std::size_t length = std::min(std::strlen(key), kMaxKeyLength);
  std::memcpy(record.key, key, length);
  record.length = static_cast<std::uint32_t>(length);
  std::strcpy(record.name, "gui key");
  int count = 0;
  const std::string items = gui::readItems(listFile, count);
  engine::EncryptJob job;
  job.items = items.c_str();
  job.count = count;
  job.key = &record;
  job.subfolders = 1;
  engine::EncryptProgressDialog dialog(ui::Resources(resources), job);
  dialog.run(nullptr);
  writeResult(resultFile, 0, "");
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "decrypt") == 0)
    return decrypt(argv[2], argv[3]);
  if (argc == 5 && std::strcmp(argv[1], "encrypt") == 0)
    return encrypt(argv[2], argv[3], argv[4]);
  std::fputs("usage: gui_host decrypt LIST RESULT | encrypt KEY LIST RESULT\n", stderr);
  return 2;
}
