#pragma once
// What the encrypt and decrypt key dialogs share beyond the framework's
// key entry (ui/key_entry.h): the bold font of the file-name line, the
// names the key server remembers, and their common base.

#include "keyserver/client.h"
#include "keyserver/key_record.h"
#include "ui/dialog.h"
#include "ui/handles.h"
#include "ui/key_entry.h"
#include "ui/resources.h"

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ravelock::engine {

// Bold Arial, 11 pixels high, for the source and target names.
ui::FontHandle fileNameFont();

// The file name and extension of `path`.
std::wstring fileNameOf(const std::string& path);

// The names of the keys the key server remembers, in its order; empty when
// there are none or the server does not answer.
std::vector<std::string> rememberedKeyNames(keyserver::KeyServerClient& keys);

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
  ui::MaskingButton& mask() { return mask_; }
  // The bold font, made once, for the source and target names.
  HFONT nameFont();

private:
  virtual void chooseTarget() = 0;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) final;
  void onLinkClicked(int control) final;

  ui::MaskingButton mask_;
  ui::FontHandle nameFont_;
};

} // namespace ravelock::engine
