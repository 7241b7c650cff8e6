#include "ui/save_as.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace ravelock::ui {

std::wstring dialogFilter(const std::wstring& tableFilter) {
  std::wstring filter = tableFilter;
  for (wchar_t& c : filter)
    if (c == L'|')
      c = L'\0';
  filter.push_back(L'\0');
  return filter;
}

std::optional<std::wstring> saveAs(HWND owner, const SaveAsRequest& request) {
  const std::wstring filter = dialogFilter(request.filter);

  std::wstring folder, name = request.initialPath;
  const std::size_t slash = request.initialPath.find_last_of(L"\\/");
  if (slash != std::wstring::npos) {
    folder = request.initialPath.substr(0, slash + 1);
    name = request.initialPath.substr(slash + 1);
  }
  std::vector<wchar_t> file(32768, L'\0');
  name.copy(file.data(), std::min(name.size(), file.size() - 1));

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt =
      request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST |
              OFN_NOCHANGEDIR | (request.confirmOverwrite ? OFN_OVERWRITEPROMPT : 0);
  if (!GetSaveFileNameW(&ofn))
    return std::nullopt;
  return std::wstring(file.data());
}

std::optional<std::wstring> openFile(HWND owner, const std::wstring& filter) {
  const std::wstring dialog = dialogFilter(filter);
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = dialog.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_FILEMUSTEXIST |
              OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&ofn))
    return std::nullopt;
  return std::wstring(file.data());
}

} // namespace ravelock::ui
