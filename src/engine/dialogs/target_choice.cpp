#include "engine/dialogs/target_choice.h"

#include "engine/files/target_naming.h"
#include "platform/filesystem.h"
#include "resource.h"
#include "ui/message_box.h"
#include "ui/save_as.h"
#include "ui/text.h"

namespace ravelock::engine {

std::optional<std::string> chooseTarget(HWND owner, const ui::Resources& resources,
                                        Operation role, const std::string& current) {
  const bool encrypted = role == Operation::Encryption;
  ui::SaveAsRequest request;
  request.filter =
      resources.string(encrypted ? IDS_ENCRYPTED_FILTER : IDS_ANY_FILE_FILTER);
  request.defaultExtension = encrypted ? L"rlk" : L"";
  request.initialPath = ui::widen(encrypted ? withEncryptedExtension(current) : current);
  for (;;) {
    const std::optional<std::wstring> chosen = ui::saveAs(owner, request);
    if (!chosen)
      return std::nullopt;
    request.initialPath = *chosen;
    std::string path;
    const bool usable = ui::narrow(*chosen, path) && !path.empty();
    if (usable && encrypted)
      path = withEncryptedExtension(path);
    if (!usable || path.size() >= kMaxPath) {
      ui::messageBox(owner,
                     ui::fill(resources.string(IDS_REPEATED_WRITE_FAILED), *chosen),
                     MB_ICONEXCLAMATION | MB_OK);
      continue;
    }
    if (platform::pathExists(path.c_str()) &&
        ui::messageBox(
            owner, ui::fill(resources.string(IDS_FILE_EXISTS_OVERWRITE), ui::widen(path)),
            MB_ICONQUESTION | MB_YESNO) != IDYES)
      continue;
    return path;
  }
}

} // namespace ravelock::engine
