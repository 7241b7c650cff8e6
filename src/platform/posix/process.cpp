#include "platform/process.h"
#include "platform/backend.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace ravelock::platform {

namespace {

// Between fork and exec only async-signal-safe calls are allowed.
[[noreturn]] void failChild(int reportFd) {
  const int error = errno;
  [[maybe_unused]] const auto n = ::write(reportFd, &error, sizeof error);
  ::_exit(127);
}

std::optional<int> exitStatus(int status) {
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return std::nullopt;
}

} // namespace

std::string executableFileName(std::string_view baseName) {
  return std::string(baseName);
}

bool backend::launchDetached(const std::string& program, std::string_view argument) {
  const std::string arg(argument);
  char* argv[3] = {const_cast<char*>(program.c_str()),
                   argument.empty() ? nullptr : const_cast<char*>(arg.c_str()), nullptr};
  const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  int report[2];
  if (devNull < 0 || ::pipe2(report, O_CLOEXEC) != 0) {
    if (devNull >= 0)
      ::close(devNull);
    return false;
  }
  rlimit files{};
  const int maxFd = ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < 4096
                        ? static_cast<int>(files.rlim_cur)
                        : 4096;

  // fork, setsid, fork again: the program is nobody's child here, so it
  // leaves no zombie behind and outlives this process and its terminal.
  const pid_t middle = ::fork();
  if (middle == 0) {
    ::close(report[0]);
    if (::setsid() < 0)
      failChild(report[1]);
    const pid_t server = ::fork();
    if (server < 0)
      failChild(report[1]);
    if (server > 0)
      ::_exit(0);
    // Keep the caller's pipes (a test runner reading its output) out of a
    // program that may run for the rest of the session.
    ::dup2(devNull, 0);
    ::dup2(devNull, 1);
    ::dup2(devNull, 2);
#ifdef CLOSE_RANGE_CLOEXEC
    // The report pipe is close-on-exec already; so is everything else then.
    if (::close_range(3, ~0u, CLOSE_RANGE_CLOEXEC) != 0)
#endif
      for (int fd = 3; fd < maxFd; ++fd)
        if (fd != report[1])
          ::close(fd);
    ::execv(program.c_str(), argv);
    failChild(report[1]);
  }
  ::close(report[1]);
  ::close(devNull);
  bool started = false;
  if (middle > 0) {
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    // The report pipe closes on a successful exec; an error number means not.
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    started = got == 0;
  }
  ::close(report[0]);
  return started;
}

ChildProcess ChildProcess::startBackend(const std::string& program,
                                        const std::vector<std::string>& args) {
  ChildProcess child;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    return child;
  child.handle_ = pid;
  return child;
}

ChildProcess ChildProcess::launch(const std::string& program, std::string_view argument) {
  std::vector<std::string> args;
  if (!argument.empty())
    args.emplace_back(argument);
  return start(program, args);
}

std::optional<int> ChildProcess::wait(std::uint32_t timeoutMs) {
  if (status_ || handle_ == kNone)
    return status_;
  const auto pid = static_cast<pid_t>(handle_);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      status_ = exitStatus(status);
      if (status_)
        return status_;
    } else if (done < 0 && errno != EINTR) {
      status_ = 127; // not our child any more: nothing left to wait for
      return status_;
    }
    if (std::chrono::steady_clock::now() >= deadline)
      return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void ChildProcess::release() {
  kill(); // a pid needs no closing
  handle_ = kNone;
}

void ChildProcess::kill() {
  if (handle_ == kNone || status_)
    return;
  ::kill(static_cast<pid_t>(handle_), SIGKILL);
  int status = 0;
  while (::waitpid(static_cast<pid_t>(handle_), &status, 0) < 0 && errno == EINTR) {
  }
  status_ = exitStatus(status).value_or(128 + SIGKILL);
}

} // namespace ravelock::platform
