#include "platform/process.h"
#include "platform/fault_injection.h"

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

// The launcher's process: the short path, a blank and the argument as its
// command line (empty without an argument), nothing inherited.
bool createLaunched(const std::string& program, std::string_view argument,
                    PROCESS_INFORMATION& info) {
  if (injectedFault(Op::StartProcess) != Fault::None)
    return false;
  std::string commandLine;
  if (!argument.empty()) {
    char shortPath[MAX_PATH];
    const DWORD n = GetShortPathNameA(program.c_str(), shortPath, MAX_PATH);
    commandLine = n > 0 && n < MAX_PATH ? std::string(shortPath, n) : program;
    commandLine += ' ';
    commandLine += argument;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  return CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &info) != 0;
}

} // namespace

std::string executableFileName(std::string_view baseName) {
  return std::string(baseName) + ".exe";
}

bool launchDetached(const std::string& program, std::string_view argument) {
  PROCESS_INFORMATION info{};
  if (!createLaunched(program, argument, info))
    return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : handle_(other.handle_), status_(other.status_) {
  other.handle_ = kNone;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    kill();
    if (handle_ != kNone)
      CloseHandle(native(handle_));
    handle_ = other.handle_;
    status_ = other.status_;
    other.handle_ = kNone;
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  kill();
  if (handle_ != kNone)
    CloseHandle(native(handle_));
}

ChildProcess ChildProcess::start(const std::string& program,
                                 const std::vector<std::string>& args) {
  ChildProcess child;
  if (injectedFault(Op::StartProcess) != Fault::None)
    return child;
  std::string commandLine = quoteArgument(program);
  for (const std::string& a : args) {
    commandLine += ' ';
    commandLine += quoteArgument(a);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &info))
    return child;
  CloseHandle(info.hThread);
  child.handle_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  return child;
}

ChildProcess ChildProcess::launch(const std::string& program, std::string_view argument) {
  ChildProcess child;
  PROCESS_INFORMATION info{};
  if (!createLaunched(program, argument, info))
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

void ChildProcess::kill() {
  if (handle_ == kNone || status_)
    return;
  TerminateProcess(native(handle_), 137);
  wait(INFINITE);
}

} // namespace ravelock::platform
