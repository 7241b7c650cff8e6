#include "app/option_dialogs.h"

#include "app/integration.h"
#include "app/painting.h"
#include "platform/registry.h"
#include "resource.h"

namespace ravelock::app {

namespace {

struct PresetBox {
  int control;
  unsigned caption;
  Preset preset;
  unsigned help;
};

constexpr PresetBox kPresetBoxes[] = {
    {IDC_CRY_REMEMBER_KEYS, IDS_CRY_REMEMBER_KEYS, Preset::CryRememberKeys,
     IDS_HELP_CRY_REMEMBER_KEYS},
    {IDC_CRY_KEEP_FILE, IDS_CRY_KEEP_FILE, Preset::CryKeepFile, IDS_HELP_CRY_KEEP_FILE},
    {IDC_CRY_SUBFOLDERS, IDS_CRY_SUBFOLDERS, Preset::CryBrowseSubfolders,
     IDS_HELP_CRY_SUBFOLDERS},
    {IDC_CRY_SUCCESS_MESSAGE, IDS_CRY_SUCCESS_MESSAGE, Preset::CryErrorsDialog,
     IDS_HELP_CRY_SUCCESS_MESSAGE},
    {IDC_DECRY_REMEMBER_KEYS, IDS_DECRY_REMEMBER_KEYS, Preset::DecryRememberKeys,
     IDS_HELP_DECRY_REMEMBER_KEYS},
    {IDC_DECRY_KEEP_FILE, IDS_DECRY_KEEP_FILE, Preset::DecryKeepFile,
     IDS_HELP_DECRY_KEEP_FILE},
    {IDC_DECRY_SUBFOLDERS, IDS_DECRY_SUBFOLDERS, Preset::DecryBrowseSubfolders,
     IDS_HELP_DECRY_SUBFOLDERS},
    {IDC_DECRY_SUCCESS_MESSAGE, IDS_DECRY_SUCCESS_MESSAGE, Preset::DecryErrorsDialog,
     IDS_HELP_DECRY_SUCCESS_MESSAGE},
};

struct DialogText {
  int control;
  unsigned text;
};

constexpr DialogText kPresetTexts[] = {
    {IDC_PRESETS_INTRO, IDS_PRESETS_INTRO},
    {IDC_PRESETS_ENCRYPTION, IDS_PRESETS_ENCRYPTION},
    {IDC_PRESETS_DECRYPTION, IDS_PRESETS_DECRYPTION},
    {IDOK, IDS_BUTTON_OK},
    {IDCANCEL, IDS_BUTTON_CANCEL},
};

constexpr DialogText kIntegrationTexts[] = {
    {IDC_ASSOCIATION_GROUP, IDS_EXTENSION_GROUP},
    {IDC_MENU_GROUP, IDS_MENU_GROUP},
    {IDC_ASSOCIATION_TEXT, IDS_ASSOCIATION_TEXT},
    {IDC_ASSOCIATION_RUN_TEXT, IDS_ASSOCIATION_RUN_TEXT},
    {IDC_MENU_TEXT, IDS_MENU_TEXT},
    {IDC_ASSOCIATION_STATUS_LABEL, IDS_CURRENT_STATUS},
    {IDC_MENU_STATUS_LABEL, IDS_CURRENT_STATUS},
    {IDC_ASSOCIATE, IDS_ASSOCIATE},
    {IDC_UNLINK, IDS_UNLINK},
    {IDC_ADD_MENU, IDS_ADD_MENU},
    {IDC_REMOVE_MENU, IDS_REMOVE_MENU},
    {IDCANCEL, IDS_CLOSE},
};

// The statuses and the group-box captions.
constexpr int kBoldControls[] = {IDC_ASSOCIATION_STATUS, IDC_MENU_STATUS,
                                 IDC_ASSOCIATION_GROUP, IDC_MENU_GROUP};
constexpr int kStatusFontPixels = 12;
constexpr COLORREF kPresentGreen = RGB(64, 180, 64);
constexpr COLORREF kMissingRed = RGB(255, 64, 64);

template <std::size_t N> void setTexts(ui::Dialog& dialog, const DialogText (&texts)[N]) {
  for (const DialogText& text : texts)
    SetDlgItemTextW(dialog.hwnd(), text.control,
                    dialog.resources().string(text.text).c_str());
}

} // namespace

EncryptionOptionsDialog::EncryptionOptionsDialog(const ui::Resources& resources)
    : Dialog(resources, IDD_ENCRYPTION_OPTIONS) {}

bool EncryptionOptionsDialog::onInit() {
  setTitle(IDS_PRESETS_TITLE);
  setTexts(*this, kPresetTexts);
  read_ = readPresets();
  help().add(IDOK, IDS_HELP_OK);
  help().add(IDCANCEL, IDS_HELP_CANCEL);
  for (const PresetBox& box : kPresetBoxes) {
    setString(box.control, box.caption);
    setChecked(box.control, read_[box.preset]);
    help().add(box.control, box.help);
  }
  return true;
}

void EncryptionOptionsDialog::onOk() {
  PresetValues edited;
  for (const PresetBox& box : kPresetBoxes)
    edited[box.preset] = checked(box.control);
  if (writeChangedPresets(read_, edited) > 0)
    message(IDS_OPTIONS_NOT_SAVED, MB_OK | MB_ICONEXCLAMATION);
  end(IDOK);
}

IntegrationDialog::IntegrationDialog(const ui::Resources& resources,
                                     std::string programFolder)
    : Dialog(resources, IDD_INTEGRATION), programFolder_(std::move(programFolder)) {}

bool IntegrationDialog::onInit() {
  setTitle(IDS_INTEGRATION_TITLE);
  setTexts(*this, kIntegrationTexts);
  for (std::size_t i = 0; i < std::size(kBoldControls); ++i) {
    boldFonts_[i] = makeFont(L"Arial", kStatusFontPixels, FW_BOLD);
    SendDlgItemMessageW(hwnd(), kBoldControls[i], WM_SETFONT,
                        reinterpret_cast<WPARAM>(boldFonts_[i].get()), FALSE);
  }
  showAssociation();
  showContextMenu();
  return true;
}

bool IntegrationDialog::onCommand(int id, int code) {
  if (code != BN_CLICKED || (id != IDC_ASSOCIATE && id != IDC_UNLINK &&
                             id != IDC_ADD_MENU && id != IDC_REMOVE_MENU))
    return Dialog::onCommand(id, code);
  platform::Registry& registry = platform::systemRegistry();
  const bool association = id == IDC_ASSOCIATE || id == IDC_UNLINK;
  const bool install = id == IDC_ASSOCIATE || id == IDC_ADD_MENU;
  const int done = association ? setAssociation(registry, programFolder_, install)
                               : setContextMenu(registry, programFolder_, install);
  if (!done)
    message(IDS_INTEGRATION_FAILED, MB_OK | MB_ICONEXCLAMATION);
  if (association)
    showAssociation();
  else
    showContextMenu();
  return true;
}

void IntegrationDialog::showAssociation() {
  associated_ = associationPresent(platform::systemRegistry());
  setString(IDC_ASSOCIATION_STATUS, associated_ ? IDS_ASSOCIATED : IDS_NOT_ASSOCIATED);
  InvalidateRect(item(IDC_ASSOCIATION_STATUS), nullptr, TRUE);
}

void IntegrationDialog::showContextMenu() {
  contextMenu_ = contextMenuPresent(platform::systemRegistry());
  setString(IDC_MENU_STATUS, contextMenu_ ? IDS_MENU_ENABLED : IDS_MENU_DISABLED);
  InvalidateRect(item(IDC_MENU_STATUS), nullptr, TRUE);
}

COLORREF IntegrationDialog::textColour(int control) const {
  switch (control) {
  case IDC_ASSOCIATION_STATUS: return associated_ ? kPresentGreen : kMissingRed;
  case IDC_MENU_STATUS: return contextMenu_ ? kPresentGreen : kMissingRed;
  default: return Dialog::textColour(control);
  }
}

} // namespace ravelock::app
