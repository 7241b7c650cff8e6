#pragma once
// What the encrypt and decrypt key dialogs share: the button that masks
// and unmasks the key boxes, the bold font of the file-name line, the
// names the key server remembers, and turning typed text into a key.

#include "keyserver/client.h"
#include "keyserver/key_record.h"
#include "ui/dialog.h"
#include "ui/handles.h"
#include "ui/resources.h"

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ravelock::engine {

// The owner-drawn picture button beside the key boxes. Masked (the start)
// it shows the masked picture in every state; unmasked it shows the
// "shown" picture, and the masked one while pressed (pressing masks).
class MaskingButton {
public:
  // `boxes` are the edit boxes it masks; their password character is taken
  // from the first ("*" when it has none).
  void attach(HWND dialog, int button, std::vector<int> boxes,
              const ui::Resources& resources);
  void toggle();
  bool masked() const { return masked_; }
  // WM_DRAWITEM of the button; false when the item is another control.
  bool draw(const DRAWITEMSTRUCT& item) const;

private:
  HWND dialog_ = nullptr;
  int button_ = 0;
  std::vector<int> boxes_;
  wchar_t passwordChar_ = L'*';
  bool masked_ = true;
  HBITMAP shown_ = nullptr; // shared resource bitmaps: not deleted
  HBITMAP hidden_ = nullptr;
};

// Bold Arial, 11 pixels high, for the source and target names.
ui::FontHandle fileNameFont();

// The file name and extension of `path`.
std::wstring fileNameOf(const std::string& path);

// The names of the keys the key server remembers, in its order; empty when
// there are none or the server does not answer.
std::vector<std::string> rememberedKeyNames(keyserver::KeyServerClient& keys);

// Puts `text` as the key into `record` (bytes and length; the name is left
// alone). False when a character has no form in the ANSI code page or the
// key would be longer than a key can be.
bool setKey(const std::wstring& text, KeyRecord& record);

// The key of `record` as text for a key box.
std::wstring keyText(const KeyRecord& record);

// The text of an edit box, wiped from memory when it goes.
class SecretText {
public:
  explicit SecretText(std::wstring text) : text_(std::move(text)) {}
  SecretText(const SecretText&) = delete;
  SecretText& operator=(const SecretText&) = delete;
  ~SecretText();
  const std::wstring& get() const { return text_; }

private:
  std::wstring text_;
};

// A control and the string it is given (tooltip or help).
struct ControlText {
  int control;
  unsigned text;
};

// The base of the encrypt and decrypt key dialogs: draws the masking
// button, sends a click on the target line to chooseTarget() and one on a
// label to its help, and fills tooltips and help from tables.
class KeyDialog : public ui::Dialog {
protected:
  static constexpr COLORREF kLabelBlue = RGB(0, 100, 190);
  static constexpr COLORREF kTargetBlue = RGB(0, 112, 223);

  using ui::Dialog::Dialog;

  void addTooltips(std::span<const ControlText> tips);
  void addHelp(std::span<const ControlText> entries);
  MaskingButton& mask() { return mask_; }
  // The bold font, made once, for the source and target names.
  HFONT nameFont();

private:
  virtual void chooseTarget() = 0;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) final;
  void onLinkClicked(int control) final;

  MaskingButton mask_;
  ui::FontHandle nameFont_;
};

} // namespace ravelock::engine
