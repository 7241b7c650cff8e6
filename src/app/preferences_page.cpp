#include "app/preferences_page.h"

#include "app/integration.h"
#include "app/library_version.h"
#include "app/option_dialogs.h"
#include "app/painting.h"
#include "app/server_option_dialogs.h"
#include "resource.h"
#include "ui/text.h"

namespace ravelock::app {

namespace {

enum PreferencesCommand : int {
  kEditPresets = 1,
  kEditIntegration = 2,
  kEditKeyServer = 3,
  kEditDropTarget = 4
};

constexpr PlacedButton kPreferencesButtons[] = {
    {IDC_PLACE_PRESETS,
     {IDI_VELLAPP, IDS_PRESETS, IDS_PRESETS_TEXT, kEditPresets, kFocusFrame, kTitleBlue,
      ui::kDialogText}},
    {IDC_PLACE_INTEGRATION,
     {IDI_INTEGRATION, IDS_INTEGRATION, IDS_INTEGRATION_TEXT, kEditIntegration,
      kFocusFrame, kTitleBlue, ui::kDialogText}},
    {IDC_PLACE_KEY_SERVER,
     {IDI_KEY_SERVER, IDS_KEY_SERVER, IDS_KEY_SERVER_TEXT, kEditKeyServer, kFocusFrame,
      kTitleBlue, ui::kDialogText}},
    {IDC_PLACE_POND,
     {IDI_POND, IDS_POND, IDS_POND_TEXT, kEditDropTarget, kFocusFrame, kTitleBlue,
      ui::kDialogText}},
};

constexpr COLORREF kVersionGrey = RGB(120, 120, 120);
constexpr int kVersionFontPixels = 12;

} // namespace

PreferencesPage::PreferencesPage(const PageContext& context)
    : ButtonPage(context, IDD_PREFERENCES_PAGE) {}

bool PreferencesPage::onInit() {
  createButtons(hwnd(), resources(), kPreferencesButtons, buttons_);
  IconButton::ring(
      {buttons_[0].get(), buttons_[1].get(), buttons_[2].get(), buttons_[3].get()});
  versionFont_ = makeFont(L"Courier", kVersionFontPixels, FW_NORMAL);
  for (int control : {IDC_HANDLER_VERSION_LABEL, IDC_HANDLER_VERSION,
                      IDC_ENGINE_VERSION_LABEL, IDC_ENGINE_VERSION})
    SendDlgItemMessageW(hwnd(), control, WM_SETFONT,
                        reinterpret_cast<WPARAM>(versionFont_.get()), FALSE);
  showVersion(kHandlerFileName.data(), IDC_HANDLER_VERSION_LABEL,
              IDS_HANDLER_VERSION_LABEL, IDC_HANDLER_VERSION);
  showVersion(kEngineFileName.data(), IDC_ENGINE_VERSION_LABEL, IDS_ENGINE_VERSION_LABEL,
              IDC_ENGINE_VERSION);
  return true;
}

// A version that cannot be read leaves the value's placeholder.
void PreferencesPage::showVersion(const char* library, int label, unsigned labelText,
                                  int value) {
  std::string version;
  if (libraryVersion(context_.programFolder, library, version)) {
    setString(label, labelText);
    setText(value, ui::widen(version));
  } else {
    setString(label, IDS_VERSION_UNKNOWN);
  }
}

void PreferencesPage::run(int command) {
  const HWND owner = GetAncestor(hwnd(), GA_ROOT);
  switch (command) {
  case kEditPresets: EncryptionOptionsDialog(resources()).runModal(owner); break;
  case kEditIntegration:
    IntegrationDialog(resources(), context_.programFolder).runModal(owner);
    break;
  case kEditKeyServer: KeyServerOptionsDialog(resources()).runModal(owner); break;
  case kEditDropTarget:
    DropTargetOptionsDialog(resources(), context_.programFolder).runModal(owner);
    break;
  default: break;
  }
}

COLORREF PreferencesPage::textColour(int control) const {
  switch (control) {
  case IDC_HANDLER_VERSION_LABEL:
  case IDC_HANDLER_VERSION:
  case IDC_ENGINE_VERSION_LABEL:
  case IDC_ENGINE_VERSION: return kVersionGrey;
  default: return ButtonPage::textColour(control);
  }
}

} // namespace ravelock::app
