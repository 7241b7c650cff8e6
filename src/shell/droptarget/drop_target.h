#pragma once
// The fish's OLE drop target: answers the link effect while files are
// dragged over it and passes the drop, with whether the drag was made
// with the right button, to its handler.

#include <windows.h>

#include <oleidl.h>

namespace ravelock::droptarget {

class DropHandler {
public:
  virtual HRESULT dropped(IDataObject* data, bool rightButton, POINTL at) = 0;

protected:
  ~DropHandler() = default;
};

// Lives as long as the program: its references are counted for OLE but
// never free it.
class FishDropTarget final : public IDropTarget {
public:
  explicit FishDropTarget(DropHandler& handler) : handler_(handler) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL at,
                         DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keys, POINTL at, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

private:
  DropHandler& handler_;
  volatile LONG references_ = 1;
  bool rightButton_ = false;
};

} // namespace ravelock::droptarget
