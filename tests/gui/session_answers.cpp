#include "gui/session_answers.h"
#include "velldll/resource.h"

namespace ravelock::gui {

namespace {

const std::wstring kEncryptKeyTitle = L"Encrypt - enter key";
const std::wstring kKeyNameTitle = L"Encrypt - enter key name";
const std::wstring kSuccessTitle = L"Operation completed successfuly.";

} // namespace

bool answerEncryptKey(const std::wstring& key, const std::wstring& name) {
  HWND dialog = waitForWindow(kAnyProcess, kEncryptKeyTitle);
  if (!dialog)
    return false;
  setItemText(dialog, IDC_KEY, key);
  setItemText(dialog, IDC_KEY_CONFIRM, key);
  setItemChecked(dialog, IDC_KEY_KEEP, false);
  click(dialog, IDOK);
  HWND nameDialog = waitForWindow(kAnyProcess, kKeyNameTitle);
  if (!nameDialog)
    return false;
  setItemText(nameDialog, IDC_NAME_EDIT, name);
  click(nameDialog, IDOK);
  return true;
}

bool confirmSuccess(DWORD pid) {
  HWND success = waitForWindow(pid, kSuccessTitle);
  if (!success)
    return false;
  click(success, IDOK);
  return waitUntilGone(success);
}

} // namespace ravelock::gui
