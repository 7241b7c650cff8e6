#pragma once
// Windows only: the Preferences page, four icon buttons in a ring that
// each open one option dialog, and the versions of the context-menu
// extension and the engine.

#include "app/pages.h"

namespace ravelock::app {

class PreferencesPage : public ButtonPage {
public:
  explicit PreferencesPage(const PageContext& context);

private:
  bool onInit() override;
  void run(int command) override;
  COLORREF textColour(int control) const override;
  void showVersion(const char* library, int label, unsigned labelText, int value);

  ui::FontHandle versionFont_;
};

} // namespace ravelock::app
