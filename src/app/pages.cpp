#include "app/pages.h"

#include "app/help.h"
#include "app/painting.h"
#include "app/path_list.h"
#include "app/window_messages.h"
#include "resource.h"
#include "ui/save_as.h"
#include "ui/text.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

namespace ravelock::app {

namespace {

enum EncryptDecryptCommand : int {
  kEncryptFiles = 1,
  kDecryptFiles = 2,
  kEncryptFolder = 3,
  kDecryptFolder = 4
};
enum AboutCommand : int { kOpenHomepage = 1, kOpenHelpFile = 2 };

constexpr PlacedButton kEncryptDecryptButtons[] = {
    {IDC_PLACE_ENCRYPT_FILES,
     {IDI_ENCRYPT_FILES, IDS_ENCRYPT_FILES, IDS_ENCRYPT_FILES_TEXT, kEncryptFiles,
      kFocusFrame, kTitleBlue, ui::kDialogText}},
    {IDC_PLACE_DECRYPT_FILES,
     {IDI_DECRYPT_FILES, IDS_DECRYPT_FILES, IDS_DECRYPT_FILES_TEXT, kDecryptFiles,
      kFocusFrame, kTitleBlue, ui::kDialogText}},
    {IDC_PLACE_ENCRYPT_FOLDER,
     {IDI_ENCRYPT_FOLDER, IDS_ENCRYPT_FOLDER, IDS_ENCRYPT_FOLDER_TEXT, kEncryptFolder,
      kFocusFrame, kTitleBlue, ui::kDialogText}},
    {IDC_PLACE_DECRYPT_FOLDER,
     {IDI_DECRYPT_FOLDER, IDS_DECRYPT_FOLDER, IDS_DECRYPT_FOLDER_TEXT, kDecryptFolder,
      kFocusFrame, kTitleBlue, ui::kDialogText}},
};

constexpr PlacedButton kAboutButtons[] = {
    {IDC_PLACE_HOMEPAGE,
     {IDI_WEB, IDS_HOMEPAGE, IDS_HOMEPAGE_TEXT, kOpenHomepage, kFocusFrame, kTitleBlue,
      ui::kDialogText}},
    {IDC_PLACE_HELP_FILE,
     {IDI_HELP, IDS_HELP_FILE, IDS_HELP_FILE_TEXT, kOpenHelpFile, kFocusFrame, kTitleBlue,
      ui::kDialogText}},
};

// The Open dialog's flags: several files, no read-only box, path and file
// must exist, sizable.
constexpr DWORD kOpenFlags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY |
                             OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING;

constexpr COLORREF kProductBlue = RGB(0, 0, 250);
constexpr COLORREF kLightShadow = RGB(200, 200, 200);
constexpr int kShadowOffset = 2;

} // namespace

ButtonPage::ButtonPage(const PageContext& context, int templateId)
    : Dialog(context.resources, templateId), context_(context) {}

IconButton* ButtonPage::buttonFor(int command) {
  for (auto& button : buttons_)
    if (button->command() == command)
      return button.get();
  return nullptr;
}

std::optional<LRESULT> ButtonPage::onMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message != UM_ICON_BUTTON_CLICKED)
    return std::nullopt;
  const int command = static_cast<int>(wParam);
  IconButton* button = buttonFor(command);
  if (button)
    button->setPressed(true);
  run(command);
  if (button)
    button->setPressed(false);
  return 0;
}

EncryptDecryptPage::EncryptDecryptPage(const PageContext& context)
    : ButtonPage(context, IDD_ENCRYPT_DECRYPT_PAGE) {}

bool EncryptDecryptPage::onInit() {
  createButtons(hwnd(), resources(), kEncryptDecryptButtons, buttons_);
  IconButton::ring(
      {buttons_[0].get(), buttons_[1].get(), buttons_[2].get(), buttons_[3].get()});
  return true;
}

void EncryptDecryptPage::run(int command) {
  switch (command) {
  case kEncryptFiles: runOnFiles(IDS_FILTER_ALL, true); break;
  case kDecryptFiles: runOnFiles(IDS_FILTER_ENCRYPTED, false); break;
  case kEncryptFolder: runOnFolder(true); break;
  case kDecryptFolder: runOnFolder(false); break;
  default: break;
  }
}

void EncryptDecryptPage::runOnFiles(unsigned filter, bool encrypt) {
  std::wstring selection(kSelectionListLimit, L'\0');
  const std::wstring filterText = ui::dialogFilter(resources().string(filter));
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = GetAncestor(hwnd(), GA_ROOT);
  open.lpstrFilter = filterText.c_str();
  open.lpstrFile = selection.data();
  open.nMaxFile = static_cast<DWORD>(selection.size());
  open.Flags = kOpenFlags;
  if (!GetOpenFileNameW(&open))
    return;
  // A path the ANSI code page cannot spell would name another file.
  std::vector<std::string> paths;
  for (const std::wstring& path : splitSelection(selection)) {
    std::string ansi;
    if (ui::narrow(path, ansi))
      paths.push_back(std::move(ansi));
  }
  const PathList list = buildPathList(paths);
  if (list.count == 0)
    return;
  if (encrypt)
    context_.engine->cryptFiles(list.bytes.data(), static_cast<int32_t>(list.count));
  else
    context_.engine->decryptFiles(list.bytes.data(), static_cast<int32_t>(list.count),
                                  nullptr);
  comeBackToFront();
}

