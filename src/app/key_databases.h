#pragma once
// Windows only: saving the key server's keys to a key database and loading
// one back, with their dialogs. The cipher runs in the engine (its bound
// buffer exports) on the progress dialog's worker thread; the files and the
// key server are handled on the caller's thread.

#include "app/engine_binding.h"
#include "keyserver/client.h"
#include "ui/resources.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace ravelock::app {

struct KeyDatabaseContext {
  ui::Resources resources;
  const EngineExports* engine;
  keyserver::KeyServerClient* keys;
};

// Writes all keys of the key server (`names` null) or those of the `count`
// names of `names` (each followed by a zero byte, the list by one more).
void SaveKeyDatabase(const KeyDatabaseContext& context, HWND owner, const char* names,
                     std::uint32_t count);

// Loads a database into the key server: the file of `path`, or one the user
// chooses when there is none. Names already taken are asked about through
// `page` (UM_KEY_CONFLICT); without a page every record is stored. At
// logon the master-key dialog says why it is shown and stays on top, and
// an unusable file given by path is passed over in silence.
void LoadKeyDatabase(const KeyDatabaseContext& context, HWND owner,
                     const std::optional<std::string>& path,
                     keyserver::KeyConflictWindow* page, bool atLogon);

} // namespace ravelock::app
