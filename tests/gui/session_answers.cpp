#include "gui/suite.h"
#include "velldll/resource.h"

namespace ravelock::gui {

void answerEncryptKey(const std::wstring& key, const std::wstring& name) {
  HWND dialog = waitForWindow(kAnyProcess, kEncryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  setItemText(dialog, IDC_KEY, key);
  setItemText(dialog, IDC_KEY_CONFIRM, key);
  setItemChecked(dialog, IDC_KEY_KEEP, false);
  click(dialog, IDOK);
  HWND nameDialog = waitForWindow(kAnyProcess, kKeyNameTitle);
  ASSERT_NE(nameDialog, nullptr);
  setItemText(nameDialog, IDC_NAME_EDIT, name);
  click(nameDialog, IDOK);
}

} // namespace ravelock::gui
