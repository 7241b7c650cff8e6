#pragma once
// Where the options live: the shared file beside the programs and, inside
// it, one section per logon user.

#include <string>
#include <string_view>

namespace ravelock::options {

inline constexpr std::string_view kOptionsFileName = "Ravelock_options.xml";
inline constexpr std::string_view kRootElement = "users_settings";
inline constexpr std::string_view kDefaultSection = "default";

// The options file in the folder of the module that holds this code (each
// program and library links the options code in, so that is the calling
// module), or "" when the module's name cannot be had or the path does not
// fit 260 bytes: every read then fails and the getters give their defaults.
std::string OptionsFilePath();

// The current user's section: the logon name when it is made of element
// name characters only, else "default" (shared by all such users).
std::string OptionsSectionName();

// The section that belongs to `logonName` (empty when it is unknown).
std::string sectionNameFor(std::string_view logonName);

// The file and section an accessor call works on.
struct OptionsLocation {
  std::string file;
  std::string section;
};

// OptionsFilePath() and OptionsSectionName(), asked anew on every call.
OptionsLocation currentOptionsLocation();

} // namespace ravelock::options
