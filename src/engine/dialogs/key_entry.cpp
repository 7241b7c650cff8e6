#include "engine/dialogs/key_entry.h"

#include "resource.h"
#include "ui/text.h"

#include <algorithm>

namespace ravelock::engine {

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
