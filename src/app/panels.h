#pragma once
// Windows only: the main window's panels, each a child dialog of its own
// template: the top bar (gradient, caption, Help button), the left bar (the
// page buttons and Exit, owner-drawn, with a marker on the selected one),
// the header (the current page's title) and the picture panel.

#include "ui/dialog.h"

namespace ravelock::app {

// The left bar's line and markers, and the page buttons' focus frames.
inline constexpr COLORREF kDarkRed = RGB(126, 0, 0);

class TopBar : public ui::Dialog {
public:
  explicit TopBar(const ui::Resources& resources);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void paint(HDC dc);
  void drawHelpButton(const DRAWITEMSTRUCT& item);

  ui::FontHandle captionFont_;
  int helpRightMargin_ = 0;
  HICON helpGlyph_ = nullptr;
};

class LeftBar : public ui::Dialog {
public:
  explicit LeftBar(const ui::Resources& resources);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void drawButton(const DRAWITEMSTRUCT& item);
  static LRESULT CALLBACK buttonProcedure(HWND button, UINT message, WPARAM wParam,
                                          LPARAM lParam, UINT_PTR, DWORD_PTR self);

  int selected_ = 0;
  HWND hovered_ = nullptr;
  ui::FontHandle font_;
};

class Header : public ui::Dialog {
public:
  explicit Header(const ui::Resources& resources);
  // The title is also the panel's window text.
  void setTitle(unsigned stringId);

private:
  bool onInit() override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  ui::FontHandle font_;
};

// The picture fits the panel whatever the screen's scale, keeping its
// proportions.
class PicturePanel : public ui::Dialog {
public:
  explicit PicturePanel(const ui::Resources& resources);

private:
  bool onInit() override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  HBITMAP picture_ = nullptr;
};

} // namespace ravelock::app
