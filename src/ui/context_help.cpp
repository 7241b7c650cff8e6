#include "ui/context_help.h"
#include "ui/html_help.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <cstddef>

namespace ravelock::ui {

namespace {

// HH_POPUP as HtmlHelpW reads it (the header's follows the TCHAR setting).
struct HtmlHelpPopupW {
  int cbStruct;
  HINSTANCE hinst;
  UINT idString;
  LPCWSTR pszText;
  POINT pt;
  COLORREF clrForeground;
  COLORREF clrBackground;
  RECT rcMargins;
  LPCWSTR pszFont;
};
static_assert(sizeof(HtmlHelpPopupW) == sizeof(HH_POPUP));
static_assert(offsetof(HtmlHelpPopupW, pszFont) == offsetof(HH_POPUP, pszFont));

// HTML Help is bound at run time so that a system without it (or with a
// partial one) loses only the pop-ups. It is initialised once and stays so
// for the life of the process, as HH_INITIALIZE asks.
class HtmlHelpLibrary {
public:
  static HtmlHelpLibrary& instance() {
    static HtmlHelpLibrary library;
    return library;
  }
  HtmlHelpFn function() const { return function_; }

private:
  HtmlHelpLibrary() : function_(htmlHelpFunction()) {
    if (function_)
      function_(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie_));
  }
  HtmlHelpFn function_ = nullptr;
  DWORD cookie_ = 0;
};

// The fallback pop-up is at most this wide; longer lines wrap.
constexpr int kFallbackWidth = 320;

} // namespace

unsigned ContextHelp::stringOf(int control) const {
  for (const auto& [id, stringId] : entries_)
    if (id == control)
      return stringId;
  return 0;
}

bool ContextHelp::show(HWND dialog, int control, const Resources& resources) {
  close();
  const unsigned stringId = stringOf(control);
  if (stringId == 0)
    return false;
  HWND controlWindow = GetDlgItem(dialog, control);
  HtmlHelpPopupW popup{};
  popup.cbStruct = sizeof popup;
  popup.hinst = resources.module();
  popup.idString = stringId;
  popup.pt = {-1, -1};
  popup.clrForeground = static_cast<COLORREF>(-1);
  popup.clrBackground = static_cast<COLORREF>(-1);
  popup.rcMargins = {-1, -1, 1, -1};
  popup.pszFont = kHelpPopupFont;
  HtmlHelpFn htmlHelp = HtmlHelpLibrary::instance().function();
  if (htmlHelp && htmlHelp(controlWindow ? controlWindow : dialog, nullptr,
                           HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup)))
    return true;
  showFallback(dialog, controlWindow, resources.string(stringId));
  return true;
}

void ContextHelp::showFallback(HWND dialog, HWND controlWindow,
                               const std::wstring& text) {
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                             nullptr, nullptr);
  if (!tip)
    return;
  fallback_.reset(tip);
  // The window text too, so that the pop-up can be read like any window.
  SetWindowTextW(tip, text.c_str());
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = dialog;
  tool.uId = 1;
  tool.lpszText = const_cast<LPWSTR>(text.c_str());
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, kFallbackWidth);
  // Below the control, as the pop-up of a help button would be.
  RECT at{};
  GetWindowRect(controlWindow ? controlWindow : dialog, &at);
  SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.left + 8, at.bottom + 2));
  SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

} // namespace ravelock::ui
