#include "ui/message_box.h"

#include <string>

namespace ravelock::ui {

int messageBox(HWND owner, std::wstring_view text, UINT flags) {
  const std::wstring terminated(text);
  return MessageBoxW(owner, terminated.c_str(), kMessageCaption, flags);
}

} // namespace ravelock::ui
