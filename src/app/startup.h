#pragma once
// Windows only: vellapp's start-up. It connects to the key server, binds
// the engine, and then either performs the one action the command line
// asks for or runs the main window; on every path it disconnects and
// unloads the engine before it returns, and the process ends.

#include <span>
#include <string>

namespace ravelock::app {

// `arguments` as the C runtime splits the command line, without the
// program's own name.
void runStartUp(std::span<const std::string> arguments);

} // namespace ravelock::app
