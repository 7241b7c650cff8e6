#include "platform/process.h"
#include "platform/backend.h"
#include "platform/filesystem.h"
#include "platform/inheritable.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace ravelock::platform {

namespace {

// Quoted so that the C runtime's argument parser gives `arg` back whole.
std::string quoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos)
    return arg;
  std::string out = "\"";
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < arg.size() && arg[i] == '\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {
      out.append(backslashes * 2, '\\');
      break;
    }
    if (arg[i] == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    out += arg[i];
  }
  out += '"';
  return out;
}

HANDLE native(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

} // namespace

std::string executableFileName(std::string_view baseName) {
  return std::string(baseName) + ".exe";
}

namespace {

// The program launcher's process: the launcher's creation flags and a
// window shown normally.
bool createLauncherProcess(const char* program, std::string& commandLine,
                           bool inheritHandles, PROCESS_INFORMATION& info) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  const std::wstring wideProgram = program ? win32::wide(program) : std::wstring();
  std::wstring wideLine = win32::wide(commandLine);
  return CreateProcessW(program ? wideProgram.c_str() : nullptr,
                        wideLine.empty() ? nullptr : wideLine.data(), nullptr, nullptr,
                        inheritHandles ? TRUE : FALSE,
                        CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &info) != 0;
}

// The same with the child's handles closed at once.
bool startLauncherProcess(const char* program, std::string& commandLine,
                          bool inheritHandles) {
  PROCESS_INFORMATION info{};
  if (!createLauncherProcess(program, commandLine, inheritHandles, info))
    return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

// The launcher's command line: the short path, a blank and the argument, or
// empty without an argument.
std::string launcherCommandLine(const std::string& program, std::string_view argument) {
  std::string commandLine;
  if (!argument.empty()) {
    commandLine = getShortPath(program).value_or(program);
    commandLine += ' ';
    commandLine += argument;
  }
  return commandLine;
}

} // namespace

bool backend::launchDetached(const std::string& program, std::string_view argument) {
  std::string commandLine = launcherCommandLine(program, argument);
  return startLauncherProcess(program.c_str(), commandLine, false);
}

bool launchInheriting(const std::string& commandLine) {
  if (backend::refused(Op::StartProcess))
    return false;
  std::string line = commandLine;
  return startLauncherProcess(nullptr, line, true);
}

ChildProcess ChildProcess::startBackend(const std::string& program,
                                        const std::vector<std::string>& args) {
  ChildProcess child;
  std::string commandLine = quoteArgument(program);
  for (const std::string& a : args) {
    commandLine += ' ';
    commandLine += quoteArgument(a);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring wideLine = win32::wide(commandLine);
  if (!CreateProcessW(win32::wide(program).c_str(), wideLine.data(), nullptr, nullptr,
                      FALSE, 0, nullptr, nullptr, &startup, &info))
    return child;
  CloseHandle(info.hThread);
  child.handle_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  return child;
}

ChildProcess ChildProcess::launch(const std::string& program, std::string_view argument) {
  ChildProcess child;
  if (backend::refused(Op::StartProcess))
    return child;
  std::string commandLine = launcherCommandLine(program, argument);
  PROCESS_INFORMATION info{};
  if (!createLauncherProcess(program.c_str(), commandLine, false, info))
    return child;
  CloseHandle(info.hThread);
  child.handle_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  return child;
}

std::optional<int> ChildProcess::wait(std::uint32_t timeoutMs) {
  if (status_ || handle_ == kNone)
    return status_;
  if (WaitForSingleObject(native(handle_), timeoutMs) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(native(handle_), &code);
  status_ = static_cast<int>(code);
  return status_;
}

void ChildProcess::release() {
  kill();
  if (handle_ != kNone)
    CloseHandle(native(handle_));
  handle_ = kNone;
}

void ChildProcess::kill() {
  if (handle_ == kNone || status_)
    return;
  TerminateProcess(native(handle_), 137);
  wait(INFINITE);
}

} // namespace ravelock::platform
