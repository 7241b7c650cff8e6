// vellsetup: run by the installer before it copies files. Offers to remove
// an older installation; exit code 1 stops the setup.

#include "platform/registry.h"
#include "setup/older_installation.h"
#include "setup/win32/windows_host.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace ravelock;
  setup::WindowsHost host;
  return setup::checkOlderInstallation(platform::systemRegistry(), host);
}
