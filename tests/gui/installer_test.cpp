// The whole life of an installation: ravelock-setup.exe /S puts the
// programs, the installed-programs entry, the shortcut and the uninstall
// data file in place; with the main program built, its first start
// registers the shell integration and an encrypted file opens through the
// association; the entry's uninstall command then removes every trace.

#include <windows.h>

#include <shlobj.h>

#include "gui/suite.h"
#include "platform/filesystem.h"
#include "setup/uninstall_data.h"
#include "support/key_record.h"

#include <cstring>
#include <set>

namespace ravelock::gui {
namespace {

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ravelock";
constexpr DWORD kSetupMs = 180000;

// Keys of the main program's installation values and shell registration.
const char* const kProductKeys[][2] = {
    {"HKLM", "Software\\Harrowby\\Quillery"},
    {"HKCR", ".rlk"},
    {"HKCR", "Ravelock"},
    {"HKCR", "CLSID\\{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}"},
    {"HKCR", "*\\Shellex\\ContextMenuHandlers\\VellSupport"},
    {"HKCR", "Folder\\Shellex\\ContextMenuHandlers\\VellSupport"},
    {"HKCR", "Directory\\Shellex\\ContextMenuHandlers\\VellSupport"},
    {"HKCR", "Drive\\Shellex\\ContextMenuHandlers\\VellSupport"},
};

RegistryRoot rootOf(const char* name) {
  return std::strcmp(name, "HKLM") == 0 ? RegistryRoot::LocalMachine
                                        : RegistryRoot::ClassesRoot;
}

std::string readString(RegistryRoot root, const std::string& key, const char* name) {
  std::string value;
  platform::systemRegistry().readString(root, key, name, value);
  return value;
}

fs::path testBin() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path();
}

std::string specialFolder(int id) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, id, nullptr, 0, path);
  return path;
}

class Installer : public ::testing::Test {
protected:
  void SetUp() override {
    folder = specialFolder(CSIDL_PROGRAM_FILES) + "\\Ravelock";
    shortcutFolder = specialFolder(CSIDL_COMMON_PROGRAMS) + "\\Ravelock";
    hasApp = fs::exists(testBin() / "vellapp.exe");
    // A run before this one that failed half-way must not count.
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::remove_all(shortcutFolder, ignored);
    platform::systemRegistry().deleteTree(RegistryRoot::LocalMachine, kUninstallKey);
  }

  std::string in(const char* name) const { return folder + "\\" + name; }

  // Opens an encrypted file as a double click does: the association's
  // command, with the key remembered by the installed key server.
  void openThroughTheAssociation() {
    TempDir data;
    const std::string note = data.file("note.txt");
    const KeyRecord key = test::keyRecord("setup key", "setup key");
    makeEncrypted(note, "installed note", key);
    keyserver::KeyServerClient keys;
    ASSERT_TRUE(connectKeyServer(keys, folder));
    ASSERT_EQ(keys.StoreKey(key), 1);

    std::string command =
        readString(RegistryRoot::ClassesRoot, "Ravelock\\Shell\\open\\command", "");
    const std::size_t at = command.find("%1");
    ASSERT_NE(at, std::string::npos) << command;
    command.replace(at, 2, note + ".rlk");
    // Not in the program folder: a program left open there would hold it.
    Process open(wide(command), data.path().wstring());
    ASSERT_TRUE(open.started()) << command;
    HWND success = waitForWindow(open.id(), L"Operation completed successfuly.");
    ASSERT_NE(success, nullptr);
    click(success, IDOK);
    EXPECT_TRUE(open.waitForExit(kWindowTimeoutMs));
    EXPECT_EQ(readFile(note), "installed note");
    // The result opens in its associated program.
    HWND editor = waitForWindow(kAnyProcess, L"note.txt - Notepad");
    EXPECT_NE(editor, nullptr);
    if (editor)
      PostMessageW(editor, WM_CLOSE, 0, 0);
    keys.ShutdownKeyServer();
  }

  std::string folder, shortcutFolder;
  bool hasApp = false;
};

