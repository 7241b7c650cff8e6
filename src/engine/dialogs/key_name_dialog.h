#pragma once
// The name a new key is given (and remembered under), asked when the user
// has typed a key in the encrypt key dialog.

#include "ui/dialog.h"

#include <string>
#include <vector>

namespace ravelock::engine {

class KeyNameDialog : public ui::Dialog {
public:
  // `remembered` (may be null) are the names the key server holds: a name
  // among them is overwritten only after asking.
  KeyNameDialog(const ui::Resources& resources, std::wstring proposed,
                const std::vector<std::string>* remembered);

  // True on OK; name() then holds the name as stored (at most 32 bytes,
  // cut on a character boundary).
  bool ask(HWND owner) { return runModal(owner) == IDOK; }
  const std::string& name() const { return name_; }

private:
  bool onInit() override;
  void onOk() override;

  std::wstring proposed_;
  const std::vector<std::string>* remembered_;
  std::string name_;
};

// "My key 2024/05/01-13:45:09" from the local time, at most 32 characters.
std::wstring proposedKeyName();

} // namespace ravelock::engine
