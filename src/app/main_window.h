#pragma once
// Windows only: the main window, for now a small window titled "Ravelock"
// that shows which of the four pages is current and lets the user choose
// another; the start-up stores the page it closes on.

#include "ui/dialog.h"

namespace ravelock::app {

class MainWindow : public ui::Dialog {
public:
  MainWindow(const ui::Resources& resources, unsigned startPage);

  // The page showing when the window closed.
  unsigned currentPage() const { return page_; }

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void showPage(unsigned page);

  unsigned page_;
};

} // namespace ravelock::app
