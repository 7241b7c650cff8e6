#include "app/panels.h"

#include "app/painting.h"
#include "app/window_messages.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>

namespace ravelock::app {

namespace {

// The top bar's gradient, dark blue at the left to the dialog colour.
constexpr COLORREF kGradientLeft = RGB(31, 59, 115);
constexpr COLORREF kGradientRight = RGB(196, 211, 238);
constexpr int kMaxGradientSteps = 255;
constexpr COLORREF kShadowGrey = RGB(192, 192, 192);
constexpr COLORREF kHeaderLine = RGB(31, 59, 115);
constexpr int kHeaderLineStart = 80;
constexpr int kLineWidth = 2;
constexpr int kHelpGlyphPixels = 16;

int mix(int from, int to, int step, int steps) {
  return from + (to - from) * step / std::max(1, steps - 1);
}

void fillBackground(HWND window, HDC dc) {
  RECT box{};
  GetClientRect(window, &box);
  const ui::BrushHandle brush(CreateSolidBrush(ui::kDialogBackground));
  FillRect(dc, &box, brush.get());
}

std::wstring windowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

} // namespace

TopBar::TopBar(const ui::Resources& resources) : Dialog(resources, IDD_TOP_BAR) {}

bool TopBar::onInit() {
  captionFont_ = makeFont(L"MS Serif", 18, FW_BOLD);
  setString(IDC_HELP_BUTTON, IDS_HELP_BUTTON);
  helpGlyph_ = resources().icon(IDI_HELP, scaled(kHelpGlyphPixels));
  RECT client{};
  GetClientRect(hwnd(), &client);
  helpRightMargin_ = client.right - controlRect(hwnd(), IDC_HELP_BUTTON).right;
  return true;
}

bool TopBar::onCommand(int id, int code) {
  if (id == IDC_HELP_BUTTON) {
    SendMessageW(GetParent(hwnd()), UM_SHOW_HELP, 0, 0);
    return true;
  }
  return Dialog::onCommand(id, code);
}

std::optional<LRESULT> TopBar::onMessage(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
  case WM_ERASEBKGND: return 1; // the gradient covers it all
  case WM_PAINT: {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(hwnd(), &paintInfo);
    paint(dc);
    EndPaint(hwnd(), &paintInfo);
    return 0;
  }
  case WM_SIZE: {
    // The Help button keeps its distance to the right edge.
    const RECT button = controlRect(hwnd(), IDC_HELP_BUTTON);
    const int left = LOWORD(lParam) - helpRightMargin_ - (button.right - button.left);
    SetWindowPos(GetDlgItem(hwnd(), IDC_HELP_BUTTON), nullptr, left, button.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    InvalidateRect(hwnd(), nullptr, TRUE);
    return 0;
  }
  case WM_DRAWITEM:
    drawHelpButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  default: return std::nullopt;
  }
}

void TopBar::paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int width = client.right;
  const int steps = std::min(kMaxGradientSteps, std::max(1, width));
  for (int step = 0; step < steps; ++step) {
    const RECT band{width * step / steps, 0, width * (step + 1) / steps, client.bottom};
    const ui::BrushHandle brush(CreateSolidBrush(
        RGB(mix(GetRValue(kGradientLeft), GetRValue(kGradientRight), step, steps),
            mix(GetGValue(kGradientLeft), GetGValue(kGradientRight), step, steps),
            mix(GetBValue(kGradientLeft), GetBValue(kGradientRight), step, steps))));
    FillRect(dc, &band, brush.get());
  }
  RECT caption = client;
  caption.left += scaled(12);
  drawShadowedText(dc, resources().string(IDS_TOP_BAR_CAPTION), caption,
                   captionFont_.get(), RGB(255, 255, 255), RGB(10, 25, 60), 1,
                   DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void TopBar::drawHelpButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const ui::BrushHandle face(CreateSolidBrush(ui::kDialogBackground));
  FillRect(dc, &box, face.get());
  DrawEdge(dc, &box, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  const int glyph = scaled(kHelpGlyphPixels);
  const int offset = pressed ? 1 : 0;
  const int top = (box.top + box.bottom - glyph) / 2 + offset;
  DrawIconEx(dc, box.left + scaled(5) + offset, top, helpGlyph_, glyph, glyph, 0, nullptr,
             DI_NORMAL);
  RECT text = box;
  text.left += scaled(5) + glyph + scaled(4) + offset;
  text.top += offset;
  drawShadowedText(dc, windowText(item.hwndItem), text,
                   reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)),
                   ui::kDialogText, 0, 0, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = box;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

LeftBar::LeftBar(const ui::Resources& resources) : Dialog(resources, IDD_LEFT_BAR) {}

bool LeftBar::onInit() {
  font_ = makeFont(L"MS Sans Serif", 13, FW_NORMAL);
  for (int id = IDC_PAGE_FIRST; id <= IDC_EXIT; ++id) {
    setString(id,
              IDS_CAPTION_ENCRYPT_DECRYPT + static_cast<unsigned>(id - IDC_PAGE_FIRST));
    SetWindowSubclass(item(id), buttonProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
  }
  return true;
}

bool LeftBar::onCommand(int id, int code) {
  if (id >= IDC_PAGE_FIRST && id <= IDC_EXIT) {
    if (code == BN_CLICKED)
      SendMessageW(GetParent(hwnd()), UM_SHOW_PAGE, static_cast<WPARAM>(id), 0);
    return true;
  }
  return Dialog::onCommand(id, code);
}

std::optional<LRESULT> LeftBar::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case UM_SELECT_BUTTON:
    selected_ = static_cast<int>(wParam);
    for (int id = IDC_PAGE_FIRST; id <= IDC_EXIT; ++id)
      InvalidateRect(item(id), nullptr, TRUE);
    return 0;
  case WM_DRAWITEM:
    drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  case WM_PAINT: {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(hwnd(), &paintInfo);
    RECT line{};
    GetClientRect(hwnd(), &line);
    line.left = line.right - kLineWidth;
    const ui::BrushHandle brush(CreateSolidBrush(kDarkRed));
    FillRect(dc, &line, brush.get());
    EndPaint(hwnd(), &paintInfo);
    return 0;
  }
  case WM_SIZE: InvalidateRect(hwnd(), nullptr, TRUE); return std::nullopt;
  default: return std::nullopt;
  }
}

void LeftBar::drawButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT box = item.rcItem;
  const ui::BrushHandle face(CreateSolidBrush(ui::kDialogBackground));
  FillRect(dc, &box, face.get());
  const bool selected = static_cast<int>(item.CtlID) == selected_;
  const int offset = (item.itemState & ODS_SELECTED) ? 1 : 0;
  // The marker: a circle at the right end, filled for the selected page;
  // the caption ends before it.
  const int diameter = scaled(9);
  const int right = box.right - scaled(6);
  const int top = (box.top + box.bottom - diameter) / 2;
  RECT text = box;
  text.left += scaled(6) + offset;
  text.top += offset;
  text.right = right - diameter - scaled(3);
  drawShadowedText(dc, windowText(item.hwndItem), text, font_.get(),
                   selected ? kDarkRed : ui::kDialogText, 0, 0,
                   DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  const ui::Owned<HPEN, ui::GdiTraits> pen(CreatePen(PS_SOLID, 1, kDarkRed));
  const ui::BrushHandle fill(
      CreateSolidBrush(selected ? kDarkRed : ui::kDialogBackground));
  HGDIOBJ oldPen = SelectObject(dc, pen.get());
  HGDIOBJ oldBrush = SelectObject(dc, fill.get());
  Ellipse(dc, right - diameter, top, right, top + diameter);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  if ((item.itemState & ODS_FOCUS) || item.hwndItem == hovered_) {
    RECT frame = box;
    InflateRect(&frame, -1, -1);
    drawDottedFrame(dc, frame, kDarkRed);
  }
}

// The page buttons light up under the mouse and take Enter as a click.
LRESULT CALLBACK LeftBar::buttonProcedure(HWND button, UINT message, WPARAM wParam,
                                          LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<LeftBar*>(data);
  switch (message) {
  case WM_MOUSEMOVE:
    if (self->hovered_ != button) {
      if (self->hovered_)
        InvalidateRect(self->hovered_, nullptr, TRUE);
      self->hovered_ = button;
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, button, 0};
      TrackMouseEvent(&track);
      InvalidateRect(button, nullptr, TRUE);
    }
    break;
  case WM_MOUSELEAVE:
    if (self->hovered_ == button)
      self->hovered_ = nullptr;
    InvalidateRect(button, nullptr, TRUE);
    break;
  case WM_GETDLGCODE:
    if (lParam && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
        reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN)
      return DLGC_WANTMESSAGE | DefSubclassProc(button, message, wParam, lParam);
    break;
  case WM_KEYDOWN:
    if (wParam == VK_RETURN) {
      SendMessageW(GetParent(self->hwnd()), UM_SHOW_PAGE,
                   static_cast<WPARAM>(GetDlgCtrlID(button)), 0);
      return 0;
    }
    break;
  case WM_NCDESTROY: RemoveWindowSubclass(button, buttonProcedure, 0); break;
  default: break;
  }
  return DefSubclassProc(button, message, wParam, lParam);
}

