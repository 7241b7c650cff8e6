// vellhandler's five exports. DllMain only keeps the module handle:
// anything more would run under the loader lock inside Explorer.

#include "ravelock_version.h"
#include "shell/contextmenu/class_factory.h"
#include "shell/contextmenu/menu_items.h"
#include "shell/contextmenu/module.h"

#include <windows.h>

#include <olectl.h>
#include <shlwapi.h>

#include <new>

using namespace ravelock::contextmenu;

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    setModuleHandle(module);
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid,
                                                    void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(classId, kExtensionClassId))
    return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ContextMenuClassFactory;
  if (!factory)
    return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT result = factory->QueryInterface(iid, out);
  factory->Release();
  return result;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return objectsLive() ? S_FALSE : S_OK;
}

namespace {

// vellapp registers the extension; the library itself changes nothing.
HRESULT registrationRefused() {
  return SELFREG_E_CLASS;
}

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return registrationRefused();
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return registrationRefused();
}

extern "C" HRESULT STDAPICALLTYPE DllGetVersion(DLLVERSIONINFO* info) {
  static_assert(sizeof(DLLVERSIONINFO) == 20);
  // Filled only for the structure of exactly this size.
  if (info && info->cbSize == sizeof(DLLVERSIONINFO)) {
    info->dwMajorVersion = RAVELOCK_VERSION_MAJOR;
    info->dwMinorVersion = RAVELOCK_VERSION_MINOR;
    info->dwBuildNumber = RAVELOCK_VERSION_BUILD;
    info->dwPlatformID = DLLVER_PLATFORM_WINDOWS;
  }
  return S_OK;
}
