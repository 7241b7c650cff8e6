#include "engine/dialogs/key_name_dialog.h"

#include "engine/format/key_text.h"
#include "keyserver/key_record.h"
#include "resource.h"
#include "ui/text.h"

#include <algorithm>
#include <cwchar>

namespace ravelock::engine {

KeyNameDialog::KeyNameDialog(const ui::Resources& resources, std::wstring proposed,
                             const std::vector<std::string>* remembered)
    : Dialog(resources, IDD_KEY_NAME), proposed_(std::move(proposed)),
      remembered_(remembered) {}

bool KeyNameDialog::onInit() {
  setTitle(IDS_KEY_NAME_TITLE);
  setString(IDC_NAME_LABEL, IDS_DECRYPT_KEY_NAME);
  setString(IDC_NAME_TEXT, IDS_NAME_DIALOG_TEXT);
  setString(IDOK, IDS_OK);
  setString(IDCANCEL, IDS_CANCEL);
  limitText(IDC_NAME_EDIT, kMaxKeyNameLength);
  setText(IDC_NAME_EDIT, proposed_);
  help().add(IDOK, IDS_HELP_NAME_OK);
  help().add(IDC_NAME_EDIT, IDS_HELP_NAME_EDIT);
  focus(IDC_NAME_EDIT);
  SendMessageW(item(IDC_NAME_EDIT), EM_SETSEL, 0, -1);
  return false;
}

void KeyNameDialog::onOk() {
  if (!checkMaxChars(IDC_NAME_EDIT, kMaxKeyNameLength))
    return;
  const std::wstring typed = text(IDC_NAME_EDIT);
  if (typed.empty()) {
    message(IDS_NAME_CANNOT_BE_EMPTY, MB_ICONERROR | MB_OK);
    focus(IDC_NAME_EDIT);
    return;
  }
  std::string name;
  if (!storedKeyName(ui::utf16(typed), kMaxKeyNameLength, name)) {
    message(IDS_NOT_IN_CODE_PAGE, MB_ICONERROR | MB_OK);
    focus(IDC_NAME_EDIT);
    return;
  }
  if (remembered_ &&
      std::find(remembered_->begin(), remembered_->end(), name) != remembered_->end() &&
      message(IDS_NAME_EXISTS, MB_ICONQUESTION | MB_YESNO) != IDYES)
    return;
  name_ = std::move(name);
  end(IDOK);
}

std::wstring proposedKeyName() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t name[64] = {};
  std::swprintf(name, std::size(name), L"My key %u/%.2u/%.2u-%.2u:%.2u:%.2u", now.wYear,
                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  return std::wstring(name).substr(0, kMaxKeyNameLength);
}

} // namespace ravelock::engine
