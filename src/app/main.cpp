// vellapp.exe: the program a user starts, and the one the shell, the drop
// target and the folder shortcuts start with a switch.
#include "app/startup.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The command line as the C runtime splits it, in the ANSI code page.
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i)
    arguments.emplace_back(__argv[i]);
  ravelock::app::runStartUp(arguments);
  return 0;
}
