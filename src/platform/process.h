#pragma once
// Starting programs: the key server that outlives whoever started it, and
// child processes that the caller waits for (test drivers).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::platform {

// A program's file name in the native form: "vellserver.exe" on Windows,
// "vellserver" natively.
std::string executableFileName(std::string_view baseName);

// Starts `program` with one argument text (empty for none) and does not wait
// for it. On Windows the command line is the program's short (8.3) path, a
// blank and the argument, or empty without an argument; no handles are
// inherited, and the creation flags and start-up record are the launcher's
// (CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, SW_SHOWNORMAL).
// Natively the program runs in a session of its own, with its standard
// streams on /dev/null and no other descriptor of the caller, and is not
// left as the caller's child. True when the program started.
bool launchDetached(const std::string& program, std::string_view argument);

// A child process that the caller waits for or ends. Ending the object ends
// a child that still runs.
class ChildProcess {
public:
  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Runs `program` with `args` (not counting the program itself). An invalid
  // object when it cannot be started.
  static ChildProcess start(const std::string& program,
                            const std::vector<std::string>& args);

  // Starts `program` as launchDetached does on Windows (its command line,
  // flags and start-up record) but keeps the process to wait for.
  // Natively the argument text is the program's one argument.
  static ChildProcess launch(const std::string& program, std::string_view argument);

  bool isValid() const { return handle_ != kNone; }

  // The exit status once the child has ended, or nothing when it still runs
  // after `timeoutMs`. A child ended by a signal reports 128 + the signal.
  std::optional<int> wait(std::uint32_t timeoutMs);

  // Ends the child at once, as a crash would, and reaps it.
  void kill();

private:
  // Ends the child if it runs and lets go of its handle.
  void release();
  // The backend's part of the operation above, after the fault hook.
  static ChildProcess startBackend(const std::string& program,
                                   const std::vector<std::string>& args);
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone; // process handle, or the pid natively
  std::optional<int> status_;
};

} // namespace ravelock::platform
