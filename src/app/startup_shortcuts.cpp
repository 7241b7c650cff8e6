#include "app/startup_shortcuts.h"

#include "platform/directory.h"
#include "platform/filesystem.h"
#include "platform/module.h"
#include "platform/text.h"
#include "resource.h"
#include "ui/message_box.h"
#include "ui/text.h"

#include <shlobj.h>

namespace ravelock::app {

const LogonShortcut kKeyManagerShortcut{IDS_KEY_MANAGER_SHORTCUT,
                                        IDS_KEY_MANAGER_SHORTCUT_TEXT,
                                        "vellserver.exe",
                                        options::StartupList::KeyManager,
                                        IDS_KEY_MANAGER_SHORTCUT_FAILED,
                                        IDS_KEY_MANAGER_UNSHORTCUT_FAILED};
const LogonShortcut kDropTargetShortcut{IDS_DROP_TARGET_SHORTCUT,
                                        IDS_DROP_TARGET_SHORTCUT_TEXT,
                                        "pondlet.exe",
                                        options::StartupList::DropTarget,
                                        IDS_DROP_TARGET_SHORTCUT_FAILED,
                                        IDS_DROP_TARGET_UNSHORTCUT_FAILED};

namespace {

std::string withSeparator(std::string folder) {
  if (folder.empty() || !platform::isPathSeparator(folder.back()))
    folder += '\\';
  return folder;
}

// `file` in the folder of the module whose resources these are.
std::optional<std::string> programFile(const ui::Resources& resources,
                                       std::string_view file) {
  const std::string folder = platform::moduleFolder(resources.module());
  if (folder.empty() || folder.size() + file.size() >= platform::kMaxPath)
    return std::nullopt;
  return folder + std::string(file);
}

std::string shortPathOrEmpty(const std::string& path) {
  return platform::getShortPath(path).value_or(std::string());
}

} // namespace

std::optional<std::string> StartupShortcutPath(const ui::Resources& resources,
                                               unsigned nameId) {
  char folder[MAX_PATH] = {};
  std::string name;
  if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE) ||
      !ui::narrow(resources.string(nameId), name) || name.empty())
    return std::nullopt;
  std::string path = withSeparator(folder) + name;
  if (path.size() >= platform::kMaxPath)
    return std::nullopt;
  return path;
}

int CreateStartupShortcut(const ui::Resources& resources, unsigned nameId,
                          unsigned descriptionId, std::string* shortPath,
                          std::string_view targetFile) {
  if (shortPath)
    shortPath->clear();
  const auto path = StartupShortcutPath(resources, nameId);
  const auto target = programFile(resources, targetFile);
  std::string description;
  if (!path || !target || !ui::narrow(resources.string(descriptionId), description))
    return 0;
  const platform::ComApartment com;
  if (!platform::WriteShortcut(*target, *path, description))
    return 0;
  if (shortPath)
    *shortPath = shortPathOrEmpty(*path);
  return 1;
}

int DeleteStartupShortcut(const ui::Resources& resources, unsigned nameId,
                          std::string* shortPath) {
  if (shortPath)
    shortPath->clear();
  const auto path = StartupShortcutPath(resources, nameId);
  if (!path)
    return 0;
  if (shortPath)
    *shortPath = shortPathOrEmpty(*path);
  // Absence is asked of the full path: a file whose short name cannot be
  // had is still there and must not count as deleted.
  return platform::deleteFile(path->c_str()) ||
                 platform::getAttributes(path->c_str()) == platform::kInvalidAttributes
             ? 1
             : 0;
}

int IsStartupShortcutOurs(const ui::Resources& resources, unsigned nameId,
                          std::string_view targetFile) {
  const auto path = StartupShortcutPath(resources, nameId);
  const auto expected = programFile(resources, targetFile);
  if (!path || !expected)
    return 0;
  const platform::ComApartment com;
  const auto stored = platform::ResolveShortcutTarget(*path);
  if (!stored)
    return 0;
  const auto storedShort = platform::getShortPath(*stored);
  const auto expectedShort = platform::getShortPath(*expected);
  return storedShort && expectedShort &&
                 platform::equalIgnoringCase(*storedShort, *expectedShort)
             ? 1
             : 0;
}

bool createLogonShortcut(HWND owner, const ui::Resources& resources,
                         const LogonShortcut& shortcut) {
  std::string shortPath;
  if (!CreateStartupShortcut(resources, shortcut.name, shortcut.description, &shortPath,
                             shortcut.target)) {
    ui::messageBox(owner, resources.string(shortcut.createFailed),
                   MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  options::updateStartupList(shortcut.list, shortPath, true);
  return true;
}

bool deleteLogonShortcut(HWND owner, const ui::Resources& resources,
                         const LogonShortcut& shortcut) {
  std::string shortPath;
  if (!DeleteStartupShortcut(resources, shortcut.name, &shortPath)) {
    ui::messageBox(owner, resources.string(shortcut.deleteFailed),
                   MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (!shortPath.empty()) {
    options::updateStartupList(shortcut.list, shortPath, false);
    return true;
  }
  // A shortcut the user deleted by hand has no short path any more: its
  // entry is the one of this user's Startup folder whose file is gone.
  const auto path = StartupShortcutPath(resources, shortcut.name);
  const auto folder =
      path ? platform::getShortPath(path->substr(0, path->rfind('\\'))) : std::nullopt;
  if (!folder)
    return true;
  const std::string prefix = withSeparator(*folder);
  for (const std::string& listed : options::listedShortcuts(shortcut.list))
    if (listed.size() > prefix.size() &&
        platform::equalIgnoringCase(listed.substr(0, prefix.size()), prefix) &&
        listed.find('\\', prefix.size()) == std::string::npos &&
        platform::getAttributes(listed.c_str()) == platform::kInvalidAttributes)
      options::updateStartupList(shortcut.list, listed, false);
  return true;
}

} // namespace ravelock::app
