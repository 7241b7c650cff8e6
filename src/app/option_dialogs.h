#pragma once
// Windows only: two option dialogs of the Preferences page. "Encryption &
// Decryption options" edits the presets of the engine's key dialogs and
// writes back only what changed; "System integration" shows whether the
// ".rlk" file type and the context menu are installed and installs or
// removes each.

#include "app/presets.h"
#include "ui/dialog.h"

#include <string>

namespace ravelock::app {

class EncryptionOptionsDialog : public ui::Dialog {
public:
  explicit EncryptionOptionsDialog(const ui::Resources& resources);

private:
  bool onInit() override;
  void onOk() override;

  PresetValues read_;
};

class IntegrationDialog : public ui::Dialog {
public:
  IntegrationDialog(const ui::Resources& resources, std::string programFolder);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  COLORREF textColour(int control) const override;
  // Reads the item's state from the registry and shows it.
  void showAssociation();
  void showContextMenu();

  std::string programFolder_;
  bool associated_ = false;
  bool contextMenu_ = false;
  ui::FontHandle boldFonts_[4];
};

} // namespace ravelock::app
