#include "app/key_manager_page.h"

#include "app/key_database_dialogs.h"
#include "app/window_messages.h"
#include "resource.h"
#include "ui/message_box.h"
#include "ui/text.h"

#include <commctrl.h>

#include <string_view>

namespace ravelock::app {

namespace {

// The list's height is the page's less this.
constexpr int kListBottomMargin = 15;
constexpr UINT_PTR kListSubclass = 1;

struct ButtonCaption {
  int control;
  unsigned text;
};
constexpr ButtonCaption kButtons[] = {
    {IDC_ADD_KEY, IDS_ADD_KEY},
    {IDC_DELETE_KEY, IDS_DELETE_KEY},
    {IDC_DELETE_ALL, IDS_DELETE_ALL},
    {IDC_LOAD_DATABASE, IDS_LOAD},
    {IDC_SAVE_SELECTED, IDS_SAVE_SELECTED},
    {IDC_SAVE_ALL, IDS_SAVE_ALL},
};

} // namespace

KeyManagerPage::KeyManagerPage(const PageContext& context,
                               keyserver::KeyServerClient& keys)
    : Dialog(context.resources, IDD_KEY_MANAGER_PAGE), context_(context), keys_(keys) {}

HWND KeyManagerPage::list() const {
  return item(IDC_KEY_LIST);
}

KeyDatabaseContext KeyManagerPage::databases() const {
  return {context_.resources, context_.engine, &keys_};
}

bool KeyManagerPage::onInit() {
  for (const ButtonCaption& button : kButtons)
    setString(button.control, button.text);
  RECT page{}, box{};
  GetClientRect(hwnd(), &page);
  GetWindowRect(list(), &box);
  widthMargin_ = page.right - (box.right - box.left);
  SetWindowSubclass(list(), listProcedure, kListSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  return true;
}

LRESULT CALLBACK KeyManagerPage::listProcedure(HWND list, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_KEYUP && (wParam == VK_DELETE || wParam == VK_RETURN))
    SendMessageW(GetParent(list),
                 wParam == VK_DELETE ? UM_LIST_DELETE_KEY : UM_LIST_ENTER_KEY, 0, 0);
  if (message == WM_NCDESTROY)
    RemoveWindowSubclass(list, listProcedure, kListSubclass);
  return DefSubclassProc(list, message, wParam, lParam);
}

std::intptr_t KeyManagerPage::send(std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
  return SendMessageW(hwnd(), message, wParam, lParam);
}

bool KeyManagerPage::onCommand(int id, int code) {
  if (code != BN_CLICKED)
    return Dialog::onCommand(id, code);
  switch (id) {
  case IDC_ADD_KEY: addKey(); return true;
  case IDC_DELETE_KEY: deleteSelected(); return true;
  case IDC_DELETE_ALL: deleteAll(); return true;
  case IDC_LOAD_DATABASE: load(); return true;
  case IDC_SAVE_SELECTED: save(true); return true;
  case IDC_SAVE_ALL: save(false); return true;
  default: return Dialog::onCommand(id, code);
  }
}

std::optional<LRESULT> KeyManagerPage::onMessage(UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  switch (message) {
  case WM_SHOWWINDOW:
    if (wParam)
      reload();
    return std::nullopt;
  case WM_SIZE: {
    RECT box{};
    GetWindowRect(list(), &box);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&box), 2);
    SetWindowPos(list(), nullptr, 0, 0, LOWORD(lParam) - widthMargin_,
                 HIWORD(lParam) - kListBottomMargin, SWP_NOMOVE | SWP_NOZORDER);
    return std::nullopt;
  }
  case UM_RELOAD_KEYS: reload(); return 1;
  case UM_LIST_DELETE_KEY:
    if (ListView_GetSelectedCount(list()) > 0)
      deleteSelected();
    return 0;
  case UM_LIST_ENTER_KEY: return 0;
  case keyserver::UM_KEY_CONFLICT: {
    KeyConflictDialog dialog(resources(),
                             ui::keyNameText(reinterpret_cast<const char*>(wParam)));
    return dialog.ask(GetAncestor(hwnd(), GA_ROOT));
  }
  default: return std::nullopt;
  }
}

