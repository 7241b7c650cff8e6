#pragma once
// The terminal, for the command-line tool: whether the standard streams are
// one, and reading a line (a pass phrase without echo).

#include <string>

namespace ravelock::platform {

bool stdinIsTerminal();
bool stderrIsTerminal();

// Reads one line from standard input without its line end. With `echo`
// false and a terminal, the typed characters are not shown. False at end of
// input.
bool readConsoleLine(std::string& line, bool echo);

// Calls `handler` (from any thread) when the user presses Ctrl-C; the
// process is not ended by it.
void onInterrupt(void (*handler)());

namespace detail {
// The line reading both backends share once echo is dealt with.
bool readStdinLine(std::string& line);
} // namespace detail

} // namespace ravelock::platform