TEST_F(Installer, SilentInstallThenUninstallLeavesNothing) {
  Process setup(L"\"" + (testBin() / "ravelock-setup.exe").wstring() + L"\" /S",
                testBin().wstring());
  ASSERT_TRUE(setup.started());
  ASSERT_TRUE(setup.waitForExit(kSetupMs));
  ASSERT_EQ(setup.exitCode(), 0u);

  // Every program of the build and its help file, and the data file listing
  // exactly them.
  std::set<std::string> expected = {"velldll.dll",    "vellserver.exe", "vellsetup.exe",
                                    "velluninst.exe", "ravelock.exe",   "Ravelock.uds"};
  for (const char* optional :
       {"vellapp.exe", "vellhandler.dll", "pondlet.exe", "ravelock.chm"})
    if (fs::exists(testBin() / optional))
      expected.insert(optional);
  std::set<std::string> present;
  for (const auto& entry : fs::directory_iterator(folder))
    present.insert(entry.path().filename().string());
  EXPECT_EQ(present, expected);
  EXPECT_TRUE(fs::exists(shortcutFolder + "\\Ravelock.lnk"));

  setup::UninstallData data;
  ASSERT_EQ(setup::readUninstallDataFile(in("Ravelock.uds"), data),
            setup::DataFileResult::Ok);
  EXPECT_EQ(data.ownPath, in("velluninst.exe"));
  std::set<std::string> listed;
  for (const setup::UninstallEntry& entry : data.entries)
    if (entry.type == setup::kEntryFile)
      listed.insert(entry.path);
  for (const std::string& name : expected)
    if (name != "Ravelock.uds") {
      EXPECT_TRUE(listed.count(in(name.c_str()))) << name;
    }
  EXPECT_TRUE(listed.count(shortcutFolder + "\\Ravelock.lnk"));
  EXPECT_EQ(data.flags & setup::kRunProgram1, hasApp ? setup::kRunProgram1 : 0);

  // The installed-programs entry.
  EXPECT_EQ(readString(RegistryRoot::LocalMachine, kUninstallKey, "DisplayVersion"),
            RAVELOCK_VERSION);
  const std::string uninstall =
      readString(RegistryRoot::LocalMachine, kUninstallKey, "UninstallString");
  EXPECT_EQ(uninstall, "\"" + in("velluninst.exe") + "\" \"" + in("Ravelock.uds") + "\"");

  // The first start registered the association; the context menu only
  // when the build has its handler (its short path is registered).
  if (hasApp) {
    const bool hasHandler = fs::exists(testBin() / "vellhandler.dll");
    for (const auto& [root, key] : kProductKeys) {
      const bool contextMenu =
          std::strstr(key, "VellSupport") || std::strstr(key, "CLSID");
      if (hasHandler || !contextMenu) {
        EXPECT_TRUE(keyExists(rootOf(root), key)) << key;
      }
    }
    openThroughTheAssociation();
  }

  // The uninstall command hands over to its copy in the temporary folder,
  // which asks and removes.
  Process first(wide(uninstall), wide(platform::temporaryFolder()));
  ASSERT_TRUE(first.waitForExit(kWindowTimeoutMs));
  EXPECT_EQ(first.exitCode(), 0u);
  HWND question =
      waitForWindow(kAnyProcess, kUninstallCaption, kWindowTimeoutMs, kDialogClass);
  ASSERT_NE(question, nullptr);
  DWORD copyId = 0;
  GetWindowThreadProcessId(question, &copyId);
  EXPECT_NE(copyId, first.id());
  HANDLE copy =
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copyId);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(answerMessageBox(copyId, IDYES, kUninstallCaption), L"");
  HWND done = waitForWindow(copyId, kUninstallCaption, kSetupMs, kDialogClass);
  screenshot(done, "velluninst_installed_removed");
  EXPECT_EQ(answerMessageBox(copyId, IDOK, kUninstallCaption),
            L"Ravelock was removed from your computer.");
  EXPECT_EQ(WaitForSingleObject(copy, kWindowTimeoutMs), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(copy, &code);
  CloseHandle(copy);
  EXPECT_EQ(code, 0u);

  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(shortcutFolder));
  EXPECT_FALSE(keyExists(RegistryRoot::LocalMachine, kUninstallKey));
  for (const auto& [root, key] : kProductKeys)
    EXPECT_FALSE(keyExists(rootOf(root), key)) << key;
}

} // namespace
} // namespace ravelock::gui
