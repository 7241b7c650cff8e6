#pragma once
// Context help of a dialog: a text pop-up at a control (title-bar help
// button, or F1 on the focused control), shown through HTML Help's text
// pop-up. Where HTML Help is missing or refuses, a plain pop-up window
// shows the same text, closed by the next key or click.

#include "ui/handles.h"
#include "ui/resources.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace ravelock::ui {

// The font HTML Help is asked to use.
inline constexpr wchar_t kHelpPopupFont[] = L"MS Sans Serif, 8, , ,";

class ContextHelp {
public:
  // Control `control` shows string `stringId`.
  void add(int control, unsigned stringId) { entries_.emplace_back(control, stringId); }

  // The string of `control`, or 0 when it has no help.
  unsigned stringOf(int control) const;

  // Shows the pop-up of `control` of `dialog`; false when it has none.
  bool show(HWND dialog, int control, const Resources& resources);

  // Closes the fallback pop-up, if one is open.
  void close() { fallback_.reset(); }
  bool fallbackOpen() const { return static_cast<bool>(fallback_); }

private:
  void showFallback(HWND dialog, HWND controlWindow, const std::wstring& text);

  std::vector<std::pair<int, unsigned>> entries_;
  WindowHandle fallback_;
};

} // namespace ravelock::ui
