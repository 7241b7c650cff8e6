#include "app/painting.h"

namespace ravelock::app {

namespace {

constexpr int kDesignDpi = 96;

// Selects an object for the life of the guard.
class Selected {
public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;
  ~Selected() { SelectObject(dc_, old_); }

private:
  HDC dc_;
  HGDIOBJ old_;
};

} // namespace

int scaled(int pixels) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen)
    ReleaseDC(nullptr, screen);
  return MulDiv(pixels, dpi, kDesignDpi);
}

ui::FontHandle makeFont(const wchar_t* face, int pixels, int weight) {
  LOGFONTW font{};
  font.lfHeight = -scaled(pixels);
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return ui::FontHandle(CreateFontIndirectW(&font));
}

void drawShadowedText(HDC dc, std::wstring_view text, RECT box, HFONT font,
                      COLORREF colour, COLORREF shadow, int offset, UINT format) {
  const Selected selected(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const int length = static_cast<int>(text.size());
  if (offset != 0) {
    RECT moved = box;
    OffsetRect(&moved, offset, offset);
    SetTextColor(dc, shadow);
    DrawTextW(dc, text.data(), length, &moved, format | DT_NOPREFIX);
  }
  SetTextColor(dc, colour);
  DrawTextW(dc, text.data(), length, &box, format | DT_NOPREFIX);
}

void drawDottedFrame(HDC dc, const RECT& box, COLORREF colour) {
  const ui::Owned<HPEN, ui::GdiTraits> pen(CreatePen(PS_DOT, 1, colour));
  const Selected selectedPen(dc, pen.get());
  const Selected selectedBrush(dc, GetStockObject(NULL_BRUSH));
  SetBkMode(dc, TRANSPARENT);
  Rectangle(dc, box.left, box.top, box.right, box.bottom);
}

RECT controlRect(HWND dialog, int control) {
  RECT box{};
  HWND window = GetDlgItem(dialog, control);
  if (!window)
    return box;
  GetWindowRect(window, &box);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
  return box;
}

} // namespace ravelock::app
