#pragma once
// Windows only: the main window (template 102), assembled from child
// dialogs at the places its template marks: the top bar, the left bar, the
// header, the picture panel and the page area with the four pages. Each
// child window carries its template's number as its control id. Panels
// follow a resize by the rules of app/layout.h.

#include "app/key_manager_page.h"
#include "app/layout.h"
#include "app/pages.h"
#include "app/panels.h"
#include "app/preferences_page.h"

namespace ravelock::app {

class MainWindow : public ui::Dialog {
public:
  MainWindow(const PageContext& context, unsigned startPage);

  // The page showing when the window closed.
  unsigned currentPage() const { return pages_.current(); }

private:
  bool onInit() override;
  void onOk() override {} // Enter belongs to the focused button
  bool onHelpKey() override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void place(ui::Dialog& child, int templateId, int placeholder);
  void showPage(int buttonId);
  void followResize(Size client);

  PageContext context_;
  unsigned startPage_;
  TopBar topBar_;
  LeftBar leftBar_;
  Header header_;
  PicturePanel picture_;
  EncryptDecryptPage encryptDecrypt_;
  KeyManagerPage keyManager_;
  PreferencesPage preferences_;
  AboutPage about_;
  PageArea pages_;
  PanelBoxes firstBoxes_;
  Size firstClient_;
  SIZE minimumSize_{};
};

} // namespace ravelock::app
