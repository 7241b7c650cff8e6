#include "app/drop_target.h"
#include "platform/process.h"

namespace ravelock::app {

HWND findDropTarget() {
  return FindWindowA(handoff::kDropTargetClass, handoff::kDropTargetTitle);
}

int startDropTarget(const std::string& programFolder, const std::string& argument) {
  if (findDropTarget())
    return 0;
  if (programFolder.empty())
    return -1;
  return platform::launchDetached(programFolder + kDropTargetProgram, argument) ? 1 : -1;
}

int sendToDropTarget(UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                     DWORD_PTR* reply) {
  HWND window = findDropTarget();
  if (!window)
    return 0;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs,
                           &answer))
    return 0;
  if (reply)
    *reply = answer;
  return 1;
}

} // namespace ravelock::app
