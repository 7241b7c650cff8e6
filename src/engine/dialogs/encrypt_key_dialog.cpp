#include "engine/dialogs/encrypt_key_dialog.h"

#include "engine/dialogs/key_name_dialog.h"
#include "engine/dialogs/target_choice.h"
#include "engine/files/target_naming.h"
#include "engine/format/key_text.h"
#include "platform/filesystem.h"
#include "platform/secure_wipe.h"
#include "resource.h"
#include "ui/text.h"

#include <cstring>

namespace ravelock::engine {

namespace {

// The first item in its long form, as the run will name it.
std::string longFormOf(const char* item) {
  char buffer[kMaxPath] = {};
  const std::size_t length = platform::getLongPath(item, buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer) : std::string(item);
}

constexpr ControlText kTips[] = {{IDC_KEY, IDS_TIP_KEY},
                                 {IDC_KEY_CONFIRM, IDS_TIP_CONFIRM},
                                 {IDC_KEY_REMEMBER, IDS_TIP_REMEMBER},
                                 {IDC_KEY_KEEP, IDS_TIP_KEEP},
                                 {IDC_KEY_SUBFOLDERS, IDS_TIP_SUBFOLDERS},
                                 {IDC_KEY_NAMES, IDS_TIP_KEY_NAMES},
                                 {IDC_KEY_MASK, IDS_TIP_MASK}};

constexpr ControlText kHelp[] = {{IDOK, IDS_HELP_KEY_OK},
                                 {IDCANCEL, IDS_HELP_KEY_CANCEL},
                                 {IDC_KEY, IDS_HELP_KEY},
                                 {IDC_KEY_LABEL, IDS_HELP_KEY},
                                 {IDC_KEY_CONFIRM, IDS_HELP_CONFIRM},
                                 {IDC_KEY_CONFIRM_LABEL, IDS_HELP_CONFIRM},
                                 {IDC_KEY_NAMES, IDS_HELP_KEY_NAMES},
                                 {IDC_KEY_NAME_LABEL, IDS_HELP_KEY_NAMES},
                                 {IDC_KEY_SUBFOLDERS, IDS_HELP_SUBFOLDERS},
                                 {IDC_KEY_REMEMBER, IDS_HELP_REMEMBER},
                                 {IDC_KEY_KEEP, IDS_HELP_KEEP},
                                 {IDC_KEY_MASK, IDS_HELP_MASK},
                                 {IDC_KEY_SOURCE, IDS_HELP_SOURCE_NAME},
                                 {IDC_KEY_WILL_BECOME, IDS_HELP_TARGET_NAME},
                                 {IDC_KEY_TARGET, IDS_HELP_TARGET_NAME}};

} // namespace

EncryptKeyDialog::EncryptKeyDialog(const ui::Resources& resources,
                                   keyserver::KeyServerClient& keys, const char* items,
                                   int count, bool hasFolder, const RunChoices& choices)
    : KeyDialog(resources, IDD_ENCRYPT_KEY), keys_(keys), items_(items), count_(count),
      hasFolder_(hasFolder), choices_(choices) {}

EncryptKeyDialog::~EncryptKeyDialog() {
  platform::secureWipe(&key_, sizeof key_);
}

bool EncryptKeyDialog::onInit() {
  mask().attach(hwnd(), IDC_KEY_MASK, {IDC_KEY, IDC_KEY_CONFIRM}, resources().module());
  show(IDC_KEY_SUBFOLDERS, hasFolder_);

  names_ = rememberedKeyNames(keys_);
  for (const std::string& name : names_)
    SendDlgItemMessageW(hwnd(), IDC_KEY_NAMES, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(ui::wideOf(shownKeyName(name)).c_str()));
  if (!names_.empty()) {
    // A remembered key is offered first; typing needs a click into a box.
    SendDlgItemMessageW(hwnd(), IDC_KEY_NAMES, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(hwnd(), IDC_KEY, EM_SETREADONLY, TRUE, 0);
    SendDlgItemMessageW(hwnd(), IDC_KEY_CONFIRM, EM_SETREADONLY, TRUE, 0);
  } else {
    show(IDC_KEY_NAMES, false);
    show(IDC_KEY_NAME_LABEL, false);
  }

  if (singleFile()) {
    source_ = longFormOf(items_);
    for (const int id : {IDC_KEY_SOURCE, IDC_KEY_WILL_BECOME, IDC_KEY_TARGET})
      show(id, true);
    for (const int id : {IDC_KEY_SOURCE, IDC_KEY_TARGET})
      SendMessageW(item(id), WM_SETFONT, reinterpret_cast<WPARAM>(nameFont()), TRUE);
    setText(IDC_KEY_SOURCE, fileNameOf(source_));
    setText(IDC_KEY_TARGET, fileNameOf(withEncryptedExtension(source_)));
    tooltips().add(hwnd(), IDC_KEY_SOURCE, ui::widen(source_));
    links().add(IDC_KEY_TARGET, kTargetBlue);
  }

  setTitle(IDS_ENCRYPT_KEY_TITLE);
  setString(IDC_KEY_LABEL, IDS_KEY);
  setString(IDC_KEY_CONFIRM_LABEL, IDS_CONFIRM);
  setString(IDC_KEY_NAME_LABEL, IDS_KEY_NAME);
  setString(IDC_KEY_REMEMBER, IDS_REMEMBER_KEY);
  setString(IDC_KEY_KEEP, IDS_KEEP_ORIGINAL);
  setString(IDC_KEY_SUBFOLDERS, IDS_ENCRYPT_SUBFOLDERS);
  setString(IDC_KEY_WILL_BECOME, IDS_WILL_BE_ENCRYPTED_TO);
  setString(IDOK, IDS_OK);
  setString(IDCANCEL, IDS_CANCEL);
  setChecked(IDC_KEY_REMEMBER, choices_.remember);
  setChecked(IDC_KEY_KEEP, choices_.keep);
  setChecked(IDC_KEY_SUBFOLDERS, choices_.subfolders);
  limitText(IDC_KEY, kMaxKeyLength);
  limitText(IDC_KEY_CONFIRM, kMaxKeyLength);

  addTooltips(kTips);

  addHelp(kHelp);

  for (const int label : {IDC_KEY_LABEL, IDC_KEY_CONFIRM_LABEL, IDC_KEY_NAME_LABEL})
    links().add(label, kLabelBlue);
  links().setCursor(resources().cursor(IDC_HAND_CURSOR));
  // With a remembered key offered, the focus must not open the key boxes.
  focus(names_.empty() ? IDC_KEY : IDC_KEY_NAMES);
  return false;
}

bool EncryptKeyDialog::onCommand(int id, int code) {
  if ((id == IDC_KEY || id == IDC_KEY_CONFIRM) && code == EN_SETFOCUS) {
    // Going into a key box means typing a new key.
    SendDlgItemMessageW(hwnd(), IDC_KEY, EM_SETREADONLY, FALSE, 0);
    SendDlgItemMessageW(hwnd(), IDC_KEY_CONFIRM, EM_SETREADONLY, FALSE, 0);
    return true;
  }
  if (id == IDC_KEY_MASK && code == BN_CLICKED) {
    mask().toggle();
    return true;
  }
  return Dialog::onCommand(id, code);
}

void EncryptKeyDialog::chooseTarget() {
  if (!singleFile())
    return;
  const std::string current =
      targetName_.empty() ? withEncryptedExtension(source_) : targetName_;
  if (const std::optional<std::string> chosen =
          engine::chooseTarget(hwnd(), resources(), Operation::Encryption, current)) {
    targetName_ = *chosen;
    setText(IDC_KEY_TARGET, fileNameOf(targetName_));
  }
}

void EncryptKeyDialog::onOk() {
  if (!checkMaxChars(IDC_KEY, kMaxKeyLength) ||
      !checkMaxChars(IDC_KEY_CONFIRM, kMaxKeyLength))
    return;
  choices_.remember = checked(IDC_KEY_REMEMBER);
  choices_.keep = checked(IDC_KEY_KEEP);
  choices_.subfolders = checked(IDC_KEY_SUBFOLDERS);
  const bool typed = GetWindowTextLengthW(item(IDC_KEY)) > 0;
  if (typed ? typedKey() : rememberedKey())
    end(IDOK);
}

bool EncryptKeyDialog::typedKey() {
  const ui::SecretText key(text(IDC_KEY));
  const ui::SecretText confirmation(text(IDC_KEY_CONFIRM));
  if (key.get() != confirmation.get()) {
    message(IDS_KEYS_DIFFERENT, MB_ICONERROR | MB_OK);
    focus(IDC_KEY_CONFIRM);
    SendMessageW(item(IDC_KEY_CONFIRM), EM_SETSEL, 0, -1);
    return false;
  }
  platform::Wiped<KeyRecord> record;
  if (!ui::setKey(key.get(), *record)) {
    message(IDS_NOT_IN_CODE_PAGE, MB_ICONERROR | MB_OK);
    focus(IDC_KEY);
    return false;
  }
  KeyNameDialog nameDialog(resources(), proposedKeyName(),
                           choices_.remember ? &names_ : nullptr);
  if (!nameDialog.ask(hwnd()))
    return false;
  std::memcpy(record->name, nameDialog.name().c_str(), nameDialog.name().size() + 1);
  key_ = *record;
  return true;
}

bool EncryptKeyDialog::rememberedKey() {
  const LRESULT selected = SendDlgItemMessageW(hwnd(), IDC_KEY_NAMES, CB_GETCURSEL, 0, 0);
  if (names_.empty() || selected < 0 ||
      static_cast<std::size_t>(selected) >= names_.size()) {
    message(IDS_KEY_CANNOT_BE_EMPTY, MB_ICONERROR | MB_OK);
    focus(IDC_KEY);
    return false;
  }
  if (keys_.FindKey(names_[static_cast<std::size_t>(selected)].c_str(), key_) != 1) {
    platform::secureWipe(&key_, sizeof key_);
    message(IDS_KEY_NAME_INVALID, MB_ICONERROR | MB_OK);
    return false;
  }
  return true;
}

} // namespace ravelock::engine
