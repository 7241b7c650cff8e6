#pragma once
// Windows only: the private messages between the main window, its panels
// and its pages.

#include <windows.h>

namespace ravelock::app {

// To the main window: wParam a left-bar button id (IDC_PAGE_FIRST + page, or
// IDC_EXIT); shows that page or closes the window.
inline constexpr UINT UM_SHOW_PAGE = WM_USER + 58; // 1082
// To a page from its icon button: wParam the button's command, lParam a
// POINT* with the button's top-left corner on the screen.
inline constexpr UINT UM_ICON_BUTTON_CLICKED = WM_USER + 60; // 1084
// To the left bar: wParam the id of the button to mark as selected.
inline constexpr UINT UM_SELECT_BUTTON = WM_USER + 62; // 1086
// To the main window: shows the help topic of the current page.
inline constexpr UINT UM_SHOW_HELP = WM_USER + 63; // 1087
// To the Key manager page: reload the list of keys.
inline constexpr UINT UM_RELOAD_KEYS = WM_USER + 64; // 1088

// The system menu's "About" item; the system sends the whole range
// kSystemAboutCommand..kSystemAboutLast for it.
inline constexpr UINT kSystemAboutCommand = 16;
inline constexpr UINT kSystemAboutLast = 31;

} // namespace ravelock::app
