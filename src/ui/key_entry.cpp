#include "ui/key_entry.h"

#include "engine/format/key_text.h"
#include "framework_ids.h"
#include "platform/secure_wipe.h"
#include "platform/text.h"
#include "ui/text.h"

#include <algorithm>
#include <cstring>

namespace ravelock::ui {

void MaskingButton::attach(HWND dialog, int button, std::vector<int> boxes,
                           HINSTANCE module) {
  dialog_ = dialog;
  button_ = button;
  boxes_ = std::move(boxes);
  masked_ = true;
  if (!boxes_.empty())
    if (const auto c = static_cast<wchar_t>(
            SendDlgItemMessageW(dialog, boxes_.front(), EM_GETPASSWORDCHAR, 0, 0)))
      passwordChar_ = c;
  shown_ = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_KEY_SHOWN));
  hidden_ = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_KEY_MASKED));
  // The button takes the size of its pictures, as a picture button does.
  BITMAP info{};
  if (hidden_ && GetObjectW(hidden_, sizeof info, &info))
    SetWindowPos(GetDlgItem(dialog, button), nullptr, 0, 0, info.bmWidth, info.bmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MaskingButton::toggle() {
  masked_ = !masked_;
  for (const int box : boxes_) {
    HWND edit = GetDlgItem(dialog_, box);
    SendMessageW(edit, EM_SETPASSWORDCHAR, masked_ ? passwordChar_ : 0, 0);
    InvalidateRect(edit, nullptr, TRUE);
  }
  InvalidateRect(GetDlgItem(dialog_, button_), nullptr, FALSE);
}

bool MaskingButton::draw(const DRAWITEMSTRUCT& item) const {
  if (static_cast<int>(item.CtlID) != button_)
    return false;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  HBITMAP picture = masked_ || pressed ? hidden_ : shown_;
  const RECT& r = item.rcItem;
  HDC source = CreateCompatibleDC(item.hDC);
  if (source && picture) {
    BITMAP info{};
    GetObjectW(picture, sizeof info, &info);
    HGDIOBJ old = SelectObject(source, picture);
    BitBlt(item.hDC, r.left, r.top, std::min<LONG>(info.bmWidth, r.right - r.left),
           std::min<LONG>(info.bmHeight, r.bottom - r.top), source, 0, 0, SRCCOPY);
    SelectObject(source, old);
  }
  if (source)
    DeleteDC(source);
  // The keyboard user sees where the focus is.
  if (item.itemState & ODS_FOCUS) {
    RECT focus = r;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
  }
  return true;
}

bool setKey(const std::wstring& text, KeyRecord& record) {
  std::string bytes;
  const bool usable =
      engine::keyBytesOf(utf16(text), bytes) && bytes.size() <= kMaxKeyLength;
  if (usable) {
    std::memset(record.key, 0, sizeof record.key);
    std::memcpy(record.key, bytes.data(), bytes.size());
    record.length = static_cast<std::uint32_t>(bytes.size());
  }
  platform::secureWipe(bytes.data(), bytes.size());
  return usable;
}

bool setKeyName(const std::wstring& text, KeyRecord& record) {
  std::string bytes;
  if (!engine::storedKeyName(utf16(text), kMaxKeyNameLength, bytes))
    return false;
  std::memset(record.name, 0, sizeof record.name);
  std::memcpy(record.name, bytes.data(), bytes.size());
  return true;
}

std::wstring keyText(const KeyRecord& record) {
  const std::size_t length = std::min<std::size_t>(record.length, kMaxKeyLength);
  std::u16string text = engine::keyTextOf(std::string_view(record.key, length));
  std::wstring shown = wideOf(text);
  platform::secureWipe(text.data(), text.size() * sizeof(char16_t));
  return shown;
}

std::wstring keyNameText(std::string_view stored) {
  return wideOf(engine::shownKeyName(stored));
}

bool storedKeyNameOf(const std::wstring& text, std::string& stored) {
  return engine::storedKeyName(utf16(text), kMaxKeyNameLength, stored);
}

SecretText::~SecretText() {
  platform::secureWipe(text_.data(), text_.size() * sizeof(wchar_t));
}

} // namespace ravelock::ui
