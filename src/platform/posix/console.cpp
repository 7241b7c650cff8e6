#include "platform/console.h"

#include <csignal>
#include <termios.h>
#include <unistd.h>

namespace ravelock::platform {

bool stdinIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
}
bool stderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

bool readConsoleLine(std::string& line, bool echo) {
  termios saved{};
  const bool hide = !echo && ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (hide) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  const bool ok = detail::readStdinLine(line);
  if (hide)
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  return ok;
}

namespace {
void (*interruptHandler)() = nullptr;
extern "C" void onSigint(int) {
  if (interruptHandler)
    interruptHandler();
}
} // namespace

void onInterrupt(void (*handler)()) {
  interruptHandler = handler;
  struct sigaction action {};
  action.sa_handler = onSigint;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
}

} // namespace ravelock::platform
