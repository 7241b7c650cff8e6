#pragma once
// Windows only: the shell's list of dropped or selected items (CF_HDROP
// of a data object) as a path list, shared by the context menu and the
// drop target.

#include "shell/handoff/file_list.h"

#include <windows.h>

#include <objidl.h>

namespace ravelock::handoff {

// Fills `paths` from the file list of `data`: the names in the shell's
// order, read in one pass over the block (asking the shell for each name
// by index costs a walk of the list per name), folders marked. The data
// object's own failure, E_OUTOFMEMORY, or S_OK; `paths` may still be empty.
HRESULT gatherDroppedItems(IDataObject* data, PathList& paths);

} // namespace ravelock::handoff
