#pragma once
// Folders met in a batch run: every file encrypted (subfolders first when
// asked), a "Decrypt this folder.lnk" shortcut left where files were
// handled; every ".rlk" file decrypted and the shortcut removed once none
// is left.

#include "engine/batch/error_list.h"
#include "engine/progress_link.h"
#include "keyserver/key_record.h"
#include "platform/directory.h"

#include <cstdint>
#include <string>

namespace ravelock::engine {

inline constexpr char kFolderShortcutName[] = "Decrypt this folder.lnk";
inline constexpr char kFolderShortcutDescription[] =
    "This shortcut can be used to decrypt this folder.\nYou will be asked to enter "
    "proper key.";

// 1 a file, -1 "." or "..", 0 any other subfolder.
int classifyFindEntry(const platform::DirectoryEntry& entry);

// 1 go on with the run, 0 stop it. A folder that cannot be listed is
// recorded as a failure to open it (code 3) and the run goes on.
int encryptFolder(ProgressLink* progress, const std::string& folder,
                  std::int32_t subfolders, const KeyRecord& key,
                  std::int32_t deleteOriginal, ErrorList& errors);
int decryptFolder(ProgressLink* progress, const std::string& folder, char* lastTarget,
                  const std::int32_t* subfolders, KeyRecord& lastKey,
                  std::int32_t* deleteOriginal, ErrorList& errors);

// The engine library's own folder, with a trailing separator; 1, or 0 when
// it cannot be told.
int engineFolder(std::string& folder);

// "Decrypt this folder.lnk" in `folder`, starting `application` with
// `arguments`. 1 when saved.
int createFolderShortcut(const std::string& application, const std::string& folder,
                         const std::string& arguments);
void removeFolderShortcut(const std::string& folder);

} // namespace ravelock::engine
