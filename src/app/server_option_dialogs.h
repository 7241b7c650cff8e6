#pragma once
// Windows only: the option dialogs of the two helper programs. The key
// manager server's sets its tray icon and whether a key database is loaded
// at logon (through a logon shortcut to the server); the Pondlet's sets
// when the drop target starts, its size and whether it stays on top, and
// starts or stops it. Changes reach a running program at once.

#include "ui/dialog.h"

#include <string>

namespace ravelock::app {

class KeyServerOptionsDialog : public ui::Dialog {
public:
  explicit KeyServerOptionsDialog(const ui::Resources& resources);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override;
  void enablePath();
  void browse();
};

class DropTargetOptionsDialog : public ui::Dialog {
public:
  DropTargetOptionsDialog(const ui::Resources& resources, std::string programFolder);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override;
  void onCancel() override;
  unsigned chosenSize() const;
  void start();

  std::string programFolder_;
  int previousStart_ = 0;
};

} // namespace ravelock::app
