#include "engine/dialogs/decrypt_key_dialog.h"

#include "engine/dialogs/target_choice.h"
#include "engine/files/target_naming.h"
#include "engine/format/key_text.h"
#include "platform/secure_wipe.h"
#include "resource.h"
#include "ui/text.h"

#include <algorithm>
#include <cstring>

namespace ravelock::engine {

namespace {

// The key name of the file's header; the field need not end in a NUL.
std::string nameOf(const KeyRecord& record) {
  return std::string(record.name, strnlen(record.name, kMaxKeyNameLength));
}

constexpr ControlText kTips[] = {{IDC_KEY, IDS_TIP_DECRYPT_KEY},
                                 {IDC_KEY_REMEMBER, IDS_TIP_DECRYPT_REMEMBER},
                                 {IDC_KEY_KEEP, IDS_TIP_DECRYPT_KEEP},
                                 {IDC_KEY_SUBFOLDERS, IDS_TIP_DECRYPT_SUBFOLDERS},
                                 {IDC_KEY_SKIP, IDS_TIP_DECRYPT_SKIP},
                                 {IDC_KEY_MASK, IDS_TIP_DECRYPT_MASK}};

constexpr ControlText kHelp[] = {{IDOK, IDS_HELP_DECRYPT_OK},
                                 {IDCANCEL, IDS_HELP_DECRYPT_KEY_CANCEL},
                                 {IDC_KEY, IDS_HELP_DECRYPT_KEY},
                                 {IDC_KEY_LABEL, IDS_HELP_DECRYPT_KEY},
                                 {IDC_KEY_FILE_NAME, IDS_HELP_DECRYPT_KEY_NAME},
                                 {IDC_KEY_NAME_LABEL, IDS_HELP_DECRYPT_KEY_NAME},
                                 {IDC_KEY_SUBFOLDERS, IDS_HELP_DECRYPT_SUBFOLDERS},
                                 {IDC_KEY_REMEMBER, IDS_HELP_DECRYPT_REMEMBER},
                                 {IDC_KEY_KEEP, IDS_HELP_DECRYPT_KEEP},
                                 {IDC_KEY_MASK, IDS_HELP_DECRYPT_MASK},
                                 {IDC_KEY_SKIP, IDS_HELP_DECRYPT_KEY_SKIP},
                                 {IDC_KEY_SOURCE, IDS_HELP_DECRYPT_SOURCE_NAME},
                                 {IDC_KEY_WILL_BECOME, IDS_HELP_DECRYPT_TARGET_NAME},
                                 {IDC_KEY_TARGET, IDS_HELP_DECRYPT_TARGET_NAME}};

} // namespace

DecryptKeyDialog::DecryptKeyDialog(const ui::Resources& resources,
                                   keyserver::KeyServerClient& keys, KeyRequest& request,
                                   bool showSkip, const DecryptionChoices& choices)
    : KeyDialog(resources, IDD_DECRYPT_KEY), keys_(keys), request_(request),
      showSkip_(showSkip), choices_(choices) {}

KeyAnswer DecryptKeyDialog::ask(HWND owner) {
  switch (runModal(owner)) {
  case IDOK: return KeyAnswer::Key;
  case IDC_KEY_SKIP: return KeyAnswer::Skip;
  default: return KeyAnswer::Cancel;
  }
}

bool DecryptKeyDialog::onInit() {
  mask().attach(hwnd(), IDC_KEY_MASK, {IDC_KEY}, resources().module());
  show(IDC_KEY_SUBFOLDERS, choices_.hasFolder);
  names_ = rememberedKeyNames(keys_);
  setText(IDC_KEY_FILE_NAME, ui::wideOf(shownKeyName(nameOf(*request_.key))));
  limitText(IDC_KEY, kMaxKeyLength);
  if (request_.key->length > 0) {
    // The key that was just rejected, to be corrected.
    const ui::SecretText rejected(ui::keyText(*request_.key));
    setText(IDC_KEY, rejected.get());
  }
  setChecked(IDC_KEY_SUBFOLDERS, choices_.subfolders);
  setChecked(IDC_KEY_REMEMBER, choices_.remember);
  setChecked(IDC_KEY_KEEP, choices_.keep);
  show(IDC_KEY_SKIP, showSkip_);

  setTitle(IDS_DECRYPT_KEY_TITLE);
  setString(IDC_KEY_LABEL, IDS_DECRYPT_KEY);
  setString(IDC_KEY_NAME_LABEL, IDS_DECRYPT_KEY_NAME);
  setString(IDC_KEY_REMEMBER, IDS_DECRYPT_REMEMBER);
  setString(IDC_KEY_KEEP, IDS_DECRYPT_KEEP);
  setString(IDC_KEY_SUBFOLDERS, IDS_DECRYPT_SUBFOLDERS);
  setString(IDC_KEY_WILL_BECOME, IDS_WILL_BE_DECRYPTED_AS);
  setString(IDOK, IDS_OK);
  setString(IDCANCEL, IDS_CANCEL);
  setString(IDC_KEY_SKIP, IDS_SKIP);

  const std::string source = request_.source ? request_.source : "";
  const std::string target =
      request_.target && request_.target[0] != '\0'
          ? std::string(request_.target, strnlen(request_.target, kMaxPath))
          : source;
  for (const int id : {IDC_KEY_SOURCE, IDC_KEY_TARGET})
    SendMessageW(item(id), WM_SETFONT, reinterpret_cast<WPARAM>(nameFont()), TRUE);
  setText(IDC_KEY_SOURCE, fileNameOf(source));
  setText(IDC_KEY_TARGET, fileNameOf(withoutEncryptedExtension(target)));

  tooltips().add(hwnd(), IDC_KEY_SOURCE, ui::widen(source));
  addTooltips(kTips);

  addHelp(kHelp);

  links().add(IDC_KEY_LABEL, kLabelBlue);
  links().add(IDC_KEY_NAME_LABEL, kLabelBlue);
  links().add(IDC_KEY_TARGET, kTargetBlue);
  links().setCursor(resources().cursor(IDC_HAND_CURSOR));
  focus(IDC_KEY);
  SendMessageW(item(IDC_KEY), EM_SETSEL, 0, -1);
  return false;
}

bool DecryptKeyDialog::onCommand(int id, int code) {
  if (id == IDC_KEY_MASK && code == BN_CLICKED) {
    mask().toggle();
    return true;
  }
  if (id == IDC_KEY_SKIP && code == BN_CLICKED) {
    end(IDC_KEY_SKIP);
    return true;
  }
  return Dialog::onCommand(id, code);
}

void DecryptKeyDialog::chooseTarget() {
  const std::string current =
      chosenTarget_.empty()
          ? withoutEncryptedExtension(request_.source ? request_.source : "")
          : withoutEncryptedExtension(chosenTarget_);
  if (const std::optional<std::string> chosen =
          engine::chooseTarget(hwnd(), resources(), Operation::Decryption, current)) {
    chosenTarget_ = *chosen;
    setText(IDC_KEY_TARGET, fileNameOf(chosenTarget_));
  }
}

void DecryptKeyDialog::onOk() {
  if (!checkMaxChars(IDC_KEY, kMaxKeyLength))
    return;
  const ui::SecretText key(text(IDC_KEY));
  if (key.get().empty()) {
    focus(IDC_KEY);
    message(IDS_EMPTY_KEY, MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  platform::Wiped<KeyRecord> wiped(*request_.key);
  KeyRecord& entered = *wiped;
  if (!ui::setKey(key.get(), entered)) {
    message(IDS_NOT_IN_CODE_PAGE, MB_ICONERROR | MB_OK);
    focus(IDC_KEY);
    return;
  }
  choices_.subfolders = checked(IDC_KEY_SUBFOLDERS);
  choices_.keep = checked(IDC_KEY_KEEP);
  choices_.remember = checked(IDC_KEY_REMEMBER);
  if (request_.deleteOriginal)
    *request_.deleteOriginal = choices_.keep ? 0 : 1;
  // Remembering the key would replace another key of the same name.
  const std::string name = nameOf(entered);
  if (choices_.remember &&
      std::find(names_.begin(), names_.end(), name) != names_.end() &&
      message(IDS_DECRYPT_NAME_EXISTS, MB_ICONQUESTION | MB_YESNO) != IDYES)
    choices_.remember = false;
  std::memcpy(request_.key, &entered, sizeof entered);
  if (!chosenTarget_.empty() && request_.target)
    std::memcpy(request_.target, chosenTarget_.c_str(), chosenTarget_.size() + 1);
  end(IDOK);
}

void DecryptKeyDialog::onCancel() {
  if (showSkip_ && message(IDS_ABORT_DECRYPTION, MB_ICONQUESTION | MB_YESNO) != IDYES)
    return;
  end(IDCANCEL);
}

} // namespace ravelock::engine
