#pragma once
// Clickable labels: static texts drawn in their own colour, with the hand
// cursor while the mouse is over them. Plain statics let mouse input
// through to the dialog, so the dialog asks which label lies under a point.

#include <windows.h>

#include <optional>
#include <vector>

namespace ravelock::ui {

class LinkLabels {
public:
  void add(int control, COLORREF colour) { labels_.push_back({control, colour}); }
  void setCursor(HCURSOR hand) { hand_ = hand; }

  std::optional<COLORREF> colourOf(int control) const;
  // The visible label of `dialog` under `clientPoint`, or 0.
  int labelAt(HWND dialog, POINT clientPoint) const;
  // WM_SETCURSOR of the dialog: true when the hand was set.
  bool setCursorOver(HWND dialog) const;

private:
  struct Label {
    int control;
    COLORREF colour;
  };
  std::vector<Label> labels_;
  HCURSOR hand_ = nullptr;
};

} // namespace ravelock::ui
