#include "engine/dialogs/key_entry.h"

#include "engine/format/key_text.h"
#include "platform/secure_wipe.h"
#include "resource.h"
#include "ui/text.h"

#include <algorithm>
#include <cstring>

namespace ravelock::engine {

void MaskingButton::attach(HWND dialog, int button, std::vector<int> boxes,
                           const ui::Resources& resources) {
  dialog_ = dialog;
  button_ = button;
  boxes_ = std::move(boxes);
  masked_ = true;
  if (!boxes_.empty())
    if (const auto c = static_cast<wchar_t>(
            SendDlgItemMessageW(dialog, boxes_.front(), EM_GETPASSWORDCHAR, 0, 0)))
      passwordChar_ = c;
  shown_ = LoadBitmapW(resources.module(), MAKEINTRESOURCEW(IDB_KEY_SHOWN));
  hidden_ = LoadBitmapW(resources.module(), MAKEINTRESOURCEW(IDB_KEY_MASKED));
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

ui::FontHandle fileNameFont() {
  return ui::FontHandle(CreateFontW(
      -11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

std::wstring fileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  return ui::widen(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::vector<std::string> rememberedKeyNames(keyserver::KeyServerClient& keys) {
  std::vector<char> list;
  std::vector<std::string> names;
  if (keys.GetAllKeys(list) != 1)
    return names;
  // Names back to back, each ended by a NUL, the list by an empty name.
  for (std::size_t at = 0; at < list.size() && list[at] != '\0';) {
    const auto end =
        std::find(list.begin() + static_cast<std::ptrdiff_t>(at), list.end(), '\0');
    names.emplace_back(list.begin() + static_cast<std::ptrdiff_t>(at), end);
    at = static_cast<std::size_t>(end - list.begin()) + 1;
  }
  return names;
}

bool setKey(const std::wstring& text, KeyRecord& record) {
  std::string bytes;
  const bool usable = keyBytesOf(ui::utf16(text), bytes) && bytes.size() <= kMaxKeyLength;
  if (usable) {
    std::memset(record.key, 0, sizeof record.key);
    std::memcpy(record.key, bytes.data(), bytes.size());
    record.length = static_cast<std::uint32_t>(bytes.size());
  }
  platform::secureWipe(bytes.data(), bytes.size());
  return usable;
}

std::wstring keyText(const KeyRecord& record) {
  const std::size_t length = std::min<std::size_t>(record.length, kMaxKeyLength);
  std::u16string text = keyTextOf(std::string_view(record.key, length));
  std::wstring shown = ui::wideOf(text);
  platform::secureWipe(text.data(), text.size() * sizeof(char16_t));
  return shown;
}

SecretText::~SecretText() {
  platform::secureWipe(text_.data(), text_.size() * sizeof(wchar_t));
}

void KeyDialog::addTooltips(std::span<const ControlText> tips) {
  for (const ControlText& tip : tips)
    tooltips().add(hwnd(), tip.control, resources().string(tip.text));
}

void KeyDialog::addHelp(std::span<const ControlText> entries) {
  for (const ControlText& entry : entries)
    help().add(entry.control, entry.text);
}

HFONT KeyDialog::nameFont() {
  if (!nameFont_)
    nameFont_ = fileNameFont();
  return nameFont_.get();
}

std::optional<LRESULT> KeyDialog::onMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_DRAWITEM &&
      mask_.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
    return TRUE;
  return std::nullopt;
}

void KeyDialog::onLinkClicked(int control) {
  if (control == IDC_KEY_TARGET)
    chooseTarget();
  else
    help().show(hwnd(), control, resources());
}

} // namespace ravelock::engine
