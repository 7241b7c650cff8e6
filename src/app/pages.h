#pragma once
// Windows only: the main window's pages, each a child dialog of its own
// template, and the page area that shows one of them at a time.

#include "app/engine_binding.h"
#include "app/icon_button.h"
#include "ui/dialog.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace ravelock::app {

// What the pages need from the program: its folder (for the help file) and
// the bound engine.
struct PageContext {
  ui::Resources resources;
  std::string programFolder;
  const EngineExports* engine;
};

// An icon button at the place of a placeholder control of its page.
struct PlacedButton {
  int placeholder;
  IconButtonLook look;
};

// Creates the buttons `placed` on `page`, in their order.
template <std::size_t N>
void createButtons(HWND page, const ui::Resources& resources,
                   const PlacedButton (&placed)[N],
                   std::vector<std::unique_ptr<IconButton>>& buttons) {
  for (const PlacedButton& button : placed) {
    buttons.push_back(std::make_unique<IconButton>(resources, button.look));
    buttons.back()->create(page, button.placeholder);
  }
}

// A page whose buttons are icon buttons: each click is marked on the button
// while the page runs its command.
class ButtonPage : public ui::Dialog {
protected:
  ButtonPage(const PageContext& context, int templateId);
  virtual void run(int command) = 0;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  IconButton* buttonFor(int command);

  PageContext context_;
  std::vector<std::unique_ptr<IconButton>> buttons_;
};

// Encrypt or decrypt files chosen in an Open dialog, or a folder chosen in
// the folder browser.
class EncryptDecryptPage : public ButtonPage {
public:
  explicit EncryptDecryptPage(const PageContext& context);

private:
  bool onInit() override;
  void run(int command) override;
  void runOnFiles(unsigned filter, bool encrypt);
  void runOnFolder(bool encrypt);
  void comeBackToFront();
};

// The product's name and notice, the web page and the help file.
class AboutPage : public ButtonPage {
public:
  explicit AboutPage(const PageContext& context);

private:
  bool onInit() override;
  void run(int command) override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void paint(HDC dc);

  ui::FontHandle productFont_;
  ui::FontHandle noticeFont_;
  ui::FontHandle platformsFont_;
};

// A page of a template only; its issue fills it.
class PlainPage : public ui::Dialog {
public:
  PlainPage(const ui::Resources& resources, int templateId)
      : Dialog(resources, templateId) {}
};

// The four pages at one place; only the current one shows.
class PageArea {
public:
  // The pages, by index, created as children of the main window.
  void adopt(std::array<ui::Dialog*, 4> pages, unsigned current);
  // Shows page `index` in the place of the shown one; false when the index
  // is out of range or already shown.
  bool show(unsigned index);
  unsigned current() const { return current_; }
  HWND shown() const { return pages_[current_]->hwnd(); }
  HWND page(unsigned index) const { return pages_[index]->hwnd(); }

private:
  std::array<ui::Dialog*, 4> pages_{};
  unsigned current_ = 0;
};

} // namespace ravelock::app
