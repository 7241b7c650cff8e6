#pragma once
// The machine-wide records of logon shortcuts created for any user: one
// list for the key manager's shortcut and one for the drop target's, each
// with its count, under users_settings / StartUp_users. The uninstall step
// deletes every shortcut they name.

#include "options/options_location.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::options {

enum class StartupList {
  KeyManager, // StartUpUsers, StartUpUsersCount
  DropTarget, // StartUpUsersPondlet, StartUpUsersPondletCount
};

// Adds or removes `shortcut` (its short path; kept in upper case) and
// returns the new count, or the count unchanged when there was nothing to do
// (already listed / not listed), or -1: an empty path, nothing recorded to
// remove from, or a failed write.
std::int64_t updateStartupList(StartupList list, std::string_view shortcut, bool add,
                               const std::string& optionsFile = OptionsFilePath());

// The paths the list holds, in its order; empty when it cannot be read.
std::vector<std::string>
listedShortcuts(StartupList list, const std::string& optionsFile = OptionsFilePath());

// Deletes every file the list names. 1, or 0 when the count or the list
// cannot be read. The list itself is left as it is.
int deleteListedShortcuts(StartupList list,
                          const std::string& optionsFile = OptionsFilePath());

} // namespace ravelock::options
