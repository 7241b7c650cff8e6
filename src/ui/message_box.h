#pragma once
// Message boxes of the programs: every one is captioned "Ravelock".

#include <windows.h>

#include <string_view>

namespace ravelock::ui {

inline constexpr wchar_t kMessageCaption[] = L"Ravelock";

// MessageBoxW with the product caption; answers the button chosen.
int messageBox(HWND owner, std::wstring_view text, UINT flags);

} // namespace ravelock::ui
