#pragma once
// The common Save As and Open dialogs with a filter written as in the
// string tables ("Name|*.ext|...||").

#include <windows.h>

#include <optional>
#include <string>

namespace ravelock::ui {

struct SaveAsRequest {
  std::wstring filter;           // "|"-separated, ended by "||"
  std::wstring defaultExtension; // without the dot; empty for none
  std::wstring initialPath;      // folder and file name to start from
  bool confirmOverwrite = false; // the dialog itself asks before overwriting
};

// The path chosen, or nothing when the user cancelled.
std::optional<std::wstring> saveAs(HWND owner, const SaveAsRequest& request);

// A table's filter as the common dialogs take it: NUL-separated.
std::wstring dialogFilter(const std::wstring& tableFilter);

// One existing file chosen in the Open dialog, or nothing when the user
// cancelled.
std::optional<std::wstring> openFile(HWND owner, const std::wstring& filter);

} // namespace ravelock::ui
