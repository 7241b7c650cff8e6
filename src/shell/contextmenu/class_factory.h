#pragma once
// Makes ContextMenuExtension objects for Explorer.

#include <windows.h>

#include <unknwn.h>

namespace ravelock::contextmenu {

class ContextMenuClassFactory final : public IClassFactory {
public:
  ContextMenuClassFactory();
  ContextMenuClassFactory(const ContextMenuClassFactory&) = delete;
  ContextMenuClassFactory& operator=(const ContextMenuClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  // Keeps no count: the library may be unloaded once its objects are gone.
  STDMETHODIMP LockServer(BOOL lock) override;

private:
  ~ContextMenuClassFactory();
  volatile LONG references_ = 0;
};

} // namespace ravelock::contextmenu
