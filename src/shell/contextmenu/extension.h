#pragma once
// The context-menu extension object: IShellExtInit and IContextMenu on one
// object (IUnknown answered with the IShellExtInit pointer). The selection
// is gathered by each QueryContextMenu, and the commands hand it to a new
// vellapp.

#include "shell/handoff/file_list.h"

#include <windows.h>

#include <shlobj.h>

#include <string>

namespace ravelock::contextmenu {

class ContextMenuExtension final : public IContextMenu, public IShellExtInit {
public:
  // A new object's interface `iid`; a refused interface frees the object.
  static HRESULT create(REFIID iid, void** out);

  ContextMenuExtension(const ContextMenuExtension&) = delete;
  ContextMenuExtension& operator=(const ContextMenuExtension&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data,
                          HKEY programKey) override;

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstCommand,
                                UINT lastCommand, UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* buffer,
                                UINT size) override;

private:
  ContextMenuExtension();
  ~ContextMenuExtension();

  enum class Selection { None, EncryptOnly, EncryptAndDecrypt };
  Selection gatherSelection();

  volatile LONG references_ = 0;
  IDataObject* data_ = nullptr;
  std::string list_; // the path list with its final NUL, or empty
  std::int32_t count_ = 0;
  HBITMAP encryptBitmap_ = nullptr;
  HBITMAP decryptBitmap_ = nullptr;
};

} // namespace ravelock::contextmenu
