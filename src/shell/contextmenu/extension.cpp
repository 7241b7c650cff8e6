#include "shell/contextmenu/extension.h"
#include "shell/contextmenu/menu_items.h"
#include "shell/contextmenu/module.h"
#include "shell/handoff/dropped_items.h"
#include "shell/handoff/launch.h"
#include "vellhandler/resource.h"

#include <cstring>
#include <new>

namespace ravelock::contextmenu {

namespace {

HBITMAP loadBitmap(int id) {
  HINSTANCE module = moduleHandle();
  if (!module)
    return nullptr;
  // The pictures' grey background becomes the system's face colour, which
  // the menus share.
  return static_cast<HBITMAP>(
      LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
}

// The low four flags: the menu kinds that get items.
constexpr UINT kMenuKindFlags =
    CMF_DEFAULTONLY | CMF_VERBSONLY | CMF_EXPLORE | CMF_NOVERBS;

bool menuTakesItems(UINT flags) {
  const UINT kind = flags & kMenuKindFlags;
  return kind == 0 || (kind & (CMF_VERBSONLY | CMF_EXPLORE)) != 0;
}

void insertSeparator(HMENU menu, UINT at) {
  InsertMenuW(menu, at, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void insertItem(HMENU menu, UINT at, UINT command, const MenuItem& item, HBITMAP bitmap) {
  InsertMenuW(menu, at, MF_BYPOSITION | MF_STRING, command, item.text);
  if (bitmap)
    SetMenuItemBitmaps(menu, at, MF_BYPOSITION, bitmap, bitmap);
}

// Copies `text` cut to `size` units with its terminator, as lstrcpyn does.
template <class Char> void copyCut(Char* buffer, UINT size, const Char* text) {
  if (!buffer || size == 0)
    return;
  UINT n = 0;
  while (n + 1 < size && text[n] != 0) {
    buffer[n] = text[n];
    ++n;
  }
  buffer[n] = 0;
}

} // namespace

ContextMenuExtension::ContextMenuExtension()
    : encryptBitmap_(loadBitmap(IDB_ENCRYPT)), decryptBitmap_(loadBitmap(IDB_DECRYPT)) {
  objectCreated();
}

ContextMenuExtension::~ContextMenuExtension() {
  if (data_)
    data_->Release();
  objectDestroyed();
  if (encryptBitmap_)
    DeleteObject(encryptBitmap_);
  if (decryptBitmap_)
    DeleteObject(decryptBitmap_);
}

HRESULT ContextMenuExtension::create(REFIID iid, void** out) {
  auto* extension = new (std::nothrow) ContextMenuExtension;
  if (!extension)
    return E_OUTOFMEMORY;
  // Held across the question, so that a refusal frees the new object.
  extension->AddRef();
  const HRESULT result = extension->QueryInterface(iid, out);
  extension->Release();
  return result;
}

STDMETHODIMP ContextMenuExtension::QueryInterface(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IContextMenu))
    *out = static_cast<IContextMenu*>(this);
  else if (IsEqualIID(iid, IID_IShellExtInit) || IsEqualIID(iid, IID_IUnknown))
    *out = static_cast<IShellExtInit*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ContextMenuExtension::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) ContextMenuExtension::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0)
    delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP ContextMenuExtension::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data,
                                              HKEY) {
  if (data_)
    data_->Release();
  data_ = data;
  if (data_)
    data_->AddRef();
  return S_OK;
}

ContextMenuExtension::Selection ContextMenuExtension::gatherSelection() {
  list_.clear();
  count_ = 0;
  handoff::PathList paths;
  if (!data_ || FAILED(handoff::gatherDroppedItems(data_, paths)) || paths.count() == 0)
    return Selection::None;
  list_ = paths.bytes();
  count_ = paths.count();
  return paths.decryptable() ? Selection::EncryptAndDecrypt : Selection::EncryptOnly;
}

STDMETHODIMP ContextMenuExtension::QueryContextMenu(HMENU menu, UINT index,
                                                    UINT firstCommand, UINT lastCommand,
                                                    UINT flags) {
  return guarded(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), [&]() -> HRESULT {
    const Selection selection = gatherSelection();
    if (selection == Selection::None || !menuTakesItems(flags) ||
        lastCommand < firstCommand)
      return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    insertSeparator(menu, index);
    insertItem(menu, index + 1, firstCommand + kEncryptCommand, kEncryptItem,
               encryptBitmap_);
    // Decrypt needs a second id of the range Explorer gave.
    if (selection == Selection::EncryptAndDecrypt && lastCommand > firstCommand) {
      insertItem(menu, index + 2, firstCommand + kDecryptCommand, kDecryptItem,
                 decryptBitmap_);
      insertSeparator(menu, index + 3);
      return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
    }
    insertSeparator(menu, index + 2);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
  });
}

STDMETHODIMP ContextMenuExtension::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info || HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 0)
    return E_INVALIDARG;
  const UINT offset = LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
  if (offset != kEncryptCommand && offset != kDecryptCommand)
    return E_INVALIDARG;
  // A failed start is silent: the library shows no message.
  return guarded(S_OK, [&] {
    if (!list_.empty())
      handoff::LaunchWithFileList(moduleHandle(), list_.data(),
                                  static_cast<std::uint32_t>(list_.size()), count_,
                                  offset == kEncryptCommand);
    return S_OK;
  });
}

STDMETHODIMP ContextMenuExtension::GetCommandString(UINT_PTR command, UINT type, UINT*,
                                                    CHAR* buffer, UINT size) {
  const MenuItem* item = command == kEncryptCommand   ? &kEncryptItem
                         : command == kDecryptCommand ? &kDecryptItem
                                                      : nullptr;
  if (!item)
    return E_INVALIDARG;
  switch (type) {
  case GCS_VERBA:
  case GCS_HELPTEXTA: copyCut(buffer, size, item->help); break;
  case GCS_VERBW:
  case GCS_HELPTEXTW:
    copyCut(reinterpret_cast<wchar_t*>(buffer), size, item->helpWide);
    break;
  default: break;
  }
  return S_OK;
}

} // namespace ravelock::contextmenu
