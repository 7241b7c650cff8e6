// pondlet.exe: the floating fish that files are dropped on.

#include "shell/droptarget/pondlet.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ravelock::droptarget::Pondlet pondlet(instance);
  return pondlet.run();
}
