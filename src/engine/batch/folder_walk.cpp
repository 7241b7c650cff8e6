#include "engine/batch/folder_walk.h"

#include "engine/batch/workers.h"
#include "engine/files/target_naming.h"
#include "platform/filesystem.h"
#include "platform/module.h"

#include <vector>

namespace ravelock::engine {

using platform::DirectoryEntry;

namespace {

std::string withSeparator(const std::string& folder) {
  if (!folder.empty() && platform::isPathSeparator(folder.back()))
    return folder;
  return folder + platform::kPathSeparator;
}

bool isDotEntry(const std::string& name) {
  return name == "." || name == "..";
}

// Leaves the shortcut that decrypts `folder` through the main program.
void leaveFolderShortcut(const std::string& folder) {
  std::string application;
  if (!engineFolder(application))
    return;
  application += "vellapp.exe";
  // The closing quotation mark takes the place of a trailing separator.
  std::string quoted = folder;
  if (!quoted.empty() && platform::isPathSeparator(quoted.back()))
    quoted.pop_back();
  createFolderShortcut(application, folder, "/df \"" + quoted + "\"");
}

enum class Listing { Listed, Unlisted, Stopped };

// Lists `folder` completely before any of its files is processed, so the
// files a run creates there are not picked up again. Files whose names
// `takeFile` accepts are collected; subfolders go to `enterSubfolder` at
// once (depth first), which answers false to stop the run. A folder that
// cannot be listed is a failure of that item.
template <typename TakeFile, typename EnterSubfolder>
Listing listFolder(const std::string& folder, ErrorList& errors,
                   std::vector<std::string>& files, TakeFile takeFile,
                   EnterSubfolder enterSubfolder) {
  const std::string base = withSeparator(folder);
  const auto listing = platform::listDirectory(base, "*.*");
  if (!listing || listing->empty()) {
    errors.add(folder, 3, Operation::Encryption);
    return Listing::Unlisted;
  }
  for (const DirectoryEntry& entry : *listing) {
    switch (classifyFindEntry(entry)) {
    case 1:
      if (takeFile(entry.name))
        files.push_back(base + entry.name);
      break;
    case 0:
      if (!enterSubfolder(base + entry.name))
        return Listing::Stopped;
      break;
    default: break;
    }
  }
  return Listing::Listed;
}

} // namespace

int classifyFindEntry(const DirectoryEntry& entry) {
  if ((entry.attributes & platform::kAttrDirectory) == 0)
    return 1;
  return isDotEntry(entry.name) ? -1 : 0;
}

int encryptFolder(ProgressLink* progress, const std::string& folder,
                  std::int32_t subfolders, const KeyRecord& key,
                  std::int32_t deleteOriginal, ErrorList& errors) {
  std::vector<std::string> files;
  const Listing listing = listFolder(
      folder, errors, files, [](const std::string&) { return true; },
      [&](const std::string& subfolder) {
        return !subfolders || encryptFolder(progress, subfolder, subfolders, key,
                                            deleteOriginal, errors);
      });
  if (listing != Listing::Listed)
    return listing == Listing::Stopped ? 0 : 1;
  const std::size_t failuresBefore = errors.size();
  for (const std::string& path : files)
    if (!encryptOneFile(path, key, progress, deleteOriginal, errors, "", 1))
      return 0;
  // At least one file encrypted or skipped by the user.
  if (files.size() > errors.size() - failuresBefore)
    leaveFolderShortcut(withSeparator(folder));
  return 1;
}

int decryptFolder(ProgressLink* progress, const std::string& folder, char* lastTarget,
                  const std::int32_t* subfolders, KeyRecord& lastKey,
                  std::int32_t* deleteOriginal, ErrorList& errors) {
  std::vector<std::string> files;
  const Listing listing = listFolder(
      folder, errors, files,
      [](const std::string& name) { return hasEncryptedExtension(name); },
      [&](const std::string& subfolder) {
        // Read anew for each subfolder: the key dialog may change it.
        return !*subfolders || decryptFolder(progress, subfolder, lastTarget, subfolders,
                                             lastKey, deleteOriginal, errors);
      });
  if (listing != Listing::Listed)
    return listing == Listing::Stopped ? 0 : 1;
  int result = 1;
  for (const std::string& path : files) {
    if (!decryptOneFile(path, lastTarget, lastKey, progress, deleteOriginal, errors, 1)) {
      result = 0;
      break;
    }
  }
  removeFolderShortcut(withSeparator(folder));
  return result;
}

int engineFolder(std::string& folder) {
  static const int anchor = 0;
  folder = platform::moduleFolder(&anchor);
  return folder.empty() ? 0 : 1;
}

int createFolderShortcut(const std::string& application, const std::string& folder,
                         const std::string& arguments) {
  return platform::WriteShortcut(application, withSeparator(folder) + kFolderShortcutName,
                                 kFolderShortcutDescription, arguments.c_str())
             ? 1
             : 0;
}

void removeFolderShortcut(const std::string& folder) {
  const std::string base = withSeparator(folder);
  const auto encrypted = platform::listDirectory(base, "*.rlk");
  if (encrypted && !encrypted->empty())
    return;
  platform::deleteFile((base + kFolderShortcutName).c_str());
}

} // namespace ravelock::engine
