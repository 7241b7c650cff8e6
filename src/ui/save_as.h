#pragma once
// The common Save As dialog with a filter written as in the string tables
// ("Name|*.ext|...||").

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

} // namespace ravelock::ui
