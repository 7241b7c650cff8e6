#pragma once
// HTML Help, bound at run time from hhctrl.ocx so that a system without it
// loses only the help.

#include <windows.h>

namespace ravelock::ui {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// HtmlHelpW, looked up once per process; null without HTML Help.
HtmlHelpFn htmlHelpFunction();

// HTML Help initialised (HH_INITIALIZE) for as long as the object lives,
// with a cookie of its own, and uninitialised with it at the end when the
// cookie is not zero.
class HtmlHelpSession {
public:
  HtmlHelpSession();
  HtmlHelpSession(const HtmlHelpSession&) = delete;
  HtmlHelpSession& operator=(const HtmlHelpSession&) = delete;
  ~HtmlHelpSession();

private:
  DWORD_PTR cookie_ = 0;
};

} // namespace ravelock::ui
