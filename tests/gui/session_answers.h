#pragma once
// Answers to the dialogs of a run that vellapp starts for a handed-over
// list: the encrypt key dialog with a new key, and the success message.

#include <windows.h>

#include "gui/driver.h"

#include <string>

namespace ravelock::gui {

// Answers the encrypt key dialog of any process with `key` (not keeping
// the originals) and the key-name dialog with `name`; false when either
// did not come.
bool answerEncryptKey(const std::wstring& key, const std::wstring& name);
// Closes the success message of process `pid`; false when none came.
bool confirmSuccess(DWORD pid = kAnyProcess);

} // namespace ravelock::gui