void KeyManagerPage::reload() {
  // A conflict question of a load holds the key server's access mutex; the
  // list follows once the load is done.
  if (loading_)
    return;
  const ui::WaitCursor wait;
  ListView_DeleteAllItems(list());
  std::vector<char> names;
  if (keys_.GetAllKeys(names) < 0) {
    message(IDS_NO_DATA, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // Each name goes in front: the list shows the server's order reversed.
  for (std::size_t at = 0; at < names.size() && names[at] != '\0';) {
    const std::string_view name(names.data() + at);
    const std::wstring text = ui::keyNameText(name);
    LVITEMW entry{};
    entry.mask = LVIF_TEXT;
    entry.iItem = 0;
    entry.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
    at += name.size() + 1;
  }
}

std::vector<int> KeyManagerPage::selection() const {
  std::vector<int> indexes;
  for (int at = ListView_GetNextItem(list(), -1, LVNI_SELECTED); at >= 0;
       at = ListView_GetNextItem(list(), at, LVNI_SELECTED))
    indexes.push_back(at);
  return indexes;
}

std::string KeyManagerPage::itemName(int index) const {
  wchar_t text[kKeyNameField + 1] = {};
  LVITEMW entry{};
  entry.pszText = text;
  entry.cchTextMax = static_cast<int>(std::size(text));
  SendMessageW(list(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&entry));
  std::string name;
  ui::storedKeyNameOf(text, name);
  return name;
}

void KeyManagerPage::addKey() {
  const HWND owner = GetAncestor(hwnd(), GA_ROOT);
  KeyEntryDialog dialog(resources(), KeyEntryDialog::Mode::NewKey);
  if (dialog.runModal(owner) != IDOK)
    return;
  platform::Wiped<KeyRecord> existing;
  while (keys_.FindKey(dialog.record().name, *existing) == 1) {
    existing.wipe();
    const int answer = ui::messageBox(owner,
                                      ui::fill(resources().string(IDS_KEY_EXISTS),
                                               ui::keyNameText(dialog.record().name)),
                                      MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES)
      break;
    if (answer != IDNO || dialog.runAgain(owner) != IDOK)
      return;
  }
  keys_.StoreKey(dialog.record());
  reload();
}

void KeyManagerPage::deleteSelected() {
  const std::vector<int> selected = selection();
  if (selected.empty()) {
    if (ListView_GetItemCount(list()) > 0)
      message(IDS_SELECT_TO_DELETE, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (message(IDS_DELETE_SELECTED_QUESTION, MB_YESNO | MB_ICONQUESTION) == IDNO)
    return;
  for (const int index : selected)
    keys_.DeleteKey(itemName(index).c_str());
  reload();
}

void KeyManagerPage::deleteAll() {
  if (message(IDS_DELETE_ALL_QUESTION, MB_YESNO | MB_ICONQUESTION) == IDNO)
    return;
  keys_.DeleteAllKeys();
  reload();
}

void KeyManagerPage::save(bool selectedOnly) {
  const int count = keys_.GetKeyCount();
  if (count == 0) {
    message(IDS_NO_KEYS, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (count < 0) {
    message(IDS_NO_SERVER, MB_OK | MB_ICONSTOP);
    return;
  }
  const HWND owner = GetAncestor(hwnd(), GA_ROOT);
  if (!selectedOnly) {
    SaveKeyDatabase(databases(), owner, nullptr, 0);
    return;
  }
  const int items = ListView_GetItemCount(list());
  if (items == 0) {
    reload();
    return;
  }
  const std::vector<int> selected = selection();
  if (selected.empty()) {
    message(IDS_NOTHING_SELECTED, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (static_cast<int>(selected.size()) == items) {
    SaveKeyDatabase(databases(), owner, nullptr, 0);
    return;
  }
  // Each name with its zero byte, the list ended by one more.
  std::string names;
  for (const int index : selected)
    names.append(itemName(index)).push_back('\0');
  names.push_back('\0');
  SaveKeyDatabase(databases(), owner, names.c_str(),
                  static_cast<std::uint32_t>(selected.size()));
}

void KeyManagerPage::load() {
  loading_ = true;
  LoadKeyDatabase(databases(), GetAncestor(hwnd(), GA_ROOT), std::nullopt, this, false);
  loading_ = false;
  reload();
}

} // namespace ravelock::app
