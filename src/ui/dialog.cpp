#include "ui/dialog.h"

#include "framework_ids.h"
#include "ui/message_box.h"
#include "ui/text.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace ravelock::ui {

namespace {

void initCommonControls() {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
}

// The direct child of `dialog` that holds `window`, or null.
HWND childOf(HWND dialog, HWND window) {
  while (window && GetParent(window) != dialog) {
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)
      window = GetParent(window);
    else
      return nullptr;
  }
  return window;
}

} // namespace

Dialog::Dialog(const Resources& resources, int templateId)
    : resources_(resources), templateId_(templateId),
      background_(CreateSolidBrush(kDialogBackground)) {}

Dialog::~Dialog() {
  if (hwnd_) {
    // The derived parts are gone: the window must not call into them.
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

HWND Dialog::create(HWND owner) {
  initCommonControls();
  ended_ = false;
  result_ = -1;
  return CreateDialogParamW(resources_.module(), MAKEINTRESOURCEW(templateId_), owner,
                            procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::runModal(HWND owner) {
  modal_ = true;
  if (!create(owner))
    return -1;
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner)
    EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  MSG message;
  while (!ended_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // Leave WM_QUIT for the loop that owns the thread.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1)
      break;
    if (!translate(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // The owner takes the activation back before this window goes away.
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (disableOwner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  if (hwnd_)
    DestroyWindow(hwnd_);
  return result_;
}

HWND Dialog::createModeless(HWND owner) {
  modal_ = false;
  if (create(owner))
    ShowWindow(hwnd_, SW_SHOW);
  return hwnd_;
}

bool Dialog::translate(MSG& message) {
  if (!hwnd_)
    return false;
  if (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))
    return false;
  return preTranslate(message) || IsDialogMessageW(hwnd_, &message);
}

bool Dialog::preTranslate(MSG& message) {
  switch (message.message) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_NCLBUTTONDOWN: help_.close(); break;
  default: break;
  }
  tooltips_.relay(message);
  if (message.message == WM_KEYDOWN && message.wParam == VK_F1) {
    // F1 asks for the help of the control that has the focus.
    if (!onHelpKey())
      showHelp(childOf(hwnd_, GetFocus()));
    return true;
  }
  return false;
}

void Dialog::showHelp(HWND control) {
  if (control)
    help_.show(hwnd_, GetDlgCtrlID(control), resources_);
}

void Dialog::end(INT_PTR result) {
  result_ = result;
  ended_ = true;
  if (!modal_) {
    DestroyWindow(hwnd_);
    return;
  }
  // Wakes the loop when this was called from a sent message.
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->hwnd_ = window;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  if (!self)
    return FALSE;
  const INT_PTR answer = self->handle(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    self->ended_ = true;
  }
  return answer;
}

INT_PTR Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG: return onInit() ? TRUE : FALSE;
  case WM_COMMAND: return onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
  case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(background_.get());
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN: {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkColor(dc, kDialogBackground);
    SetTextColor(dc, textColour(GetDlgCtrlID(reinterpret_cast<HWND>(lParam))));
    return reinterpret_cast<INT_PTR>(background_.get());
  }
  case WM_HELP: {
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    if (info && info->iContextType == HELPINFO_WINDOW)
      help_.show(hwnd_, info->iCtrlId, resources_);
    // A control without help consumes the request quietly.
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }
  case WM_SETCURSOR:
    if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT &&
        links_.setCursorOver(hwnd_)) {
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    break;
  case WM_LBUTTONDOWN: {
    const POINT point{static_cast<short>(LOWORD(lParam)),
                      static_cast<short>(HIWORD(lParam))};
    if (const int label = links_.labelAt(hwnd_, point)) {
      onLinkClicked(label);
      return TRUE;
    }
    break;
  }
  case WM_DESTROY: help_.close(); return FALSE;
  default: break;
  }
  if (std::optional<LRESULT> answer = onMessage(message, wParam, lParam)) {
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, *answer);
    return TRUE;
  }
  return FALSE;
}

bool Dialog::onCommand(int id, int /*code*/) {
  switch (id) {
  case IDOK: onOk(); return true;
  case IDCANCEL: onCancel(); return true;
  default: return false;
  }
}

std::optional<LRESULT> Dialog::onMessage(UINT, WPARAM, LPARAM) {
  return std::nullopt;
}

COLORREF Dialog::textColour(int control) const {
  return links_.colourOf(control).value_or(kDialogText);
}

void Dialog::placeBelowOwner() {
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (!owner || !IsWindowVisible(owner))
    return;
  RECT ownerRect{}, rect{};
  GetWindowRect(owner, &ownerRect);
  GetWindowRect(hwnd_, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  MONITORINFO monitor{sizeof monitor};
  GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  constexpr int kGap = 8;
  int x = (ownerRect.left + ownerRect.right - width) / 2;
  int y = ownerRect.bottom + kGap;
  if (y + height > work.bottom)
    y = ownerRect.top - kGap - height; // above it instead
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring Dialog::text(int id) const {
  HWND window = item(id);
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void Dialog::setText(int id, std::wstring_view text) {
  const std::wstring terminated(text);
  SetWindowTextW(item(id), terminated.c_str());
}

void Dialog::setTitle(unsigned stringId) {
  SetWindowTextW(hwnd_, resources_.string(stringId).c_str());
}

void Dialog::show(int id, bool visible) {
  ShowWindow(item(id), visible ? SW_SHOW : SW_HIDE);
}

bool Dialog::shown(int id) const {
  return IsWindowVisible(item(id)) != FALSE;
}

void Dialog::enable(int id, bool enabled) {
  EnableWindow(item(id), enabled);
}

bool Dialog::checked(int id) const {
  return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void Dialog::setChecked(int id, bool on) {
  CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void Dialog::limitText(int id, unsigned maxChars) {
  SendMessageW(item(id), EM_LIMITTEXT, maxChars, 0);
}

bool Dialog::checkMaxChars(int id, unsigned maxChars) {
  if (static_cast<unsigned>(GetWindowTextLengthW(item(id))) <= maxChars)
    return true;
  message(fill(resources_.string(IDS_UI_MAX_CHARS), std::to_wstring(maxChars)),
          MB_ICONEXCLAMATION | MB_OK);
  SetFocus(item(id));
  SendMessageW(item(id), EM_SETSEL, 0, -1);
  return false;
}

int Dialog::message(unsigned stringId, UINT flags) {
  return message(resources_.string(stringId), flags);
}

int Dialog::message(std::wstring_view text, UINT flags) {
  return messageBox(hwnd_, text, flags);
}

} // namespace ravelock::ui
