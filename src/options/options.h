#pragma once
// Typed access to every per-user option. Each call is a complete read or
// write of the options file at `at` (by default the current user's section
// of the file beside the calling program, found anew on every call), so a
// change made by one program is seen by the others at their next read.
//
// Getters with a default return the stored value, or the default when the
// option cannot be read for any reason. The drop target's getters instead
// say whether they read a value and leave the caller's variable alone when
// not. Setters return true when the value is in the file (written, or
// already equal).

#include "options/options_location.h"

#include <string>
#include <string_view>

namespace ravelock::options {

// The encryption and decryption presets come in pairs: `encryption` selects
// the Cry... option, false the Decry... one.
bool getRememberKeys(bool encryption, bool defaultValue = true,
                     const OptionsLocation& at = currentOptionsLocation());
bool setRememberKeys(bool encryption, bool value,
                     const OptionsLocation& at = currentOptionsLocation());
bool getKeepFile(bool encryption, bool defaultValue = true,
                 const OptionsLocation& at = currentOptionsLocation());
bool setKeepFile(bool encryption, bool value,
                 const OptionsLocation& at = currentOptionsLocation());
bool getBrowseSubfolders(bool encryption, bool defaultValue = true,
                         const OptionsLocation& at = currentOptionsLocation());
bool setBrowseSubfolders(bool encryption, bool value,
                         const OptionsLocation& at = currentOptionsLocation());
// Whether the success message is shown after a run without errors.
bool getErrorsDialog(bool encryption, bool defaultValue = true,
                     const OptionsLocation& at = currentOptionsLocation());
bool setErrorsDialog(bool encryption, bool value,
                     const OptionsLocation& at = currentOptionsLocation());

bool getServerIconShow(bool defaultValue = true,
                       const OptionsLocation& at = currentOptionsLocation());
bool setServerIconShow(bool value, const OptionsLocation& at = currentOptionsLocation());

// The main window's start page, 0 to 3; any other stored value gives 3.
unsigned getAppPage(unsigned defaultValue = 3,
                    const OptionsLocation& at = currentOptionsLocation());
bool setAppPage(unsigned page, const OptionsLocation& at = currentOptionsLocation());

// Whether the key manager's logon shortcut exists (written, never read).
bool setStartUp(bool created, const OptionsLocation& at = currentOptionsLocation());

// The key database loaded at logon. A path that does not fit 260 bytes with
// its terminator reads as a failure; `path` is then empty.
bool getDatabaseDefaultPath(std::string& path,
                            const OptionsLocation& at = currentOptionsLocation());
bool setDatabaseDefaultPath(std::string_view path,
                            const OptionsLocation& at = currentOptionsLocation());

// The drop target. Sizes other than 0..2 read as 0 (small); start modes
// above 3 read as 2 (when the application is first used).
bool getFishTopmost(bool& topmost, const OptionsLocation& at = currentOptionsLocation());
bool setFishTopmost(bool topmost, const OptionsLocation& at = currentOptionsLocation());
bool getFishSize(int& size, const OptionsLocation& at = currentOptionsLocation());
bool setFishSize(unsigned size, const OptionsLocation& at = currentOptionsLocation());
bool getFishStart(int& mode, const OptionsLocation& at = currentOptionsLocation());
bool setFishStart(unsigned mode, const OptionsLocation& at = currentOptionsLocation());
// The window's top-left corner; read fish_y only when fish_x was found.
bool getFishX(int& x, const OptionsLocation& at = currentOptionsLocation());
bool setFishX(int x, const OptionsLocation& at = currentOptionsLocation());
bool getFishY(int& y, const OptionsLocation& at = currentOptionsLocation());
bool setFishY(int y, const OptionsLocation& at = currentOptionsLocation());

} // namespace ravelock::options
