// CryptFiles: the encryption of a list of files and folders, with the
// encrypt key dialog before the run and the encryption progress dialog
// during it. Windows only, as DeCryptFiles.

#include "engine/batch/caller_text.h"
#include "engine/batch/run_flow.h"
#include "engine/dialogs/encrypt_key_dialog.h"
#include "engine/dialogs/progress_dialog.h"
#include "keyserver/client.h"
#include "options/options.h"
#include "platform/directory.h"
#include "ravelock/velldll.h"
#include "ui/resources.h"

using namespace ravelock;
using namespace ravelock::engine;

namespace {

class EncryptionWindows final : public EncryptionDialogs {
public:
  EncryptionWindows(const ui::Resources& resources, keyserver::KeyServerClient& keys,
                    HWND owner)
      : resources_(resources), keys_(keys), owner_(owner) {}

  bool askKey(const char* items, int count, bool hasFolder, RunChoices& choices,
              KeyRecord& key, std::string& targetName) override {
    EncryptKeyDialog dialog(resources_, keys_, items, count, hasFolder, choices);
    if (!dialog.ask(owner_))
      return false;
    key = dialog.key();
    targetName = dialog.targetName();
    choices = dialog.choices();
    return true;
  }

  void showProgress(EncryptJob& job) override {
    EncryptProgressDialog dialog(resources_, job);
    dialog.run(owner_);
  }

private:
  const ui::Resources& resources_;
  keyserver::KeyServerClient& keys_;
  HWND owner_;
};

} // namespace

extern "C" VELLDLL_API int32_t CryptFiles(const char* items, int32_t count) {
  std::string list;
  if (!items || count < 1 || !itemsFromCaller(items, count, list))
    return -1;
  // COM for this thread while the dialogs are open (Save As needs it).
  const platform::ComApartment com;
  const ui::Resources resources =
      ui::Resources::ofAddress(reinterpret_cast<const void*>(&CryptFiles));
  // Remembered keys come from the key server; a library loaded without it
  // connects here.
  keyserver::KeyServerClient& keys = keyserver::KeyServerClient::process();
  if (!keys.isConnected())
    keys.ConnectKeyServer(reinterpret_cast<const void*>(&CryptFiles), false, nullptr);
  EncryptionWindows windows(resources, keys, GetActiveWindow());
  return cryptFilesFlow(list.c_str(), count, windows, options::currentOptionsLocation(),
                        [&keys](const KeyRecord& key) { keys.StoreKey(key); });
}
