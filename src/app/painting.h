#pragma once
// Windows only: the drawing shared by the main window's panels and pages:
// fonts by pixel height at the screen's scale, texts with a shadow, dotted
// frames.

#include "ui/handles.h"

#include <windows.h>

#include <string_view>

namespace ravelock::app {

// `pixels` at 96 dots per inch, scaled to the screen's.
int scaled(int pixels);

// A font `pixels` high (character height, at 96 dots per inch).
ui::FontHandle makeFont(const wchar_t* face, int pixels, int weight);

// `text` in `box` in `colour`, first in `shadow` moved `offset` pixels right
// and down; no shadow when `offset` is 0.
void drawShadowedText(HDC dc, std::wstring_view text, RECT box, HFONT font,
                      COLORREF colour, COLORREF shadow, int offset, UINT format);

// A dotted one-pixel frame just inside `box`.
void drawDottedFrame(HDC dc, const RECT& box, COLORREF colour);

// Where `control` of `dialog` lies, in the dialog's client coordinates.
RECT controlRect(HWND dialog, int control);

} // namespace ravelock::app
