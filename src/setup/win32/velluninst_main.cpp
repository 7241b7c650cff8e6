// velluninst: removes the installation its data file describes, from a copy
// of itself in the temporary folder so that its installed copy can go too.

#include "platform/module.h"
#include "platform/registry.h"
#include "setup/removal.h"
#include "setup/win32/windows_host.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace ravelock;
  setup::WindowsHost host;
  const std::string ownPath =
      platform::modulePath(reinterpret_cast<const void*>(&WinMain));
  if (setup::handOverToTemporaryCopy(ownPath, setup::commandLineArguments(), host))
    return setup::kExitDone;
  host.sleep(setup::kHandOverWaitMs);
  if (__argc < 2)
    return setup::kExitCannotOpenData;
  return setup::removeInstallation(__argv[1], host, platform::systemRegistry(),
                                   setup::RemovalMode::Uninstall);
}
