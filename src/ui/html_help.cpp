#include "ui/html_help.h"

#include <htmlhelp.h>

namespace ravelock::ui {

HtmlHelpFn htmlHelpFunction() {
  static const HtmlHelpFn function = [] {
    HMODULE module = LoadLibraryW(L"hhctrl.ocx");
    return module ? reinterpret_cast<HtmlHelpFn>(
                        reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpW")))
                  : nullptr;
  }();
  return function;
}

HtmlHelpSession::HtmlHelpSession() {
  if (HtmlHelpFn htmlHelp = htmlHelpFunction())
    htmlHelp(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie_));
}

HtmlHelpSession::~HtmlHelpSession() {
  if (cookie_ != 0)
    if (HtmlHelpFn htmlHelp = htmlHelpFunction())
      htmlHelp(nullptr, nullptr, HH_UNINITIALIZE, cookie_);
}

} // namespace ravelock::ui
