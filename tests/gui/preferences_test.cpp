// vellapp's Preferences page and its four option dialogs as the user meets
// them: the library versions, the presets written only where changed, the
// shell registration installed and removed (checked with `reg query`), the
// logon shortcuts of the key server and the drop target with their
// machine-wide lists, the running drop target steered at once, and the
// uninstall run removing every user's shortcuts (screenshots in
// build/screens).

#include "app/window_messages.h"
#include "gui/suite.h"
#include "options/startup_lists.h"
#include "options/xml_store.h"
#include "platform/filesystem.h"
#include "shell/handoff/control_messages.h"
#include "support/shell_link_reader.h"
#include "vellapp/resource.h"

#include <shlobj.h>

#include <memory>
#include <string>

namespace ravelock::gui {
namespace {

constexpr const wchar_t* kMainTitle = kProductCaption;
const std::wstring kOptionsNotSaved =
    L"Could not save one or more program options.\nMake sure you have sufficient access "
    L"rights.\nContact your system administrator if neccessary.";
const std::wstring kNoDatabaseChosen =
    L"You have decided to load key database upon startup but no database file was "
    L"selected.\nWould you like to return to the dialog and select it?\n(Choosing No "
    L"will "
    L"disable the option).";
constexpr COLORREF kPresentGreen = RGB(64, 180, 64);
constexpr COLORREF kMissingRed = RGB(255, 64, 64);

enum Command : WPARAM { kPresets = 1, kIntegration = 2, kKeyServer = 3, kDropTarget = 4 };
const wchar_t* const kDialogTitles[] = {L"", L"Encryption & Decryption options",
                                        L"System integration", L"Key manager server",
                                        L"Pondlet"};

std::string startupFolder() {
  char folder[MAX_PATH] = {};
  EXPECT_TRUE(SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE));
  return folder;
}

std::string upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string shortOf(const std::string& path) {
  return platform::getShortPath(path).value_or("(no short path: " + path + ")");
}

// `reg query KEY` found the key.
bool regQuery(const std::wstring& key) {
  Process reg(L"reg.exe query \"" + key + L"\"", L"C:\\");
  EXPECT_TRUE(reg.started());
  EXPECT_TRUE(reg.waitForExit(kWindowTimeoutMs));
  return reg.exitCode() == 0;
}

// Sets a check box or radio button of another process's dialog as a click
// would, and tells the dialog.
void tick(HWND dialog, int id, bool on = true) {
  setItemChecked(dialog, id, on);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class Preferences : public InstalledSuite<Preferences> {
public:
  static constexpr const char* kPrograms[] = {"vellapp.exe", "vellhandler.dll",
                                              "pondlet.exe"};

protected:
  void TearDown() override {
    if (app && app->running()) {
      if (HWND bar = GetDlgItem(window, IDD_LEFT_BAR))
        click(bar, IDC_EXIT);
      app->waitForExit(kWindowTimeoutMs);
    }
    HWND fish = FindWindowA(handoff::kDropTargetClass, handoff::kDropTargetTitle);
    if (fish)
      SendMessageTimeoutW(fish, handoff::UM_DROP_TARGET_EXIT, 0, 0, SMTO_ABORTIFHUNG,
                          handoff::kControlTimeoutMs, nullptr);
    EXPECT_TRUE(waitForProgramToEnd(L"pondlet.exe"));
    std::error_code ignored;
    for (const char* name : {"VellFishdatabaseServer.lnk", "Pondlet.lnk"})
      fs::remove(fs::path(startupFolder()) / name, ignored);
  }

  // vellapp of `folder` on its Preferences page.
  void openPage(const fs::path& folder = install->path()) {
    app = std::make_unique<Process>(L"\"" + (folder / "vellapp.exe").wstring() + L"\" /o",
                                    folder.wstring());
    ASSERT_TRUE(app->started());
    window = waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass);
    ASSERT_NE(window, nullptr);
    page = GetDlgItem(window, IDD_PREFERENCES_PAGE);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitUntil("the Preferences page", [&] { return IsWindowVisible(page); }));
  }

  // Opens option dialog `command` as its icon button does.
  HWND openDialog(Command command) {
    PostMessageW(page, app::UM_ICON_BUTTON_CLICKED, command, 0);
    HWND dialog = waitForWindow(app->id(), kDialogTitles[command]);
    EXPECT_NE(dialog, nullptr) << kDialogTitles[command];
    return dialog;
  }

