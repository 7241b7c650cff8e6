#pragma once
// The installation values under HKEY_LOCAL_MACHINE that other programs
// (setup tools) read: where the programs are and which version wrote it.

#include "platform/registry.h"

#include <string>
#include <string_view>

namespace ravelock::app {

inline constexpr std::string_view kInstallKey = "Software\\Harrowby\\Quillery";
inline constexpr std::string_view kInstallKeyDefault = "Ravelock settings";
inline constexpr std::string_view kProgramPathValue = "VellProgramPath";
inline constexpr std::string_view kProgramVersionValue = "VellProgramVersion";
inline constexpr std::uint32_t kProgramVersion = 2;

// Writes VellProgramPath (the program folder, ending in a backslash) unless
// it already holds that folder (compared without regard to case), the
// key's default text when the key is new, and VellProgramVersion when it is
// missing or differs. 1 done, 0 when the key cannot be had or a write fails.
int writeInstallInfo(platform::Registry& registry, const std::string& programFolder);

} // namespace ravelock::app
