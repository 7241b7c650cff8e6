#pragma once
// A data object holding a list of files in CF_HDROP, as Explorer hands a
// selection to a context-menu extension and a drag hands it to a drop
// target; and the drop source that ends such a drag when the pointer's
// button is let go.

#include <windows.h>

#include <objidl.h>
#include <oleidl.h>

#include <atomic>
#include <string>
#include <vector>

namespace ravelock::gui {

class FileDropData final : public IDataObject {
public:
  // A new object with one reference; `paths` in the shell's order.
  static FileDropData* create(const std::vector<std::wstring>& paths);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
  explicit FileDropData(std::vector<unsigned char> block) : block_(std::move(block)) {}
  ~FileDropData() = default;
  LONG references_ = 1;
  std::vector<unsigned char> block_; // DROPFILES and the wide names
};

// Drops when the button the drag began with is let go, cancels on Esc.
class ButtonDropSource final : public IDropSource {
public:
  // `button` is MK_LBUTTON or MK_RBUTTON.
  explicit ButtonDropSource(DWORD button) : button_(button) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; } // lives on the caller's stack
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override;
  STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  // Whether the drag loop has run with the button held: only then does a
  // move carry the items instead of ending the drag at once.
  bool dragging() const { return dragging_.load(); }

private:
  DWORD button_;
  std::atomic<bool> dragging_{false};
};

} // namespace ravelock::gui
