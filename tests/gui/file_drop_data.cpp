#include "gui/file_drop_data.h"

#include <shlobj.h>

#include <cstring>

namespace ravelock::gui {

namespace {

FORMATETC fileListFormat() {
  return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

} // namespace

FileDropData* FileDropData::create(const std::vector<std::wstring>& paths) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::vector<unsigned char> block(sizeof header);
  std::memcpy(block.data(), &header, sizeof header);
  std::wstring names;
  for (const std::wstring& path : paths)
    names += path + L'\0';
  names += L'\0';
  const auto* bytes = reinterpret_cast<const unsigned char*>(names.data());
  block.insert(block.end(), bytes, bytes + names.size() * sizeof(wchar_t));
  return new FileDropData(std::move(block));
}

STDMETHODIMP FileDropData::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject))
    return E_NOINTERFACE;
  *out = static_cast<IDataObject*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) FileDropData::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) FileDropData::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0)
    delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP FileDropData::QueryGetData(FORMATETC* format) {
  if (!format || format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL) ||
      format->dwAspect != DVASPECT_CONTENT)
    return DV_E_FORMATETC;
  return S_OK;
}

STDMETHODIMP FileDropData::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (const HRESULT ok = QueryGetData(format); FAILED(ok))
    return ok;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block_.size());
  if (!memory)
    return E_OUTOFMEMORY;
  std::memcpy(GlobalLock(memory), block_.data(), block_.size());
  GlobalUnlock(memory);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

STDMETHODIMP FileDropData::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out)
    out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP FileDropData::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (direction != DATADIR_GET)
    return E_NOTIMPL;
  FORMATETC format = fileListFormat();
  return SHCreateStdEnumFmtEtc(1, &format, out);
}

STDMETHODIMP ButtonDropSource::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropSource))
    return E_NOINTERFACE;
  *out = static_cast<IDropSource*>(this);
  return S_OK;
}

STDMETHODIMP ButtonDropSource::QueryContinueDrag(BOOL escape, DWORD keys) {
  if (escape)
    return DRAGDROP_S_CANCEL;
  if (!(keys & button_))
    return DRAGDROP_S_DROP;
  dragging_.store(true);
  return S_OK;
}

} // namespace ravelock::gui