  void closeWith(HWND dialog, int button) {
    click(dialog, button);
    EXPECT_TRUE(waitUntilGone(dialog));
  }

  // An option of the user's section, or "" when it is not stored.
  std::string stored(std::string_view key) {
    std::string text;
    options::XmlGetText(optionsFile().c_str(), text,
                        {options::kRootElement, options::OptionsSectionName(), key});
    return text;
  }
  std::string listed(std::string_view key) {
    std::string text;
    options::XmlGetText(optionsFile().c_str(), text,
                        {options::kRootElement, "StartUp_users", key});
    return text;
  }

  static std::string shortcut(const char* name) {
    return (fs::path(startupFolder()) / name).string();
  }

  std::unique_ptr<Process> app;
  HWND window = nullptr;
  HWND page = nullptr;
};

// Both versions in their labels; without the context-menu extension its
// line says "Unknown" and keeps "*".
TEST_F(Preferences, ThePageShowsTheLibraryVersions) {
  openPage();
  EXPECT_EQ(itemText(page, IDC_HANDLER_VERSION_LABEL), L"Context menu engine version:");
  EXPECT_EQ(itemText(page, IDC_HANDLER_VERSION), L"1.1.004");
  EXPECT_EQ(itemText(page, IDC_ENGINE_VERSION_LABEL), L"Encrypt engine version:");
  EXPECT_EQ(itemText(page, IDC_ENGINE_VERSION), L"1.1.004");
  screenshot(window, "PreferencesPage");
  // The Down key on the fourth button goes round to the first.
  HWND fourth = GetDlgItem(page, IDC_PLACE_POND);
  SetForegroundWindow(window);
  PostMessageW(fourth, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(waitUntil("the focus on the fourth button",
                        [&] { return focusedWindow(window) == fourth; }));
  pressKey(fourth, VK_DOWN);
  EXPECT_TRUE(waitUntil("the focus on the first button", [&] {
    return focusedWindow(window) == GetDlgItem(page, IDC_PLACE_PRESETS);
  }));
  click(GetDlgItem(window, IDD_LEFT_BAR), IDC_EXIT);
  ASSERT_TRUE(app->waitForExit(kWindowTimeoutMs));

  TempDir bare;
  installPrograms(bare.path(), {"vellapp.exe", "velldll.dll", "vellserver.exe"});
  openPage(bare.path());
  EXPECT_EQ(itemText(page, IDC_HANDLER_VERSION_LABEL), L"Unknown");
  EXPECT_EQ(itemText(page, IDC_HANDLER_VERSION), L"*");
  EXPECT_EQ(itemText(page, IDC_ENGINE_VERSION_LABEL), L"Encrypt engine version:");
  EXPECT_EQ(itemText(page, IDC_ENGINE_VERSION), L"1.1.004");
  screenshot(window, "PreferencesPageUnknown");
  click(GetDlgItem(window, IDD_LEFT_BAR), IDC_EXIT);
  ASSERT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

constexpr int kPresetBoxes[] = {IDC_CRY_REMEMBER_KEYS,   IDC_CRY_KEEP_FILE,
                                IDC_CRY_SUBFOLDERS,      IDC_CRY_SUCCESS_MESSAGE,
                                IDC_DECRY_REMEMBER_KEYS, IDC_DECRY_KEEP_FILE,
                                IDC_DECRY_SUBFOLDERS,    IDC_DECRY_SUCCESS_MESSAGE};
constexpr const char* kPresetKeys[] = {
    "CryRememberKeys",   "CryKeepFile",   "CryBrowseSubfolders",   "CryErrorsDialog",
    "DecryRememberKeys", "DecryKeepFile", "DecryBrowseSubfolders", "DecryErrorsDialog"};

// All eight ticked without an options file; OK without changes leaves the
// file byte for byte; unticking only the decryption "Keep original file"
// writes only DecryKeepFile; the help pop-up of a box shows its text.
TEST_F(Preferences, ThePresetsAreWrittenOnlyWhereChanged) {
  openPage();
  HWND dialog = openDialog(kPresets);
  ASSERT_NE(dialog, nullptr);
  for (int box : kPresetBoxes)
    EXPECT_TRUE(itemChecked(dialog, box)) << box;
  EXPECT_EQ(itemText(dialog, IDC_DECRY_KEEP_FILE), L"Keep original file");
  screenshot(dialog, "EncryptionOptions");

  HELPINFO info{sizeof info,
                HELPINFO_WINDOW,
                IDC_CRY_SUBFOLDERS,
                GetDlgItem(dialog, IDC_CRY_SUBFOLDERS),
                0,
                {0, 0}};
  // Sent: the system carries the record it points to into the other process.
  SendMessageTimeoutW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  HWND popUp = waitForWindow(app->id(),
                             L"Including subfolders.\nRavelock will crypt also all "
                             L"subfolders of the selected folder.",
                             5000);
  ASSERT_NE(popUp, nullptr);
  screenshot(popUp, "EncryptionOptionsHelp");
  pressKey(GetDlgItem(dialog, IDC_CRY_SUBFOLDERS), VK_SHIFT);
  EXPECT_TRUE(waitUntilGone(popUp, 5000));
  closeWith(dialog, IDOK);

  const std::string before = readFile(optionsFile());
  dialog = openDialog(kPresets);
  closeWith(dialog, IDOK);
  EXPECT_EQ(readFile(optionsFile()), before);

  dialog = openDialog(kPresets);
  tick(dialog, IDC_DECRY_KEEP_FILE, false);
  closeWith(dialog, IDOK);
  for (std::size_t i = 0; i < std::size(kPresetKeys); ++i)
    EXPECT_EQ(stored(kPresetKeys[i]), i == 5 ? "0" : "") << kPresetKeys[i];
}

// An options file another program holds open without sharing fails both
// changed writes, said once; the file is left as it was.
TEST_F(Preferences, AFileThatCannotBeWrittenIsReportedOnce) {
  writeFile(optionsFile(), "<users_settings></users_settings>");
  const std::string before = readFile(optionsFile());
  openPage();
  HWND dialog = openDialog(kPresets);
  ASSERT_NE(dialog, nullptr);
  HANDLE lock = CreateFileA(optionsFile().c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  tick(dialog, IDC_CRY_KEEP_FILE, false);
  tick(dialog, IDC_DECRY_SUBFOLDERS, false);
  click(dialog, IDOK);
  HWND box = waitForMessageBoxOf(dialog);
  ASSERT_NE(box, nullptr);
  screenshot(box, "OptionsNotSavedMessage");
  EXPECT_EQ(answerMessageBoxOf(dialog, IDOK), kOptionsNotSaved);
  EXPECT_TRUE(waitUntilGone(dialog));
  EXPECT_EQ(waitForMessageBoxOf(dialog, 1000), nullptr);
  CloseHandle(lock);
  EXPECT_EQ(readFile(optionsFile()), before);
}

const std::wstring kAssociationKeys[] = {L"HKCR\\.rlk", L"HKCR\\Ravelock"};
const std::wstring kMenuKey = L"HKCR\\*\\Shellex\\ContextMenuHandlers\\VellSupport";

// Each of the four buttons changes the registry and the status shown, in
// green when present and red when not; a second install reports success
// and changes nothing. The registration is left removed.
TEST_F(Preferences, TheIntegrationButtonsChangeTheRegistryAndTheStatus) {
  openPage();
  HWND dialog = openDialog(kIntegration);
  ASSERT_NE(dialog, nullptr);
  HWND association = GetDlgItem(dialog, IDC_ASSOCIATION_STATUS);
  HWND menu = GetDlgItem(dialog, IDC_MENU_STATUS);
  const auto expectStatus = [&](bool associated, bool enabled) {
    EXPECT_TRUE(waitUntil("the statuses", [&] {
      return windowText(association) ==
                 (associated ? L"Associated" : L"Not associated") &&
             windowText(menu) == (enabled ? L"Enabled" : L"Disabled");
    }));
    waitUntil("the statuses painted", [&] {
      return showsColour(association, associated ? kPresentGreen : kMissingRed) &&
             showsColour(menu, enabled ? kPresentGreen : kMissingRed);
    });
    EXPECT_TRUE(showsColour(association, associated ? kPresentGreen : kMissingRed));
    EXPECT_TRUE(showsColour(menu, enabled ? kPresentGreen : kMissingRed));
    for (const std::wstring& key : kAssociationKeys)
      EXPECT_EQ(regQuery(key), associated) << key;
    EXPECT_EQ(regQuery(kMenuKey), enabled);
  };

  click(dialog, IDC_UNLINK);
  click(dialog, IDC_REMOVE_MENU);
  expectStatus(false, false);
  screenshot(dialog, "IntegrationRemoved");
  click(dialog, IDC_ASSOCIATE);
  expectStatus(true, false);
  screenshot(dialog, "IntegrationAssociated");
  click(dialog, IDC_ADD_MENU);
  expectStatus(true, true);
  screenshot(dialog, "IntegrationInstalled");

  const std::string server =
      "CLSID\\{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}\\InProcServer32";
  std::string first, again;
  platform::systemRegistry().readString(RegistryRoot::ClassesRoot, server, "", first,
                                        MAX_PATH);
  platform::systemRegistry().writeString(RegistryRoot::ClassesRoot, server, "",
                                         "C:\\ELSEWHERE.DLL");
  click(dialog, IDC_ADD_MENU);
  EXPECT_EQ(waitForMessageBoxOf(dialog, 1500), nullptr);
  expectStatus(true, true);
  platform::systemRegistry().readString(RegistryRoot::ClassesRoot, server, "", again,
                                        MAX_PATH);
  EXPECT_EQ(again, "C:\\ELSEWHERE.DLL");
  EXPECT_EQ(upper(first), upper(shortOf((install->path() / "vellhandler.dll").string())));

  click(dialog, IDC_REMOVE_MENU);
  click(dialog, IDC_UNLINK);
  expectStatus(false, false);
  closeWith(dialog, IDCANCEL);
}

// On with a path: the shortcut to the program folder's key server, its
// short path listed and StartUp 1; a shortcut deleted by hand shows the box
// cleared, and turning the option off then gives no error and removes the
// list entry; an empty path with No saves the option off.
TEST_F(Preferences, LoadingAtLogonMakesAndRemovesTheShortcut) {
  openPage();
  HWND dialog = openDialog(kKeyServer);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(itemChecked(dialog, IDC_LOAD_AT_LOGON));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_DATABASE_PATH)));
  tick(dialog, IDC_LOAD_AT_LOGON);
  ASSERT_TRUE(waitUntil("the path enabled", [&] {
    return IsWindowEnabled(GetDlgItem(dialog, IDC_DATABASE_PATH)) &&
           IsWindowEnabled(GetDlgItem(dialog, IDC_DATABASE_BROWSE));
  }));
  const std::string database = data.file("keys.rlk");
  setItemText(dialog, IDC_DATABASE_PATH, wide(database));
  screenshot(dialog, "KeyServerOptions");
  closeWith(dialog, IDOK);

  const std::string link = shortcut("VellFishdatabaseServer.lnk");
  ASSERT_TRUE(fs::exists(link));
  std::string target, arguments;
  ASSERT_TRUE(test::readShellLink(link, target, arguments));
  EXPECT_EQ(upper(shortOf(target)),
            upper(shortOf((install->path() / "vellserver.exe").string())));
  EXPECT_EQ(arguments, "");
  EXPECT_EQ(listed("StartUpUsers"), upper(shortOf(link)));
  EXPECT_EQ(listed("StartUpUsersCount"), "1");
  EXPECT_EQ(stored("StartUp"), "1");
  EXPECT_EQ(stored("VelldatabaseDefaultPath"), database);

  dialog = openDialog(kKeyServer);
  EXPECT_TRUE(itemChecked(dialog, IDC_LOAD_AT_LOGON));
  EXPECT_EQ(itemText(dialog, IDC_DATABASE_PATH), wide(database));
  closeWith(dialog, IDCANCEL);

  fs::remove(link);
  dialog = openDialog(kKeyServer);
  EXPECT_FALSE(itemChecked(dialog, IDC_LOAD_AT_LOGON));
  closeWith(dialog, IDOK);
  EXPECT_EQ(waitForMessageBoxOf(dialog, 1000), nullptr);
  EXPECT_EQ(listed("StartUpUsers"), "");
  EXPECT_EQ(listed("StartUpUsersCount"), "0");
  EXPECT_EQ(stored("StartUp"), "0");

  // On with an empty path: Yes goes back to the dialog, No saves it off.
  dialog = openDialog(kKeyServer);
  tick(dialog, IDC_LOAD_AT_LOGON);
  setItemText(dialog, IDC_DATABASE_PATH, L"");
  click(dialog, IDOK);
  HWND question = waitForMessageBoxOf(dialog);
  ASSERT_NE(question, nullptr);
  screenshot(question, "NoDatabaseChosenQuestion");
  EXPECT_EQ(answerMessageBoxOf(dialog, IDYES), kNoDatabaseChosen);
  EXPECT_TRUE(IsWindowVisible(dialog));
  click(dialog, IDOK);
  EXPECT_EQ(answerMessageBoxOf(dialog, IDNO), kNoDatabaseChosen);
  EXPECT_TRUE(waitUntilGone(dialog));
  EXPECT_FALSE(fs::exists(link));
  EXPECT_EQ(stored("StartUp"), "0");
}

