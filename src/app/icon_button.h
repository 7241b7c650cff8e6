#pragma once
// Windows only: a large push button made of a small child dialog (template
// 137): an icon, a title line and a description line. The buttons of a page
// form a ring for the keyboard (Tab and Down to the next, Up to the
// previous); a left click or Enter sends UM_ICON_BUTTON_CLICKED with the
// button's command to the page. The mouse over the button gives it the
// focus; a dotted frame shows the focus, a green one that the page is
// running its command.

#include "ui/dialog.h"

namespace ravelock::app {

struct IconButtonLook {
  unsigned icon;
  unsigned title;       // string id
  unsigned description; // string id
  int command;
  COLORREF focusFrame;
  COLORREF titleColour;
  COLORREF descriptionColour;
};

// The look of the buttons of every page: dark red focus frame, blue title,
// black description.
inline constexpr COLORREF kFocusFrame = RGB(126, 0, 0);
inline constexpr COLORREF kTitleBlue = RGB(0, 0, 250);
inline constexpr COLORREF kPressedFrame = RGB(0, 128, 0);

class IconButton : public ui::Dialog {
public:
  IconButton(const ui::Resources& resources, const IconButtonLook& look);

  // Creates the button on `page` in the place of control `placeholder`,
  // which goes away.
  void create(HWND page, int placeholder);
  // Chains buttons into a ring in the order given.
  static void ring(std::initializer_list<IconButton*> buttons);

  int command() const { return look_.command; }
  void setPressed(bool pressed);

private:
  bool onInit() override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  COLORREF textColour(int control) const override;
  void setFocused(bool focused);
  void clicked();
  void paintFrame();

  IconButtonLook look_;
  HWND next_ = nullptr;
  HWND previous_ = nullptr;
  bool focused_ = false;
  bool pressed_ = false;
  ui::FontHandle titleFont_;
  ui::FontHandle descriptionFont_;
};

} // namespace ravelock::app
