#include "shell/droptarget/drop_target.h"

namespace ravelock::droptarget {

STDMETHODIMP FishDropTarget::QueryInterface(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropTarget))
    return E_NOINTERFACE;
  *out = static_cast<IDropTarget*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) FishDropTarget::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) FishDropTarget::Release() {
  return static_cast<ULONG>(InterlockedDecrement(&references_));
}

STDMETHODIMP FishDropTarget::DragEnter(IDataObject*, DWORD keys, POINTL, DWORD* effect) {
  rightButton_ = (keys & MK_RBUTTON) != 0;
  if (effect)
    *effect = DROPEFFECT_LINK;
  return S_OK;
}

STDMETHODIMP FishDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect)
    *effect = DROPEFFECT_LINK;
  return S_OK;
}

STDMETHODIMP FishDropTarget::DragLeave() {
  return S_OK;
}

STDMETHODIMP FishDropTarget::Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) {
  HRESULT result = E_OUTOFMEMORY;
  // Nothing thrown may unwind into OLE's frames.
  try {
    result = handler_.dropped(data, rightButton_, at);
  } catch (...) {
  }
  if (effect)
    *effect = SUCCEEDED(result) ? DROPEFFECT_LINK : DROPEFFECT_NONE;
  return result;
}

} // namespace ravelock::droptarget
