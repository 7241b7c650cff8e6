#include "engine/batch/run_flow.h"

#include "options/options.h"
#include "platform/secure_wipe.h"

namespace ravelock::engine {

int cryptFilesFlow(const char* items, int count, EncryptionDialogs& dialogs,
                   const options::OptionsLocation& at,
                   const std::function<void(const KeyRecord&)>& storeKey) {
  if (!items || count < 1)
    return -1;
  const bool hasFolder = containsFolder(items, count) != 0;
  const RunChoices read{options::getRememberKeys(true, true, at),
                        options::getKeepFile(true, true, at),
                        options::getBrowseSubfolders(true, true, at)};
  RunChoices final = read;
  platform::Wiped<KeyRecord> key;
  std::string targetName;
  if (!dialogs.askKey(items, count, hasFolder, final, *key, targetName))
    return 1;
  EncryptJob job;
  job.items = items;
  job.count = count;
  job.key = key.get();
  job.targetName = targetName;
  job.subfolders = final.subfolders ? 1 : 0;
  job.deleteOriginal = final.keep ? 0 : 1;
  dialogs.showProgress(job);
  // Remembered once, after the whole run.
  if (final.remember)
    storeKey(*key);
  key.wipe();
  if (final.remember != read.remember)
    options::setRememberKeys(true, final.remember, at);
  if (final.keep != read.keep)
    options::setKeepFile(true, final.keep, at);
  if (final.subfolders != read.subfolders)
    options::setBrowseSubfolders(true, final.subfolders, at);
  return 0;
}

} // namespace ravelock::engine
