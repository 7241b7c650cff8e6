#include "app/help.h"

#include "app/command_line.h"
#include "ui/html_help.h"
#include "ui/text.h"

#include <htmlhelp.h>

namespace ravelock::app {

const char* helpTopic(unsigned page) {
  switch (page) {
  case kPageEncryptDecrypt: return "ravelock.chm::/wndencryption.htm";
  case kPageKeyManager: return "ravelock.chm::/keymanager.htm";
  case kPagePreferences: return "ravelock.chm::/wndoptions.htm";
  default: return kIntroTopic;
  }
}

void showHelpTopic(HWND owner, const std::string& programFolder, const char* topic) {
  if (ui::HtmlHelpFn htmlHelp = ui::htmlHelpFunction()) {
    const std::wstring path = ui::widen(programFolder + topic);
    htmlHelp(owner, path.c_str(), HH_DISPLAY_TOPIC, 0);
  }
}

} // namespace ravelock::app
