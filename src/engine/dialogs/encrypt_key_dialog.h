#pragma once
// The key of an encryption run: typed twice and named, or a remembered key
// chosen by its name; with the run's three choices and, for a single file,
// the target it is written to.

#include "engine/batch/run_flow.h"
#include "engine/dialogs/key_entry.h"
#include "keyserver/client.h"
#include "ui/dialog.h"

#include <string>
#include <vector>

namespace ravelock::engine {

class EncryptKeyDialog : public KeyDialog {
public:
  EncryptKeyDialog(const ui::Resources& resources, keyserver::KeyServerClient& keys,
                   const char* items, int count, bool hasFolder,
                   const RunChoices& choices);
  ~EncryptKeyDialog() override;

  // True on OK: key(), targetName() and choices() are then the user's.
  bool ask(HWND owner) { return runModal(owner) == IDOK; }
  const KeyRecord& key() const { return key_; }
  // Empty unless a target was chosen by clicking the target line.
  const std::string& targetName() const { return targetName_; }
  const RunChoices& choices() const { return choices_; }

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override;

  bool singleFile() const { return count_ == 1 && !hasFolder_; }
  void chooseTarget() override;
  bool typedKey();
  bool rememberedKey();

  keyserver::KeyServerClient& keys_;
  const char* items_;
  int count_;
  bool hasFolder_;
  std::string source_;
  RunChoices choices_;
  KeyRecord key_{};
  std::string targetName_;
  std::vector<std::string> names_;
};

} // namespace ravelock::engine
