#include "engine/dialogs/target_exists_dialog.h"

#include "engine/dialogs/target_choice.h"
#include "engine/files/target_naming.h"
#include "resource.h"
#include "ui/text.h"

#include <cstring>

namespace ravelock::engine {

TargetExistsDialog::TargetExistsDialog(const ui::Resources& resources, Operation role,
                                       char* path, bool showSkip)
    : Dialog(resources, IDD_TARGET_EXISTS), role_(role), path_(path),
      showSkip_(showSkip) {}

ExistsOutcome TargetExistsDialog::ask(HWND owner) {
  outcome_ = ExistsOutcome::Skip;
  runModal(owner);
  return outcome_;
}

bool TargetExistsDialog::onInit() {
  setTitle(IDS_EXISTS_TITLE);
  setString(IDC_EXISTS_TEXT, IDS_EXISTS_TEXT);
  const std::wstring path = ui::widen(path_);
  setText(IDC_EXISTS_PATH, path);
  // The caret at the end shows the file name of a long path.
  SendMessageW(item(IDC_EXISTS_PATH), EM_SETSEL, path.size(), path.size());
  setString(IDC_EXISTS_RENAME, IDS_RENAME);
  setString(IDC_EXISTS_OVERWRITE, IDS_OVERWRITE);
  setString(IDCANCEL, IDS_CANCEL);
  setString(IDC_EXISTS_SKIP, IDS_SKIP);
  setString(IDC_EXISTS_REMEMBER, IDS_USE_ANSWER_AGAIN);
  show(IDC_EXISTS_SKIP, showSkip_);
  show(IDC_EXISTS_REMEMBER, showSkip_);
  help().add(IDCANCEL, IDS_HELP_EXISTS_CANCEL);
  help().add(IDC_EXISTS_OVERWRITE, IDS_HELP_EXISTS_OVERWRITE);
  help().add(IDC_EXISTS_SKIP, IDS_HELP_EXISTS_SKIP);
  help().add(IDC_EXISTS_PATH, IDS_HELP_EXISTS_PATH);
  help().add(IDC_EXISTS_RENAME, IDS_HELP_EXISTS_RENAME);
  help().add(IDC_EXISTS_REMEMBER, IDS_HELP_EXISTS_REMEMBER);
  placeBelowOwner();
  // Enter and Space must not overwrite by accident.
  focus(showSkip_ ? IDC_EXISTS_SKIP : IDCANCEL);
  return false;
}

bool TargetExistsDialog::onCommand(int id, int code) {
  const bool always = showSkip_ && checked(IDC_EXISTS_REMEMBER);
  switch (id) {
  case IDC_EXISTS_OVERWRITE:
    outcome_ = always ? ExistsOutcome::OverwriteAll : ExistsOutcome::Overwrite;
    end(IDOK);
    return true;
  case IDC_EXISTS_SKIP:
    if (!showSkip_)
      return true;
    outcome_ = always ? ExistsOutcome::SkipAll : ExistsOutcome::Skip;
    end(IDOK);
    return true;
  case IDC_EXISTS_RENAME: rename(); return true;
  default: return Dialog::onCommand(id, code);
  }
}

void TargetExistsDialog::onCancel() {
  if (showSkip_ && message(role_ == Operation::Encryption ? IDS_ABORT_ENCRYPTION
                                                          : IDS_ABORT_DECRYPTION,
                           MB_ICONQUESTION | MB_YESNO) != IDYES)
    return;
  outcome_ = ExistsOutcome::Cancel;
  end(IDCANCEL);
}

void TargetExistsDialog::rename() {
  const std::optional<std::string> chosen =
      chooseTarget(hwnd(), resources(), role_, path_);
  if (!chosen)
    return; // this dialog stays
  std::memset(path_, 0, kMaxPath);
  std::memcpy(path_, chosen->c_str(), chosen->size());
  outcome_ = ExistsOutcome::NewName;
  end(IDOK);
}

} // namespace ravelock::engine
