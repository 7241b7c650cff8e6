#include "shell/contextmenu/class_factory.h"
#include "shell/contextmenu/extension.h"
#include "shell/contextmenu/module.h"

#include <new>

namespace ravelock::contextmenu {

ContextMenuClassFactory::ContextMenuClassFactory() {
  objectCreated();
}

ContextMenuClassFactory::~ContextMenuClassFactory() {
  objectDestroyed();
}

STDMETHODIMP ContextMenuClassFactory::QueryInterface(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
    return E_NOINTERFACE;
  *out = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ContextMenuClassFactory::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) ContextMenuClassFactory::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0)
    delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP ContextMenuClassFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                                     void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (outer)
    return CLASS_E_NOAGGREGATION;
  return ContextMenuExtension::create(iid, out);
}

STDMETHODIMP ContextMenuClassFactory::LockServer(BOOL) {
  return S_OK;
}

} // namespace ravelock::contextmenu