Header::Header(const ui::Resources& resources) : Dialog(resources, IDD_HEADER) {}

bool Header::onInit() {
  font_ = makeFont(L"MS Sans Serif", 18, FW_BOLD);
  return true;
}

void Header::setTitle(unsigned stringId) {
  SetWindowTextW(hwnd(), resources().string(stringId).c_str());
  InvalidateRect(hwnd(), nullptr, TRUE);
}

std::optional<LRESULT> Header::onMessage(UINT message, WPARAM, LPARAM) {
  switch (message) {
  case WM_PAINT: {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(hwnd(), &paintInfo);
    fillBackground(hwnd(), dc);
    RECT client{};
    GetClientRect(hwnd(), &client);
    RECT line{scaled(kHeaderLineStart), client.bottom - kLineWidth, client.right,
              client.bottom};
    const ui::BrushHandle brush(CreateSolidBrush(kHeaderLine));
    FillRect(dc, &line, brush.get());
    RECT title = client;
    title.left += scaled(12);
    title.bottom -= kLineWidth;
    drawShadowedText(dc, windowText(hwnd()), title, font_.get(), ui::kDialogText,
                     kShadowGrey, 2, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hwnd(), &paintInfo);
    return 0;
  }
  case WM_SIZE: InvalidateRect(hwnd(), nullptr, TRUE); return std::nullopt;
  default: return std::nullopt;
  }
}

