#include "app/icon_button.h"

#include "app/painting.h"
#include "app/window_messages.h"
#include "resource.h"

namespace ravelock::app {

namespace {

constexpr int kIconPixels = 32;

// The keys the button moves or clicks with; the others (Escape, F1, Alt
// and a letter) stay the dialog's.
bool wantsKey(const MSG* message) {
  if (!message || message->message != WM_KEYDOWN)
    return false;
  switch (message->wParam) {
  case VK_TAB:
  case VK_DOWN:
  case VK_UP:
  case VK_RETURN: return true;
  default: return false;
  }
}

} // namespace

IconButton::IconButton(const ui::Resources& resources, const IconButtonLook& look)
    : Dialog(resources, IDD_ICON_BUTTON), look_(look) {}

void IconButton::create(HWND page, int placeholder) {
  const RECT place = controlRect(page, placeholder);
  createModeless(page);
  SetWindowLongPtrW(hwnd(), GWLP_ID, placeholder);
  DestroyWindow(GetDlgItem(page, placeholder));
  SetWindowPos(hwnd(), nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void IconButton::ring(std::initializer_list<IconButton*> buttons) {
  IconButton* const* all = buttons.begin();
  const std::size_t count = buttons.size();
  for (std::size_t i = 0; i < count; ++i) {
    all[i]->next_ = all[(i + 1) % count]->hwnd();
    all[i]->previous_ = all[(i + count - 1) % count]->hwnd();
  }
}

bool IconButton::onInit() {
  titleFont_ = makeFont(L"Arial", 12, FW_NORMAL);
  descriptionFont_ = makeFont(L"MS Serif", 12, FW_LIGHT);
  SendDlgItemMessageW(hwnd(), IDC_ICON_BUTTON_TITLE, WM_SETFONT,
                      reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
  SendDlgItemMessageW(hwnd(), IDC_ICON_BUTTON_TEXT, WM_SETFONT,
                      reinterpret_cast<WPARAM>(descriptionFont_.get()), FALSE);
  setString(IDC_ICON_BUTTON_TITLE, look_.title);
  setString(IDC_ICON_BUTTON_TEXT, look_.description);
  SendDlgItemMessageW(
      hwnd(), IDC_ICON_BUTTON_ICON, STM_SETICON,
      reinterpret_cast<WPARAM>(resources().icon(look_.icon, scaled(kIconPixels))), 0);
  return true;
}

void IconButton::setPressed(bool pressed) {
  pressed_ = pressed;
  paintFrame();
}

void IconButton::setFocused(bool focused) {
  focused_ = focused;
  paintFrame();
}

void IconButton::paintFrame() {
  InvalidateRect(hwnd(), nullptr, TRUE);
  UpdateWindow(hwnd());
}

void IconButton::clicked() {
  RECT box{};
  GetWindowRect(hwnd(), &box);
  POINT corner{box.left, box.top};
  SendMessageW(GetParent(hwnd()), UM_ICON_BUTTON_CLICKED,
               static_cast<WPARAM>(look_.command), reinterpret_cast<LPARAM>(&corner));
}

COLORREF IconButton::textColour(int control) const {
  switch (control) {
  case IDC_ICON_BUTTON_TITLE: return look_.titleColour;
  case IDC_ICON_BUTTON_TEXT: return look_.descriptionColour;
  default: return Dialog::textColour(control);
  }
}

std::optional<LRESULT> IconButton::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_GETDLGCODE:
    return wantsKey(reinterpret_cast<const MSG*>(lParam)) ? DLGC_WANTALLKEYS : 0;
  // The button itself holds the focus, not one of its parts.
  case WM_SETFOCUS: setFocused(true); return 0;
  case WM_KILLFOCUS: setFocused(false); return 0;
  case WM_MOUSEMOVE:
    if (!focused_ && GetActiveWindow() == GetAncestor(hwnd(), GA_ROOT))
      SetFocus(hwnd());
    return 0;
  case WM_LBUTTONDOWN: SetFocus(hwnd()); return 0;
  case WM_LBUTTONUP: clicked(); return 0;
  case WM_KEYDOWN:
    switch (wParam) {
    case VK_TAB:
    case VK_DOWN:
      if (next_)
        SetFocus(next_);
      return 0;
    case VK_UP:
      if (previous_)
        SetFocus(previous_);
      return 0;
    case VK_RETURN: clicked(); return 0;
    default: return std::nullopt;
    }
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    RECT box{};
    GetClientRect(hwnd(), &box);
    if (pressed_)
      drawDottedFrame(dc, box, kPressedFrame);
    else if (focused_)
      drawDottedFrame(dc, box, look_.focusFrame);
    EndPaint(hwnd(), &paint);
    return 0;
  }
  default: return std::nullopt;
  }
}

} // namespace ravelock::app
