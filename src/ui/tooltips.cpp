#include "ui/tooltips.h"

#include <commctrl.h>

#include <string>

namespace ravelock::ui {

namespace {
// Long tips wrap at this width.
constexpr int kTipWidth = 300;
} // namespace

void Tooltips::add(HWND dialog, int control, std::wstring_view text) {
  if (!window_) {
    window_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog,
                                  nullptr, nullptr, nullptr));
    if (!window_)
      return;
    SendMessageW(window_.get(), TTM_SETMAXTIPWIDTH, 0, kTipWidth);
  }
  std::wstring copy(text);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, control));
  tool.lpszText = copy.data();
  SendMessageW(window_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(window_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltips::relay(const MSG& message) {
  if (!window_)
    return;
  switch (message.message) {
  case WM_MOUSEMOVE:
  case WM_LBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_RBUTTONDOWN:
  case WM_RBUTTONUP:
  case WM_MBUTTONDOWN:
  case WM_MBUTTONUP: {
    MSG copy = message;
    SendMessageW(window_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&copy));
    break;
  }
  default: break;
  }
}

} // namespace ravelock::ui
