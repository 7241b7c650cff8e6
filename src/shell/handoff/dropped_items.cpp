#include "shell/handoff/dropped_items.h"
#include "platform/filesystem.h"
#include "platform/text.h"

#include <new>
#include <span>

namespace ravelock::handoff {

namespace {

// Releases the medium on every way out.
class StorageMedium {
public:
  StorageMedium() = default;
  StorageMedium(const StorageMedium&) = delete;
  StorageMedium& operator=(const StorageMedium&) = delete;
  ~StorageMedium() { ReleaseStgMedium(&medium_); }
  STGMEDIUM* get() { return &medium_; }

private:
  STGMEDIUM medium_{};
};

class LockedGlobal {
public:
  explicit LockedGlobal(HGLOBAL memory)
      : memory_(memory), data_(static_cast<const unsigned char*>(GlobalLock(memory))) {}
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  ~LockedGlobal() {
    if (data_)
      GlobalUnlock(memory_);
  }
  const unsigned char* data() const { return data_; }

private:
  HGLOBAL memory_;
  const unsigned char* data_;
};

} // namespace

HRESULT gatherDroppedItems(IDataObject* data, PathList& paths) {
  paths = PathList();
  if (!data)
    return E_INVALIDARG;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  StorageMedium medium;
  const HRESULT got = data->GetData(&format, medium.get());
  if (FAILED(got))
    return got;
  if (medium.get()->tymed != TYMED_HGLOBAL || !medium.get()->hGlobal)
    return DV_E_TYMED;
  const LockedGlobal lock(medium.get()->hGlobal);
  if (!lock.data())
    return E_UNEXPECTED;
  // The block's real size bounds every offset and name in it.
  const std::span<const unsigned char> block(lock.data(),
                                             GlobalSize(medium.get()->hGlobal));
  try {
    readDropNames(
        block,
        [](std::u16string_view wide, std::string& ansi) {
          return platform::toUtf8Exact(wide, ansi);
        },
        [&paths](const std::string& name) {
          paths.add(name, platform::isDirectory(name.c_str()));
        });
  } catch (const std::bad_alloc&) {
    paths = PathList();
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

} // namespace ravelock::handoff
