#include "shell/contextmenu/module.h"

namespace ravelock::contextmenu {

namespace {

HINSTANCE module = nullptr;
volatile LONG liveObjects = 0;

} // namespace

HINSTANCE moduleHandle() {
  return module;
}

void setModuleHandle(HINSTANCE handle) {
  module = handle;
}

void objectCreated() {
  InterlockedIncrement(&liveObjects);
}

void objectDestroyed() {
  InterlockedDecrement(&liveObjects);
}

bool objectsLive() {
  return InterlockedCompareExchange(&liveObjects, 0, 0) != 0;
}

} // namespace ravelock::contextmenu
