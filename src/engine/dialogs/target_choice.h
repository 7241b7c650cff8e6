#pragma once
// Choosing another target file with the Save As dialog, as the conflict
// and key dialogs offer it.

#include "engine/batch/error_list.h"
#include "ui/resources.h"

#include <windows.h>

#include <optional>
#include <string>

namespace ravelock::engine {

// Starting from `current`, lets the user choose a target and answers its
// path (ANSI, shorter than 260 bytes), or nothing when cancelled.
// Encryption: encrypted-file filter, ".rlk" proposed and appended to a
// name that does not end in it. Decryption: any file, the name as chosen.
// Choosing an existing file asks before it is accepted; a name the engine
// cannot use (too long, or not expressible in the ANSI code page) is
// refused with a message and the dialog comes back.
std::optional<std::string> chooseTarget(HWND owner, const ui::Resources& resources,
                                        Operation role, const std::string& current);

} // namespace ravelock::engine
