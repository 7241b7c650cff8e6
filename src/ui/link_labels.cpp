#include "ui/link_labels.h"

namespace ravelock::ui {

std::optional<COLORREF> LinkLabels::colourOf(int control) const {
  for (const Label& label : labels_)
    if (label.control == control)
      return label.colour;
  return std::nullopt;
}

int LinkLabels::labelAt(HWND dialog, POINT clientPoint) const {
  for (const Label& label : labels_) {
    HWND window = GetDlgItem(dialog, label.control);
    if (!window || !IsWindowVisible(window))
      continue;
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    if (PtInRect(&rect, clientPoint))
      return label.control;
  }
  return 0;
}

bool LinkLabels::setCursorOver(HWND dialog) const {
  if (!hand_ || labels_.empty())
    return false;
  POINT point{};
  GetCursorPos(&point);
  ScreenToClient(dialog, &point);
  if (labelAt(dialog, point) == 0)
    return false;
  SetCursor(hand_);
  return true;
}

} // namespace ravelock::ui
