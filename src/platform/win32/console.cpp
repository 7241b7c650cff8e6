#include "platform/console.h"

#include <windows.h>

namespace ravelock::platform {

namespace {
bool isConsole(DWORD which) {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

void (*interruptHandler)() = nullptr;

BOOL WINAPI onControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
    return FALSE;
  if (interruptHandler)
    interruptHandler();
  return TRUE;
}
} // namespace

bool stdinIsTerminal() {
  return isConsole(STD_INPUT_HANDLE);
}
bool stderrIsTerminal() {
  return isConsole(STD_ERROR_HANDLE);
}

bool readConsoleLine(std::string& line, bool echo) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD saved = 0;
  const bool hide = !echo && GetConsoleMode(input, &saved);
  if (hide)
    SetConsoleMode(input, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
  const bool ok = detail::readStdinLine(line);
  if (hide)
    SetConsoleMode(input, saved);
  return ok;
}

void onInterrupt(void (*handler)()) {
  interruptHandler = handler;
  SetConsoleCtrlHandler(onControl, TRUE);
}

} // namespace ravelock::platform
