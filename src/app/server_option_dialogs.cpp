#include "app/server_option_dialogs.h"

#include "app/drop_target.h"
#include "app/pages.h"
#include "app/startup_shortcuts.h"
#include "keyserver/client.h"
#include "options/options.h"
#include "platform/text.h"
#include "resource.h"
#include "ui/handles.h"
#include "ui/save_as.h"
#include "ui/text.h"

#include <commdlg.h>

namespace ravelock::app {

namespace {

struct DialogText {
  int control;
  unsigned text;
};

constexpr DialogText kServerTexts[] = {
    {IDC_SERVER_INTRO, IDS_SERVER_INTRO},
    {IDC_LOAD_AT_LOGON, IDS_LOAD_AT_LOGON},
    {IDC_LOAD_AT_LOGON_TEXT, IDS_LOAD_AT_LOGON_TEXT},
    {IDC_DATABASE_PATH_TEXT, IDS_DATABASE_PATH_TEXT},
    {IDC_SERVER_ICON, IDS_SERVER_ICON},
    {IDC_SERVER_ICON_TEXT, IDS_SERVER_ICON_TEXT},
    {IDC_SERVER_ICON_USE, IDS_SERVER_ICON_USE},
    {IDOK, IDS_BUTTON_OK},
    {IDCANCEL, IDS_BUTTON_CANCEL},
};

constexpr DialogText kDropTargetTexts[] = {
    {IDC_POND_INTRO, IDS_POND_INTRO},
    {IDC_POND_START_GROUP, IDS_POND_START_GROUP},
    {IDC_POND_START_NEVER, IDS_POND_START_NEVER},
    {IDC_POND_START_AT_LOGON, IDS_POND_START_AT_LOGON},
    {IDC_POND_START_FIRST_USE, IDS_POND_START_FIRST_USE},
    {IDC_POND_START, IDS_POND_START},
    {IDC_POND_STOP, IDS_POND_STOP},
    {IDC_POND_SIZE_GROUP, IDS_POND_SIZE_GROUP},
    {IDC_POND_SMALL, IDS_POND_SMALL},
    {IDC_POND_MEDIUM, IDS_POND_MEDIUM},
    {IDC_POND_LARGE, IDS_POND_LARGE},
    {IDC_POND_TOPMOST, IDS_POND_TOPMOST},
    {IDOK, IDS_BUTTON_OK},
    {IDCANCEL, IDS_BUTTON_CANCEL},
};

template <std::size_t N> void setTexts(ui::Dialog& dialog, const DialogText (&texts)[N]) {
  for (const DialogText& text : texts)
    SetDlgItemTextW(dialog.hwnd(), text.control,
                    dialog.resources().string(text.text).c_str());
}

// The longest database path the edit takes.
constexpr unsigned kDatabasePathChars = 255;

// The drop target's start modes and sizes, in the order of their radio
// buttons.
enum StartMode : int { kStartNever = 0, kStartAtLogon = 1, kStartOnFirstUse = 2 };
constexpr int kNoStartModeShown = 3;
constexpr int kStartButtons[] = {IDC_POND_START_NEVER, IDC_POND_START_AT_LOGON,
                                 IDC_POND_START_FIRST_USE};
constexpr int kSizeButtons[] = {IDC_POND_SMALL, IDC_POND_MEDIUM, IDC_POND_LARGE};
constexpr int kLargestSize = 2;

// Time for a started drop target to make its window before it is sent its
// size.
constexpr DWORD kDropTargetStartMs = 100;

using handoff::kControlTimeoutMs;
using handoff::UM_DROP_TARGET_EXIT;
using handoff::UM_DROP_TARGET_SIZE;
using handoff::UM_DROP_TARGET_TOPMOST;

// Topmost message parameters: the flag, and whether to store it.
constexpr LPARAM kKeepSetting = 0;
constexpr LPARAM kStoreSetting = 1;

void sendTopmost(bool topmost, LPARAM store) {
  sendToDropTarget(UM_DROP_TARGET_TOPMOST, topmost ? 1 : 0, store, kControlTimeoutMs);
}

void sendSize(unsigned size) {
  sendToDropTarget(UM_DROP_TARGET_SIZE, size, 0, kControlTimeoutMs);
}

} // namespace

KeyServerOptionsDialog::KeyServerOptionsDialog(const ui::Resources& resources)
    : Dialog(resources, IDD_KEY_SERVER_OPTIONS) {}

bool KeyServerOptionsDialog::onInit() {
  const ui::WaitCursor wait;
  setTitle(IDS_SERVER_TITLE);
  setTexts(*this, kServerTexts);
  keyserver::KeyServerClient::process().NotifyKeyServer();
  setChecked(IDC_SERVER_ICON, options::getServerIconShow(true));
  // The box says whether a working logon shortcut exists, whatever the
  // options file says.
  setChecked(IDC_LOAD_AT_LOGON,
             IsStartupShortcutOurs(resources(), kKeyManagerShortcut.name,
                                   kKeyManagerShortcut.target) == 1);
  limitText(IDC_DATABASE_PATH, kDatabasePathChars);
  enablePath();
  if (std::string path; options::getDatabaseDefaultPath(path))
    setText(IDC_DATABASE_PATH, ui::widen(path));
  return true;
}

bool KeyServerOptionsDialog::onCommand(int id, int code) {
  if (code == BN_CLICKED && id == IDC_LOAD_AT_LOGON) {
    enablePath();
    return true;
  }
  if (code == BN_CLICKED && id == IDC_DATABASE_BROWSE) {
    browse();
    return true;
  }
  return Dialog::onCommand(id, code);
}

void KeyServerOptionsDialog::enablePath() {
  const bool on = checked(IDC_LOAD_AT_LOGON);
  enable(IDC_DATABASE_PATH, on);
  enable(IDC_DATABASE_BROWSE, on);
}

void KeyServerOptionsDialog::browse() {
  std::wstring chosen(MAX_PATH, L'\0');
  const std::wstring filter = ui::dialogFilter(resources().string(IDS_FILTER_ENCRYPTED));
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = hwnd();
  open.lpstrFilter = filter.c_str();
  open.lpstrFile = chosen.data();
  open.nMaxFile = static_cast<DWORD>(chosen.size());
  open.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY;
  if (GetOpenFileNameW(&open))
    setText(IDC_DATABASE_PATH, chosen.c_str());
}

void KeyServerOptionsDialog::onOk() {
  const ui::WaitCursor wait;
  if (!checkMaxChars(IDC_DATABASE_PATH, kDatabasePathChars))
    return;
  bool loadAtLogon = checked(IDC_LOAD_AT_LOGON);
  const bool icon = checked(IDC_SERVER_ICON);
  std::string path;
  // A path the ANSI code page cannot spell would name another file.
  const bool spelt = ui::narrow(text(IDC_DATABASE_PATH), path);
  if (loadAtLogon && spelt && path.empty()) {
    if (message(IDS_NO_DATABASE_CHOSEN, MB_YESNO | MB_ICONQUESTION) == IDYES) {
      focus(IDC_DATABASE_PATH);
      return;
    }
    loadAtLogon = false;
    setChecked(IDC_LOAD_AT_LOGON, false);
  }

  if (options::getServerIconShow(!icon) != icon)
    options::setServerIconShow(icon);

  bool pathSaved = true;
  if (loadAtLogon) {
    std::string stored;
    if (!spelt)
      pathSaved = false;
    else if (!options::getDatabaseDefaultPath(stored) ||
             !platform::equalIgnoringCase(stored, path))
      pathSaved = options::setDatabaseDefaultPath(path);
    if (!pathSaved)
      message(IDS_SETTINGS_NOT_SAVED, MB_OK | MB_ICONEXCLAMATION);
  }

  // The shortcut is made again each time the option is on, and removed
  // each time it is off; a path that was not saved leaves it as it was.
  if (!loadAtLogon) {
    if (deleteLogonShortcut(hwnd(), resources(), kKeyManagerShortcut))
      options::setStartUp(false);
  } else if (pathSaved) {
    if (createLogonShortcut(hwnd(), resources(), kKeyManagerShortcut))
      options::setStartUp(true);
  }

  keyserver::KeyServerClient::process().SetServerIcon(icon);
  end(IDOK);
}

DropTargetOptionsDialog::DropTargetOptionsDialog(const ui::Resources& resources,
                                                 std::string programFolder)
    : Dialog(resources, IDD_DROP_TARGET_OPTIONS),
      programFolder_(std::move(programFolder)) {}

bool DropTargetOptionsDialog::onInit() {
  setTitle(IDS_POND_TITLE);
  setTexts(*this, kDropTargetTexts);
  bool topmost = true;
  options::getFishTopmost(topmost);
  int size = 0;
  options::getFishSize(size);
  if (size < 0 || size > kLargestSize)
    size = 0;
  int start = kStartOnFirstUse;
  options::getFishStart(start);
  // A stored 3 shows no start mode; it stays the previous mode.
  if (start < 0 || start > kNoStartModeShown)
    start = kStartOnFirstUse;
  previousStart_ = start;

  setChecked(IDC_POND_TOPMOST, topmost);
  setChecked(kSizeButtons[size], true);
  if (start < kNoStartModeShown)
    setChecked(kStartButtons[start], true);
  // A running drop target stays in view while the dialog is open.
  sendTopmost(true, kKeepSetting);
  return true;
}

unsigned DropTargetOptionsDialog::chosenSize() const {
  for (unsigned size = 0; size < std::size(kSizeButtons); ++size)
    if (checked(kSizeButtons[size]))
      return size;
  return 0;
}

bool DropTargetOptionsDialog::onCommand(int id, int code) {
  if (code != BN_CLICKED)
    return Dialog::onCommand(id, code);
  switch (id) {
  case IDC_POND_SMALL:
  case IDC_POND_MEDIUM:
  case IDC_POND_LARGE: sendSize(chosenSize()); return true;
  case IDC_POND_START: start(); return true;
  case IDC_POND_STOP:
    sendToDropTarget(UM_DROP_TARGET_EXIT, 0, 0, kControlTimeoutMs);
    return true;
  default: return Dialog::onCommand(id, code);
  }
}

void DropTargetOptionsDialog::start() {
  int started = 0;
  {
    const ui::WaitCursor wait;
    started = startDropTarget(programFolder_, "");
  }
  if (started != 1)
    return;
  Sleep(kDropTargetStartMs);
  sendSize(chosenSize());
  sendTopmost(true, kKeepSetting);
  SetForegroundWindow(hwnd());
}

void DropTargetOptionsDialog::onOk() {
  const unsigned size = chosenSize();
  const bool topmost = checked(IDC_POND_TOPMOST);
  int mode = previousStart_;
  for (int button = 0; button < static_cast<int>(std::size(kStartButtons)); ++button)
    if (checked(kStartButtons[button]))
      mode = button;

  bool allSaved = options::setFishSize(size);
  allSaved &= options::setFishTopmost(topmost);
  allSaved &= options::setFishStart(static_cast<unsigned>(mode));

  // The shortcut is made again each time the mode is "Upon logon", and
  // removed only when the mode changed away from it.
  if (mode == kStartAtLogon)
    createLogonShortcut(hwnd(), resources(), kDropTargetShortcut);
  else if (previousStart_ == kStartAtLogon)
    deleteLogonShortcut(hwnd(), resources(), kDropTargetShortcut);

  if (!allSaved)
    message(IDS_POND_OPTIONS_NOT_SAVED, MB_OK | MB_ICONEXCLAMATION);
  sendTopmost(topmost, kStoreSetting);
  sendSize(size);
  end(IDOK);
}

void DropTargetOptionsDialog::onCancel() {
  // Changes nothing at the drop target: the preview of a size stays.
  sendTopmost(false, kKeepSetting);
  end(IDCANCEL);
}

} // namespace ravelock::app
