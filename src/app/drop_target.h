#pragma once
// Windows only: the drop-target program pondlet, found by its window and
// controlled only through window messages.

#include <windows.h>

#include "shell/handoff/control_messages.h"

#include <string>

namespace ravelock::app {

using handoff::UM_DROP_TARGET_EXIT;
inline constexpr char kDropTargetProgram[] = "pondlet.exe";

// The drop target's top-level window, or null.
HWND findDropTarget();

// 0 when it already runs; else starts pondlet.exe from the program folder
// with `argument`: 1 started, -1 when it could not be.
int startDropTarget(const std::string& programFolder, const std::string& argument);

// Sends `message` to the drop target, waiting at most `timeoutMs`: 1 and
// `reply` when delivered, 0 when there is no such window or the send failed
// or timed out.
int sendToDropTarget(UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                     DWORD_PTR* reply = nullptr);

} // namespace ravelock::app