// Wine's desktop shows its notification area only while an icon is in it;
// in this prefix only the key server's can be.
bool trayIconShown() {
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  return tray && IsWindowVisible(tray);
}

// Unticking the icon hides the running key server's icon at once; OK again
// without changes writes nothing.
TEST_F(Preferences, TheIconOptionReachesTheRunningKeyServer) {
  keys->SetServerIcon(true);
  ASSERT_TRUE(waitUntil("the key server's icon", trayIconShown));
  openPage();
  HWND dialog = openDialog(kKeyServer);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(itemChecked(dialog, IDC_SERVER_ICON));
  tick(dialog, IDC_SERVER_ICON, false);
  closeWith(dialog, IDOK);
  EXPECT_TRUE(waitUntil("the icon gone", [] { return !trayIconShown(); }));
  EXPECT_EQ(stored("ServerIconShow"), "0");

  const std::string before = readFile(optionsFile());
  dialog = openDialog(kKeyServer);
  EXPECT_FALSE(itemChecked(dialog, IDC_SERVER_ICON));
  closeWith(dialog, IDOK);
  EXPECT_EQ(readFile(optionsFile()), before);
  EXPECT_FALSE(trayIconShown());
}

HWND dropTargetWindow() {
  return FindWindowA(handoff::kDropTargetClass, handoff::kDropTargetTitle);
}

