#include "app/main_window.h"
#include "app/command_line.h"
#include "resource.h"

namespace ravelock::app {

namespace {

// A button caption shows an ampersand only when it is doubled.
std::wstring literalCaption(const std::wstring& text) {
  std::wstring caption;
  for (wchar_t c : text) {
    caption += c;
    if (c == L'&')
      caption += L'&';
  }
  return caption;
}

} // namespace

MainWindow::MainWindow(const ui::Resources& resources, unsigned startPage)
    : Dialog(resources, IDD_MAIN_WINDOW), page_(startPage) {}

bool MainWindow::onInit() {
  setTitle(IDS_APP_TITLE);
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(resources().icon(IDI_VELLAPP, 32)));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(resources().icon(IDI_VELLAPP, 16)));
  for (unsigned page = 0; page < kPageCount; ++page)
    setText(IDC_PAGE_FIRST + page,
            literalCaption(resources().string(IDS_CAPTION_ENCRYPT_DECRYPT + page)));
  setString(IDC_EXIT, IDS_CAPTION_EXIT);
  showPage(page_);
  focus(IDC_PAGE_FIRST + page_);
  return false;
}

bool MainWindow::onCommand(int id, int code) {
  if (id >= IDC_PAGE_FIRST && id < IDC_PAGE_FIRST + static_cast<int>(kPageCount)) {
    if (code == BN_CLICKED)
      showPage(id - IDC_PAGE_FIRST);
    return true;
  }
  if (id == IDC_EXIT) {
    end(IDCANCEL);
    return true;
  }
  return Dialog::onCommand(id, code);
}

void MainWindow::showPage(unsigned page) {
  page_ = page;
  for (unsigned other = 0; other < kPageCount; ++other)
    setChecked(IDC_PAGE_FIRST + other, other == page);
  setString(IDC_PAGE_TITLE, IDS_TITLE_ENCRYPT_DECRYPT + page);
}

} // namespace ravelock::app
