#include "setup/win32/windows_host.h"
#include "platform/process.h"
#include "ui/text.h"

#include <windows.h>

namespace ravelock::setup {

namespace {

int messageBox(const std::string& caption, const std::string& text, UINT flags) {
  return MessageBoxW(nullptr, ui::widen(text).c_str(), ui::widen(caption).c_str(), flags);
}

// Restarting or logging off needs the shutdown privilege in the token.
void endSession(UINT how) {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                       &token)) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
  }
  ExitWindowsEx(how, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_FLAG_PLANNED);
}

} // namespace

bool WindowsHost::askYesNo(const std::string& caption, const std::string& text) {
  return messageBox(caption, text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void WindowsHost::showMessage(const std::string& caption, const std::string& text,
                              MessageIcon icon) {
  messageBox(caption, text,
             MB_OK | (icon == MessageIcon::Stop ? MB_ICONSTOP : MB_ICONINFORMATION));
}

InstallerAnswer WindowsHost::askInstaller(const std::string& text) {
  switch (messageBox(kInstallerCaption, text,
                     MB_YESNOCANCEL | MB_ICONQUESTION | MB_TOPMOST | MB_SETFOREGROUND)) {
  case IDYES: return InstallerAnswer::Yes;
  case IDNO: return InstallerAnswer::No;
  default: return InstallerAnswer::Cancel;
  }
}

int WindowsHost::runProgram(const std::string& path, const std::string& arguments,
                            bool wait) {
  if (!wait)
    return platform::launchDetached(path, arguments) ? 0 : kNotStarted;
  platform::ChildProcess child = platform::ChildProcess::launch(path, arguments);
  if (!child.isValid())
    return kNotStarted;
  return child.wait(INFINITE).value_or(kNotStarted);
}

void WindowsHost::restartSystem() {
  endSession(EWX_REBOOT);
}

void WindowsHost::logOff() {
  endSession(EWX_LOGOFF);
}

void WindowsHost::sleep(std::uint32_t milliseconds) {
  Sleep(milliseconds);
}

std::string commandLineArguments() {
  const char* p = GetCommandLineA();
  // The program's name ends at the closing quote, or at the first blank.
  if (*p == '"') {
    ++p;
    while (*p && *p != '"')
      ++p;
    if (*p == '"')
      ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t')
      ++p;
  }
  while (*p == ' ' || *p == '\t')
    ++p;
  return p;
}

} // namespace ravelock::setup