// The fish itself: the visible window of the drop target's process.
HWND fishOf(HWND hidden) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hidden, &pid);
  return findWindow(pid, L"Pondlet", kDialogClass);
}

// The width of the fish's shape.
LONG widthOf(HWND fish) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  RECT box{};
  if (GetWindowRgn(fish, region) != ERROR)
    GetRgnBox(region, &box);
  DeleteObject(region);
  return box.right - box.left;
}

// Start starts the drop target, "Large" resizes it before OK, it stays on
// top while the dialog is open, Stop ends it.
TEST_F(Preferences, ThePondletPageSteersTheRunningDropTarget) {
  openPage();
  HWND dialog = openDialog(kDropTarget);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(itemChecked(dialog, IDC_POND_SMALL));
  EXPECT_TRUE(itemChecked(dialog, IDC_POND_START_FIRST_USE));
  EXPECT_TRUE(itemChecked(dialog, IDC_POND_TOPMOST));
  click(dialog, IDC_POND_START);
  HWND fish = nullptr;
  ASSERT_TRUE(waitUntil("the drop target", [&] {
    HWND hidden = dropTargetWindow();
    return hidden && (fish = fishOf(hidden)) != nullptr;
  }));
  EXPECT_TRUE(waitUntil("the fish on top", [&] {
    return (GetWindowLongW(fish, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  }));
  const LONG small = widthOf(fish);
  tick(dialog, IDC_POND_SMALL, false);
  tick(dialog, IDC_POND_LARGE);
  EXPECT_TRUE(waitUntil("the fish resized", [&] { return widthOf(fish) > small; }));
  screenshot(dialog, "PondletOptions");
  EXPECT_FALSE(fs::exists(optionsFile()) && stored("fish_size") == "2");
  click(dialog, IDC_POND_STOP);
  EXPECT_TRUE(waitUntil("the drop target gone", [] { return !dropTargetWindow(); }));
  EXPECT_TRUE(waitForProgramToEnd(L"pondlet.exe"));
  closeWith(dialog, IDOK);
  EXPECT_EQ(stored("fish_size"), "2");
  EXPECT_EQ(stored("fish_start"), "2");
  EXPECT_EQ(stored("fish_topmost"), "1");
}

// "Upon logon" makes the shortcut (listed); "Never" after it deletes it;
// "Never" to "When Ravelock is first used" touches no shortcut; a stored 3
// shows no start mode.
TEST_F(Preferences, ThePondletShortcutFollowsTheStartMode) {
  openPage();
  const std::string link = shortcut("Pondlet.lnk");
  HWND dialog = openDialog(kDropTarget);
  ASSERT_NE(dialog, nullptr);
  tick(dialog, IDC_POND_START_FIRST_USE, false);
  tick(dialog, IDC_POND_START_AT_LOGON);
  closeWith(dialog, IDOK);
  ASSERT_TRUE(fs::exists(link));
  std::string target, arguments;
  ASSERT_TRUE(test::readShellLink(link, target, arguments));
  EXPECT_EQ(upper(shortOf(target)),
            upper(shortOf((install->path() / "pondlet.exe").string())));
  EXPECT_EQ(listed("StartUpUsersPondlet"), upper(shortOf(link)));
  EXPECT_EQ(stored("fish_start"), "1");

  dialog = openDialog(kDropTarget);
  EXPECT_TRUE(itemChecked(dialog, IDC_POND_START_AT_LOGON));
  tick(dialog, IDC_POND_START_AT_LOGON, false);
  tick(dialog, IDC_POND_START_NEVER);
  closeWith(dialog, IDOK);
  EXPECT_FALSE(fs::exists(link));
  EXPECT_EQ(listed("StartUpUsersPondlet"), "");

  writeFile(link, "a shortcut of the user's own");
  dialog = openDialog(kDropTarget);
  tick(dialog, IDC_POND_START_NEVER, false);
  tick(dialog, IDC_POND_START_FIRST_USE);
  closeWith(dialog, IDOK);
  EXPECT_EQ(readFile(link), "a shortcut of the user's own");
  EXPECT_EQ(stored("fish_start"), "2");

  ASSERT_TRUE(options::setFishStart(3, optionsAt()));
  dialog = openDialog(kDropTarget);
  for (int mode :
       {IDC_POND_START_NEVER, IDC_POND_START_AT_LOGON, IDC_POND_START_FIRST_USE})
    EXPECT_FALSE(itemChecked(dialog, mode)) << mode;
  screenshot(dialog, "PondletOptionsNoStartMode");
  closeWith(dialog, IDCANCEL);
}

// Something in the Startup folder that is no shortcut and cannot be
// replaced or deleted (a folder of that name): "Upon logon" says 451 and
// lists nothing, "Never" after it says 452.
TEST_F(Preferences, APondletShortcutThatCannotBeMadeOrRemovedIsReported) {
  const std::string link = shortcut("Pondlet.lnk");
  fs::create_directory(link);
  openPage();
  HWND dialog = openDialog(kDropTarget);
  ASSERT_NE(dialog, nullptr);
  tick(dialog, IDC_POND_START_FIRST_USE, false);
  tick(dialog, IDC_POND_START_AT_LOGON);
  click(dialog, IDOK);
  EXPECT_EQ(answerMessageBoxOf(dialog, IDOK),
            L"Could not create shortcut for Pondlet in your Startup folder in the Start "
            L"menu.\nThe application will not be automatically started every time you "
            L"logon.");
  EXPECT_TRUE(waitUntilGone(dialog));
  EXPECT_EQ(listed("StartUpUsersPondlet"), "");

  dialog = openDialog(kDropTarget);
  tick(dialog, IDC_POND_START_AT_LOGON, false);
  tick(dialog, IDC_POND_START_NEVER);
  click(dialog, IDOK);
  EXPECT_EQ(answerMessageBoxOf(dialog, IDOK),
            L"Could not remove the shortcut for Pondlet from your Startup folder in the "
            L"Start menu.\nPlease remove it manually.");
  EXPECT_TRUE(waitUntilGone(dialog));
  fs::remove(link);
}

// The uninstall run deletes the recorded shortcuts of every user. It also
// ends the key server, which is started again for the tests after it.
TEST_F(Preferences, UninstallDeletesEveryUsersShortcuts) {
  TempDir al, bob;
  const std::string first = al.file("VellFishdatabaseServer.lnk");
  const std::string second = bob.file("Pondlet.lnk");
  writeFile(first, "al's shortcut");
  writeFile(second, "bob's shortcut");
  ASSERT_EQ(options::updateStartupList(options::StartupList::KeyManager, shortOf(first),
                                       true, optionsFile()),
            1);
  ASSERT_EQ(options::updateStartupList(options::StartupList::DropTarget, shortOf(second),
                                       true, optionsFile()),
            1);
  Process uninstall(L"\"" + (install->path() / "vellapp.exe").wstring() + L"\" /lsapp",
                    install->path().wstring());
  ASSERT_TRUE(uninstall.started());
  EXPECT_TRUE(uninstall.waitForExit(30000));
  EXPECT_FALSE(fs::exists(first));
  EXPECT_FALSE(fs::exists(second));
  keys->DisconnectKeyServer();
  EXPECT_TRUE(waitForProgramToEnd(L"vellserver.exe"));
  connectKeys();
}

} // namespace
} // namespace ravelock::gui
