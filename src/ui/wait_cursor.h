#pragma once
// The wait cursor for as long as the object lives; the cursor before it
// comes back after.

#include <windows.h>

namespace ravelock::ui {

class WaitCursor {
public:
  WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { SetCursor(previous_); }

private:
  HCURSOR previous_;
};

} // namespace ravelock::ui