PicturePanel::PicturePanel(const ui::Resources& resources)
    : Dialog(resources, IDD_PICTURE_PANEL) {}

bool PicturePanel::onInit() {
  picture_ = static_cast<HBITMAP>(LoadImageW(resources().module(),
                                             MAKEINTRESOURCEW(IDB_PICTURE), IMAGE_BITMAP,
                                             0, 0, LR_SHARED | LR_CREATEDIBSECTION));
  return true;
}

std::optional<LRESULT> PicturePanel::onMessage(UINT message, WPARAM, LPARAM) {
  if (message != WM_PAINT)
    return std::nullopt;
  PAINTSTRUCT paintInfo;
  HDC dc = BeginPaint(hwnd(), &paintInfo);
  fillBackground(hwnd(), dc);
  BITMAP size{};
  if (picture_ && GetObjectW(picture_, sizeof size, &size) && size.bmWidth > 0) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    // The largest copy that fits, at the bottom right like the panel.
    int width = client.right;
    int height = MulDiv(width, size.bmHeight, size.bmWidth);
    if (height > client.bottom) {
      height = client.bottom;
      width = MulDiv(height, size.bmWidth, size.bmHeight);
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, picture_);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, client.right - width, client.bottom - height, width, height, memory, 0,
               0, size.bmWidth, size.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  EndPaint(hwnd(), &paintInfo);
  return 0;
}

} // namespace ravelock::app
