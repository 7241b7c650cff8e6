#pragma once
// vellhandler's module state: its own handle (for the bitmaps and to find
// vellapp.exe beside it) and the count of live class factories and
// extension objects, which decides whether Explorer may unload it.

#include <windows.h>

namespace ravelock::contextmenu {

HINSTANCE moduleHandle();
void setModuleHandle(HINSTANCE module);

// Explorer asks DllCanUnloadNow from any thread, so the count is
// interlocked.
void objectCreated();
void objectDestroyed();
bool objectsLive();

// Runs `body` and turns anything it throws into `failure`: nothing may
// unwind into the caller's frames, which are Explorer's.
template <class Body> HRESULT guarded(HRESULT failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

} // namespace ravelock::contextmenu
