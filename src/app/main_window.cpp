#include "app/main_window.h"

#include "app/command_line.h"
#include "app/help.h"
#include "app/window_messages.h"
#include "resource.h"
#include "shell/handoff/control_messages.h"

namespace ravelock::app {

namespace {

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

Box boxOf(HWND window) {
  RECT box{};
  GetWindowRect(window, &box);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&box), 2);
  return {box.left, box.top, box.right, box.bottom};
}

// Repainted where it lands: its old bits may lie under a panel that grew.
void moveTo(HWND window, const Box& box) {
  SetWindowPos(window, nullptr, box.left, box.top, box.width(), box.height(),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

Size clientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

} // namespace

MainWindow::MainWindow(const PageContext& context, unsigned startPage)
    : Dialog(context.resources, IDD_MAIN_WINDOW), context_(context),
      startPage_(startPage < kPageCount ? startPage : kPageAbout),
      topBar_(context.resources), leftBar_(context.resources), header_(context.resources),
      picture_(context.resources), encryptDecrypt_(context),
      keyManager_(context, keyserver::KeyServerClient::process()), preferences_(context),
      about_(context) {}

void MainWindow::place(ui::Dialog& child, int templateId, int placeholder) {
  const Box at = boxOf(item(placeholder));
  child.createModeless(hwnd());
  SetWindowLongPtrW(child.hwnd(), GWLP_ID, templateId);
  SetWindowPos(child.hwnd(), nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool MainWindow::onInit() {
  const std::wstring about = resources().string(IDS_ABOUT_MENU);
  if (HMENU menu = GetSystemMenu(hwnd(), FALSE); menu && !about.empty()) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kSystemAboutCommand, about.c_str());
  }
  setTitle(IDS_APP_TITLE);
  SetWindowLongPtrW(hwnd(), GWL_STYLE,
                    GetWindowLongPtrW(hwnd(), GWL_STYLE) | WS_CLIPCHILDREN);
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(resources().icon(IDI_VELLAPP, kLargeIcon)));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(resources().icon(IDI_VELLAPP, kSmallIcon)));

  place(header_, IDD_HEADER, IDC_PLACE_HEADER);
  place(picture_, IDD_PICTURE_PANEL, IDC_PLACE_PICTURE);
  place(leftBar_, IDD_LEFT_BAR, IDC_PLACE_LEFT_BAR);
  place(encryptDecrypt_, IDD_ENCRYPT_DECRYPT_PAGE, IDC_PLACE_PAGES);
  place(keyManager_, IDD_KEY_MANAGER_PAGE, IDC_PLACE_PAGES);
  place(preferences_, IDD_PREFERENCES_PAGE, IDC_PLACE_PAGES);
  place(about_, IDD_ABOUT_PAGE, IDC_PLACE_PAGES);
  pages_.adopt({&encryptDecrypt_, &keyManager_, &preferences_, &about_}, startPage_);
  header_.setTitle(IDS_TITLE_ENCRYPT_DECRYPT + startPage_);
  SendMessageW(hwnd(), UM_SHOW_PAGE, static_cast<WPARAM>(IDC_PAGE_FIRST + startPage_), 0);
  place(topBar_, IDD_TOP_BAR, IDC_PLACE_TOP_BAR);

  // The pages fill the page area; the placeholders have done their work.
  const Box area = boxOf(item(IDC_PLACE_PAGES));
  for (unsigned page = 0; page < kPageCount; ++page)
    moveTo(pages_.page(page), area);
  firstClient_ = clientSize(hwnd());
  firstBoxes_ = {boxOf(topBar_.hwnd()), boxOf(leftBar_.hwnd()), boxOf(header_.hwnd()),
                 area, boxOf(picture_.hwnd())};
  for (int placeholder : {IDC_PLACE_TOP_BAR, IDC_PLACE_LEFT_BAR, IDC_PLACE_HEADER,
                          IDC_PLACE_PAGES, IDC_PLACE_PICTURE})
    DestroyWindow(item(placeholder));
  RECT window{};
  GetWindowRect(hwnd(), &window);
  minimumSize_ = {window.right - window.left, window.bottom - window.top};
  SetFocus(GetDlgItem(leftBar_.hwnd(), IDC_PAGE_FIRST + static_cast<int>(startPage_)));
  return false;
}

bool MainWindow::onHelpKey() {
  SendMessageW(hwnd(), UM_SHOW_HELP, 0, 0);
  return true;
}

void MainWindow::showPage(int buttonId) {
  if (buttonId == IDC_EXIT) {
    end(IDCANCEL);
  } else if (buttonId >= IDC_PAGE_FIRST && buttonId < IDC_PAGE_FIRST + int{kPageCount}) {
    const auto page = static_cast<unsigned>(buttonId - IDC_PAGE_FIRST);
    pages_.show(page);
    header_.setTitle(IDS_TITLE_ENCRYPT_DECRYPT + page);
  }
  SendMessageW(leftBar_.hwnd(), UM_SELECT_BUTTON, static_cast<WPARAM>(buttonId), 0);
}

void MainWindow::followResize(Size client) {
  if (firstClient_.width == 0)
    return; // still being assembled
  const PanelBoxes boxes = app::followResize(firstBoxes_, firstClient_, client);
  moveTo(topBar_.hwnd(), boxes.topBar);
  moveTo(leftBar_.hwnd(), boxes.leftBar);
  moveTo(header_.hwnd(), boxes.header);
  moveTo(pages_.shown(), boxes.pages);
  moveTo(picture_.hwnd(), boxes.picture);
}

std::optional<LRESULT> MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case UM_SHOW_PAGE: showPage(static_cast<int>(wParam)); return 0;
  case UM_SHOW_HELP:
    showHelpTopic(hwnd(), context_.programFolder, helpTopic(pages_.current()));
    return 0;
  case handoff::UM_ARE_YOU_MAIN_WINDOW: return handoff::kMainWindowAnswer;
  case WM_ACTIVATEAPP:
    if (wParam && pages_.current() == kPageKeyManager)
      SendMessageW(keyManager_.hwnd(), UM_RELOAD_KEYS, 0, 0);
    return std::nullopt;
  case WM_SYSCOMMAND:
    if (wParam >= kSystemAboutCommand && wParam <= kSystemAboutLast) {
      showPage(IDC_PAGE_ABOUT);
      return 0;
    }
    return std::nullopt;
  case WM_SIZE:
    if (wParam != SIZE_MINIMIZED)
      followResize({LOWORD(lParam), HIWORD(lParam)});
    return std::nullopt;
  case WM_GETMINMAXINFO:
    if (minimumSize_.cx > 0)
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimumSize_.cx,
                                                               minimumSize_.cy};
    return 0;
  default: return std::nullopt;
  }
}

} // namespace ravelock::app
