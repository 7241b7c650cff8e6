#pragma once
// Tooltips of a dialog's controls. The dialog relays its mouse messages to
// the tooltip control from its message pre-translation, so the controls
// need no subclassing.

#include "ui/handles.h"

#include <windows.h>

#include <string_view>

namespace ravelock::ui {

class Tooltips {
public:
  // Adds (or replaces) the tip of `control`.
  void add(HWND dialog, int control, std::wstring_view text);
  // Passes a mouse message on to the tooltip control.
  void relay(const MSG& message);
  HWND window() const { return window_.get(); }

private:
  WindowHandle window_;
};

} // namespace ravelock::ui
