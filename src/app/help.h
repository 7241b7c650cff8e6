#pragma once
// Windows only: the help file and its topics, one per page.

#include <windows.h>

#include <string>

namespace ravelock::app {

inline constexpr char kIntroTopic[] = "ravelock.chm::/intro.htm";

// The topic of page `page`; the About page and any other index give the
// introduction.
const char* helpTopic(unsigned page);

// Opens `topic` of the help file in `programFolder` (which ends in a
// backslash) with HTML Help, owned by `owner`. A missing file is reported
// by HTML Help itself.
void showHelpTopic(HWND owner, const std::string& programFolder, const char* topic);

} // namespace ravelock::app