void EncryptDecryptPage::runOnFolder(bool encrypt) {
  const std::wstring title = resources().string(IDS_BROWSE_FOLDER);
  wchar_t name[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = GetAncestor(hwnd(), GA_ROOT);
  browse.pszDisplayName = name;
  browse.lpszTitle = title.c_str();
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (!chosen)
    return;
  wchar_t folder[MAX_PATH] = {};
  const bool named = SHGetPathFromIDListW(chosen, folder) != FALSE;
  CoTaskMemFree(chosen);
  std::string ansi;
  if (!named || !ui::narrow(folder, ansi))
    return;
  const PathList list = folderList(std::move(ansi));
  if (list.count == 0)
    return;
  if (encrypt)
    context_.engine->cryptFiles(list.bytes.data(), 1);
  else
    context_.engine->decryptFiles(list.bytes.data(), 1, nullptr);
  comeBackToFront();
}

// After the engine's dialogs the program comes back to the front.
void EncryptDecryptPage::comeBackToFront() {
  SetForegroundWindow(GetAncestor(hwnd(), GA_ROOT));
}

AboutPage::AboutPage(const PageContext& context) : ButtonPage(context, IDD_ABOUT_PAGE) {}

bool AboutPage::onInit() {
  productFont_ = makeFont(L"Arial", 28, FW_BOLD);
  noticeFont_ = makeFont(L"Arial", 11, FW_NORMAL);
  platformsFont_ = makeFont(L"Arial", 12, FW_BOLD);
  SendDlgItemMessageW(hwnd(), IDC_ABOUT_PLATFORMS, WM_SETFONT,
                      reinterpret_cast<WPARAM>(platformsFont_.get()), FALSE);
  setString(IDC_ABOUT_PLATFORMS, IDS_PLATFORMS);
  // The painted lines are also the hidden edits' texts.
  setString(IDC_ABOUT_PRODUCT, IDS_PRODUCT_LINE);
  setString(IDC_ABOUT_NOTICE, IDS_MAKER_NOTICE);
  createButtons(hwnd(), resources(), kAboutButtons, buttons_);
  IconButton::ring({buttons_[0].get(), buttons_[1].get()});
  return true;
}

void AboutPage::run(int command) {
  switch (command) {
  case kOpenHomepage:
    ShellExecuteW(hwnd(), L"open", resources().string(IDS_HOMEPAGE_URL).c_str(), nullptr,
                  nullptr, SW_SHOWNORMAL);
    break;
  case kOpenHelpFile:
    showHelpTopic(GetAncestor(hwnd(), GA_ROOT), context_.programFolder, kIntroTopic);
    break;
  default: break;
  }
}

std::optional<LRESULT> AboutPage::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT)
    return ButtonPage::onMessage(message, wParam, lParam);
  PAINTSTRUCT paintInfo;
  HDC dc = BeginPaint(hwnd(), &paintInfo);
  paint(dc);
  EndPaint(hwnd(), &paintInfo);
  return 0;
}

void AboutPage::paint(HDC dc) {
  drawShadowedText(dc, resources().string(IDS_PRODUCT_LINE),
                   controlRect(hwnd(), IDC_ABOUT_PRODUCT), productFont_.get(),
                   kProductBlue, kLightShadow, kShadowOffset,
                   DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  drawShadowedText(dc, resources().string(IDS_MAKER_NOTICE),
                   controlRect(hwnd(), IDC_ABOUT_NOTICE), noticeFont_.get(),
                   ui::kDialogText, kLightShadow, 1,
                   DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void PageArea::adopt(std::array<ui::Dialog*, 4> pages, unsigned current) {
  pages_ = pages;
  current_ = current;
  for (unsigned index = 0; index < pages_.size(); ++index)
    ShowWindow(pages_[index]->hwnd(), index == current_ ? SW_SHOW : SW_HIDE);
}

bool PageArea::show(unsigned index) {
  if (index >= pages_.size() || index == current_)
    return false;
  HWND old = shown();
  RECT place{};
  GetWindowRect(old, &place);
  MapWindowPoints(nullptr, GetParent(old), reinterpret_cast<POINT*>(&place), 2);
  ShowWindow(old, SW_HIDE);
  current_ = index;
  SetWindowPos(shown(), nullptr, place.left, place.top, place.right - place.left,
               place.bottom - place.top, SWP_NOZORDER | SWP_SHOWWINDOW);
  return true;
}

} // namespace ravelock::app
