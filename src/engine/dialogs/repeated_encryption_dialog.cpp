#include "engine/dialogs/repeated_encryption_dialog.h"

#include "engine/dialogs/target_choice.h"
#include "engine/files/target_naming.h"
#include "platform/filesystem.h"
#include "resource.h"
#include "ui/message_box.h"
#include "ui/text.h"

#include <cstring>

namespace ravelock::engine {

RepeatedEncryptionDialog::RepeatedEncryptionDialog(const ui::Resources& resources,
                                                   char* path, bool writeFailed)
    : Dialog(resources, IDD_REPEATED_ENCRYPTION), path_(path), writeFailed_(writeFailed) {
}

bool RepeatedEncryptionDialog::ask(HWND owner) {
  if (writeFailed_)
    ui::messageBox(
        owner, ui::fill(resources().string(IDS_REPEATED_WRITE_FAILED), ui::widen(path_)),
        MB_ICONEXCLAMATION | MB_OK);
  return runModal(owner) == IDOK;
}

bool RepeatedEncryptionDialog::onInit() {
  setTitle(IDS_REPEATED_TITLE);
  const std::wstring path = ui::widen(path_);
  setText(IDC_REPEATED_PATH, path);
  // The caret at the end shows the file name of a long path.
  SendMessageW(item(IDC_REPEATED_PATH), EM_SETSEL, path.size(), path.size());
  setString(IDC_REPEATED_TEXT, IDS_REPEATED_TEXT);
  setString(IDC_REPEATED_OVERWRITE_NOTE, IDS_REPEATED_OVERWRITE_NOTE);
  setString(IDC_REPEATED_RENAME_NOTE, IDS_REPEATED_RENAME_NOTE);
  setString(IDC_REPEATED_CANCEL_NOTE, IDS_REPEATED_CANCEL_NOTE);
  setString(IDC_REPEATED_OVERWRITE, IDS_REPEATED_OVERWRITE);
  setString(IDC_REPEATED_RENAME, IDS_REPEATED_RENAME);
  setString(IDCANCEL, IDS_CANCEL);
  placeBelowOwner();
  focus(IDCANCEL);
  return false;
}

bool RepeatedEncryptionDialog::onCommand(int id, int code) {
  switch (id) {
  case IDC_REPEATED_OVERWRITE: overwrite(); return true;
  case IDC_REPEATED_RENAME: rename(); return true;
  default: return Dialog::onCommand(id, code);
  }
}

void RepeatedEncryptionDialog::overwrite() {
  if (platform::pathExists(path_) &&
      message(ui::fill(resources().string(IDS_FILE_EXISTS_OVERWRITE), ui::widen(path_)),
              MB_ICONQUESTION | MB_YESNO) != IDYES)
    return;
  end(IDOK);
}

void RepeatedEncryptionDialog::rename() {
  const std::optional<std::string> chosen =
      chooseTarget(hwnd(), resources(), Operation::Encryption, path_);
  if (!chosen)
    return;
  std::memset(path_, 0, kMaxPath);
  std::memcpy(path_, chosen->c_str(), chosen->size());
  end(IDOK);
}

} // namespace ravelock::engine
