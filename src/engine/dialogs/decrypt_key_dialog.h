#pragma once
// The key of one encrypted file, asked during a decryption run when the
// keys at hand do not fit: shows the key name from the file's header, the
// source and the target (which a click changes), and takes the key and the
// run's choices.

#include "engine/dialogs/key_entry.h"
#include "engine/dialogs/progress_dialog.h"
#include "engine/files/decrypt_file.h"
#include "keyserver/client.h"
#include "ui/dialog.h"

#include <string>

namespace ravelock::engine {

enum class KeyAnswer { Key, Skip, Cancel };

class DecryptKeyDialog : public KeyDialog {
public:
  // On Key the request holds the key, the target (when one was chosen) and
  // the delete flag; choices() are the run's new choices.
  DecryptKeyDialog(const ui::Resources& resources, keyserver::KeyServerClient& keys,
                   KeyRequest& request, bool showSkip, const DecryptionChoices& choices);

  KeyAnswer ask(HWND owner);
  const DecryptionChoices& choices() const { return choices_; }

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override;
  void onCancel() override;

  void chooseTarget() override;

  keyserver::KeyServerClient& keys_;
  KeyRequest& request_;
  bool showSkip_;
  DecryptionChoices choices_;
  std::string chosenTarget_;
  std::vector<std::string> names_;
};

} // namespace ravelock::engine
