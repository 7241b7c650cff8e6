// DeCryptFiles: the decryption of a list of files and folders behind the
// decryption progress dialog. Windows only: the native library has no
// dialogs and does not export it.

#include "engine/dialogs/decrypt_files.h"

#include "engine/batch/caller_text.h"
#include "engine/batch/jobs.h"
#include "engine/dialogs/progress_dialog.h"
#include "engine/files/target_naming.h"
#include "keyserver/client.h"
#include "options/options.h"
#include "platform/directory.h"
#include "ravelock/velldll.h"
#include "ui/resources.h"

#include <cstring>

using namespace ravelock;
using namespace ravelock::engine;

namespace {

void writeBack(bool read, bool final,
               bool (*setter)(bool, bool, const options::OptionsLocation&)) {
  if (read != final)
    setter(false, final, options::currentOptionsLocation());
}

int32_t decryptFiles(const char* items, int32_t count, char* lastTarget) {
  // COM for the run's dialogs (the Save As dialog needs it).
  const platform::ComApartment com;
  const ui::Resources resources =
      ui::Resources::ofAddress(reinterpret_cast<const void*>(&decryptFiles));
  // Keys come from the key server; a library loaded without it connects here.
  keyserver::KeyServerClient& keys = keyserver::KeyServerClient::process();
  if (!keys.isConnected())
    keys.ConnectKeyServer(reinterpret_cast<const void*>(&decryptFiles), false, nullptr);

  DecryptionChoices read;
  read.hasFolder = containsFolder(items, count) != 0;
  read.remember = options::getRememberKeys(false);
  read.keep = options::getKeepFile(false);
  read.subfolders = options::getBrowseSubfolders(false);

  char result[kMaxPath] = {};
  DecryptJob job;
  job.items = items;
  job.count = count;
  job.deleteOriginal = read.keep ? 0 : 1;
  job.subfolders = read.subfolders ? 1 : 0;
  job.lastTarget = result;

  DecryptProgressDialog dialog(resources, job, read);
  dialog.run(GetActiveWindow());

  int32_t answer = 1;
  result[kMaxPath - 1] = '\0';
  if (lastTarget && result[0] != '\0') {
    std::memcpy(lastTarget, result, std::strlen(result) + 1);
    answer = 0;
  }
  const DecryptionChoices& final = dialog.choices();
  writeBack(read.remember, final.remember, options::setRememberKeys);
  writeBack(read.keep, final.keep, options::setKeepFile);
  writeBack(read.subfolders, final.subfolders, options::setBrowseSubfolders);
  return answer;
}

} // namespace

std::int32_t engine::decryptItems(const char* items, std::int32_t count,
                                  char* lastTarget) {
  if (!items || count < 1)
    return -1;
  // Nothing may throw across the export (memory running out, say).
  try {
    return decryptFiles(items, count, lastTarget);
  } catch (...) {
    return 1;
  }
}

extern "C" VELLDLL_API int32_t DeCryptFiles(const char* items, int32_t count,
                                            char* lastTarget) {
  try {
    std::string list;
    if (!items || count < 1 || !itemsFromCaller(items, count, list))
      return -1;
    char target[kMaxPath] = {};
    const std::int32_t answer = decryptItems(list.c_str(), count, target);
    if (answer != 0)
      return answer;
    if (!lastTarget)
      return 1; // nothing to report the target in
    // A target the caller's code page cannot spell is not reported: a
    // look-alike would name another file.
    std::string path;
    if (!pathToCaller(target, path) || path.size() >= kMaxPath)
      return 1;
    std::memcpy(lastTarget, path.c_str(), path.size() + 1);
    return 0;
  } catch (...) {
    return 1;
  }
}
