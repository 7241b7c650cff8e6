#pragma once
// What the library's batch entry points do around a run on the calling
// thread: read the run's choices from the options, show the key dialog
// (encryption), run the progress dialog, remember the key, and write back
// the choices the user changed. The dialogs are behind an interface, so the
// flow is the same for the Windows dialogs and for tests.

#include "engine/batch/jobs.h"
#include "keyserver/key_record.h"
#include "options/options_location.h"

#include <functional>
#include <string>

namespace ravelock::engine {

// The check boxes a run starts from and ends with.
struct RunChoices {
  bool remember = true;
  bool keep = true;
  bool subfolders = true;
};

class EncryptionDialogs {
public:
  // The encrypt key dialog, starting from `choices`; false when cancelled.
  // On OK fills the key record, the single-file target name and the final
  // choices.
  virtual bool askKey(const char* items, int count, bool hasFolder, RunChoices& choices,
                      KeyRecord& key, std::string& targetName) = 0;
  // The encryption progress dialog over `job`; returns once it has closed.
  virtual void showProgress(EncryptJob& job) = 0;

protected:
  ~EncryptionDialogs() = default;
};

// CryptFiles: -1 no items, 1 the key dialog was cancelled, 0 a run took
// place. `storeKey` receives a key to remember (its answer is not
// examined).
int cryptFilesFlow(const char* items, int count, EncryptionDialogs& dialogs,
                   const options::OptionsLocation& at,
                   const std::function<void(const KeyRecord&)>& storeKey);

} // namespace ravelock::engine
