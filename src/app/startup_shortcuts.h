#pragma once
// Windows only: the logon shortcuts in the current user's Startup folder
// that start the key server (to load the key database) and the drop target,
// and the machine-wide lists of every such shortcut created, which let the
// uninstall run remove those of all users.
//
// Each operation builds the shortcut's path from its name in the string
// table of `resources` and the target's path from the folder of that
// module (vellapp's own).

#include "options/startup_lists.h"
#include "ui/resources.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace ravelock::app {

// The Startup folder with a separator, then the shortcut's file name
// (string `nameId`); nullopt when the folder cannot be found or the path
// does not fit 260 bytes.
std::optional<std::string> StartupShortcutPath(const ui::Resources& resources,
                                               unsigned nameId);

// Writes the shortcut to `targetFile` of the program folder, described by
// string `descriptionId`, with no arguments and no icon (an existing one is
// overwritten): 1, else 0. `shortPath`, when given, receives the short
// path of the shortcut file, or "" when it cannot be had.
int CreateStartupShortcut(const ui::Resources& resources, unsigned nameId,
                          unsigned descriptionId, std::string* shortPath,
                          std::string_view targetFile);

// Deletes the shortcut: 1 when it is gone (also when it was not there),
// else 0. `shortPath`, when given, receives the short path the file had
// before, or "".
int DeleteStartupShortcut(const ui::Resources& resources, unsigned nameId,
                          std::string* shortPath);

// 1 when the shortcut exists, can be read and starts `targetFile` of the
// program folder (compared as short paths, without regard to case); else 0.
int IsStartupShortcutOurs(const ui::Resources& resources, unsigned nameId,
                          std::string_view targetFile);

// One of the two logon shortcuts: its strings, target, list and the
// messages of a failed create and delete.
struct LogonShortcut {
  unsigned name;
  unsigned description;
  const char* target;
  options::StartupList list;
  unsigned createFailed;
  unsigned deleteFailed;
};

extern const LogonShortcut kKeyManagerShortcut;
extern const LogonShortcut kDropTargetShortcut;

// Creates or deletes `shortcut` and records it: on success its short path
// is added to or removed from its list; on failure the message is shown
// (owned by `owner`) and the list is left as it was. True on success.
bool createLogonShortcut(HWND owner, const ui::Resources& resources,
                         const LogonShortcut& shortcut);
bool deleteLogonShortcut(HWND owner, const ui::Resources& resources,
                         const LogonShortcut& shortcut);

} // namespace ravelock::app
