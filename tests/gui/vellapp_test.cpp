// vellapp as the user and the other programs start it: the page it opens
// on and keeps, lists handed over by a sender (also hostile ones), the
// folder shortcut double-clicked, the one-shot switches without their
// argument, and the message boxes of start-up (screenshots in
// build/screens).

#include <windows.h>

#include "gui/driver.h"
#include "keyserver/client.h"
#include "options/options.h"
#include "support/temp_dir.h"
#include "ui/text.h"
#include "velldll/resource.h"
// The two programs number some strings of the same name differently; only
// vellapp's control ids are used here.
#undef IDS_CLOSE
#undef IDS_INTERNAL_ERROR
#include "vellapp/resource.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace ravelock;
using namespace ravelock::gui;
using test::readFile;
using test::TempDir;
using test::writeFile;

const std::wstring kMainTitle = L"Ravelock";
const std::wstring kDialogClass = L"#32770";
const std::wstring kEncryptKeyTitle = L"Encrypt - enter key";
const std::wstring kKeyNameTitle = L"Encrypt - enter key name";
const std::wstring kSuccessTitle = L"Operation completed successfuly.";
const std::wstring kNoEngine =
    L"Could not load encryption library.\nvelldll.dll\nThe program will now "
    L"terminate.\n\nPlease make sure Ravelock is correctly installed. Reinstall the "
    L"program if necessary.";
constexpr char kKey[] = "hand-off key";

std::wstring wide(const std::string& text) {
  return ui::widen(text);
}

void screenshot(HWND window, const char* name) {
  ASSERT_NE(window, nullptr) << name;
  fs::create_directories(RAVELOCK_SCREENS_DIR);
  const std::string path = std::string(RAVELOCK_SCREENS_DIR) + "/" + name + ".png";
  EXPECT_TRUE(saveScreenshot(window, wide(path))) << name;
}

struct SenderResult {
  int answer = -1;
  unsigned long long ms = 0;
  unsigned long exitCode = 0;
};

class Vellapp : public testing::Test {
protected:
  static void SetUpTestSuite() {
    install = new TempDir;
    installPrograms(install->path(), {"vellapp.exe", "velldll.dll", "vellserver.exe",
                                      "handoff_sender.exe"});
    keys = new keyserver::KeyServerClient;
    keys->connectFromFolder(install->path().string(), true, nullptr);
  }
  static void TearDownTestSuite() {
    keys->ShutdownKeyServer();
    delete keys;
    delete install;
  }
  void SetUp() override {
    std::error_code ignored;
    fs::remove(optionsFile(), ignored);
    keys->DeleteAllKeys();
  }

  static std::string optionsFile() {
    return (install->path() / "Ravelock_options.xml").string();
  }
  static options::OptionsLocation optionsAt() {
    return {optionsFile(), options::OptionsSectionName()};
  }

  // vellapp of the installation with a command line after its name.
  static std::unique_ptr<Process> vellapp(const std::wstring& arguments,
                                          const fs::path& folder = install->path()) {
    auto process = std::make_unique<Process>(L"\"" + (folder / "vellapp.exe").wstring() +
                                                 L"\" " + arguments,
                                             folder.wstring());
    EXPECT_TRUE(process->started());
    return process;
  }

  // The sender hands `items` over and answers in RESULT.
  std::unique_ptr<Process> send(const char* mode, const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items)
      list += item + "\r\n";
    writeFile(data.file("list.txt"), list);
    fs::remove(data.file("result.txt"));
    const std::string command = "\"" + (install->path() / "handoff_sender.exe").string() +
                                "\" " + mode + " \"" + data.file("list.txt") + "\" \"" +
                                data.file("result.txt") + "\"";
    auto process = std::make_unique<Process>(wide(command), install->path().wstring());
    EXPECT_TRUE(process->started());
    return process;
  }
  SenderResult senderResult(Process& sender) {
    SenderResult result;
    EXPECT_TRUE(sender.waitForExit(30000));
    std::ifstream(data.file("result.txt")) >> result.answer >> result.ms >>
        result.exitCode;
    return result;
  }

  // Answers the encrypt key dialog with a new key, not keeping originals.
  static void answerEncryptKey() {
    HWND dialog = waitForWindow(kAnyProcess, kEncryptKeyTitle);
    ASSERT_NE(dialog, nullptr);
    setItemText(dialog, IDC_KEY, wide(kKey));
    setItemText(dialog, IDC_KEY_CONFIRM, wide(kKey));
    setItemChecked(dialog, IDC_KEY_KEEP, false);
    click(dialog, IDOK);
    HWND name = waitForWindow(kAnyProcess, kKeyNameTitle);
    ASSERT_NE(name, nullptr);
    setItemText(name, IDC_NAME_EDIT, L"hand-off");
    click(name, IDOK);
  }
  static void confirmSuccess(DWORD pid = kAnyProcess) {
    HWND success = waitForWindow(pid, kSuccessTitle);
    ASSERT_NE(success, nullptr);
    click(success, IDOK);
    waitUntilGone(success);
  }

  // Three files and a folder with two files.
  std::vector<std::string> makeItems() {
    fs::create_directories(data.path() / "folder");
    std::vector<std::string> items;
    for (const char* name : {"one.txt", "two.doc", "three four.txt"}) {
      writeFile(data.file(name), std::string("content of ") + name);
      items.push_back(data.file(name));
    }
    writeFile(data.file("folder\\inner.txt"), "inner");
    writeFile(data.file("folder\\second.bin"), std::string(5000, 'b'));
    items.push_back(data.file("folder"));
    return items;
  }

  static TempDir* install;
  static keyserver::KeyServerClient* keys;
  TempDir data;
};
TempDir* Vellapp::install = nullptr;
keyserver::KeyServerClient* Vellapp::keys = nullptr;

// The main window's children carry their templates' numbers as ids.
constexpr int kPageTemplates[] = {IDD_ENCRYPT_DECRYPT_PAGE, IDD_KEY_MANAGER_PAGE,
                                  IDD_PREFERENCES_PAGE, IDD_ABOUT_PAGE};

unsigned shownPage(HWND window) {
  unsigned shown = 99;
  for (unsigned page = 0; page < 4; ++page)
    if (itemVisible(window, kPageTemplates[page]))
      shown = shown == 99 ? page : 98; // two pages at once
  return shown;
}

HWND leftBar(HWND window) {
  return GetDlgItem(window, IDD_LEFT_BAR);
}

// The page switch, else the stored page (a value past 3 gives About); the
// page showing at the end is stored.
TEST_F(Vellapp, StartPageAndThePageKeptOnClose) {
  struct Case {
    const wchar_t* arguments;
    const char* stored; // APPpage as written in the file, or none
    unsigned page;
  };
  const Case cases[] = {
      {L"/A", "1", 3}, {L"\" /d \"", nullptr, 1}, {L"/x", "2", 2}, {L"", "0", 0},
      {L"", "7", 3},   {L"", nullptr, 3},
  };
  bool first = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "arguments [" << fs::path(c.arguments).string()
                                    << "] stored " << (c.stored ? c.stored : "none"));
    std::error_code ignored;
    fs::remove(optionsFile(), ignored);
    if (c.stored)
      writeFile(optionsFile(), "<users_settings><" + options::OptionsSectionName() +
                                   "><APPpage>" + c.stored + "</APPpage></" +
                                   options::OptionsSectionName() + "></users_settings>");
    auto app = vellapp(c.arguments);
    HWND window = waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(shownPage(window), c.page);
    if (first)
      screenshot(window, "MainWindow");
    first = false;
    const unsigned next = (c.page + 1) % 4;
    click(leftBar(window), IDC_PAGE_FIRST + next);
    Sleep(100);
    EXPECT_EQ(shownPage(window), next);
    click(leftBar(window), IDC_EXIT);
    EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
    EXPECT_EQ(options::getAppPage(99, optionsAt()), next);
  }
}

// Three files and a folder handed over for encryption, then for
// decryption; the sender is let go as soon as vellapp has its copy.
TEST_F(Vellapp, HandedOverListsAreEncryptedAndDecrypted) {
  const std::vector<std::string> items = makeItems();
  auto sender = send("encrypt", items);
  answerEncryptKey();
  // The key dialog came after the copy: the sender is done already.
  const SenderResult sent = senderResult(*sender);
  EXPECT_EQ(sent.answer, 1);
  EXPECT_LT(sent.ms, 10000u);
  confirmSuccess();
  std::vector<std::string> encrypted;
  for (const char* name : {"one.txt", "two.doc", "three four.txt", "folder\\inner.txt",
                           "folder\\second.bin"}) {
    EXPECT_FALSE(fs::exists(data.file(name))) << name;
    EXPECT_TRUE(fs::exists(data.file(name) + ".rlk")) << name;
  }
  for (std::size_t i = 0; i < 3; ++i)
    encrypted.push_back(items[i] + ".rlk");
  encrypted.push_back(items[3]);

  sender = send("decrypt", encrypted);
  confirmSuccess(); // the key was remembered: no question
  EXPECT_EQ(senderResult(*sender).answer, 1);
  EXPECT_EQ(readFile(data.file("three four.txt")), "content of three four.txt");
  EXPECT_EQ(readFile(data.file("folder\\inner.txt")), "inner");
  EXPECT_EQ(readFile(data.file("folder\\second.bin")), std::string(5000, 'b'));
}

// The shortcut the engine leaves in an encrypted folder, opened as a double
// click opens it: vellapp /df decrypts the folder.
TEST_F(Vellapp, TheFolderShortcutDecryptsItsFolder) {
  const std::vector<std::string> items = makeItems();
  auto sender = send("encrypt", {items[3]});
  answerEncryptKey();
  confirmSuccess();
  senderResult(*sender);
  const fs::path link = data.path() / "folder" / "Decrypt this folder.lnk";
  ASSERT_TRUE(fs::exists(link));
  ASSERT_TRUE(fs::exists(data.file("folder\\inner.txt.rlk")));

  // The shell resolves the link and starts its target on its own, so the
  // process is not ours to wait for: its success dialog is.
  ASSERT_GT(
      reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", link.wstring().c_str(),
                                              nullptr, nullptr, SW_SHOWNORMAL)),
      32);
  confirmSuccess();
  for (int i = 0; i < 100 && !fs::exists(data.file("folder\\second.bin")); ++i)
    Sleep(100);
  EXPECT_EQ(readFile(data.file("folder\\inner.txt")), "inner");
  EXPECT_EQ(readFile(data.file("folder\\second.bin")), std::string(5000, 'b'));
}

// Sections whose header lies: vellapp signals, runs nothing and ends
// cleanly.
TEST_F(Vellapp, HostileSectionsRunNothing) {
  const std::vector<std::string> items = makeItems();
  for (const char* kind : {"length", "count", "nozero"}) {
    SCOPED_TRACE(kind);
    auto sender = send(kind, items);
    const SenderResult result = senderResult(*sender);
    EXPECT_EQ(result.answer, 1);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(findWindow(kAnyProcess, kEncryptKeyTitle), nullptr);
    EXPECT_FALSE(fs::exists(data.file("one.txt.rlk")));
    EXPECT_EQ(readFile(data.file("one.txt")), "content of one.txt");
  }
}

// The one-shot switches end at once without the argument they need, or
// with one they cannot use.
TEST_F(Vellapp, OneShotSwitchesWithoutTheirArgumentEnd) {
  writeFile(data.file("plain.txt"), "plain");
  const std::wstring cases[] = {L"/encryption",
                                L"/DECRYPTION",
                                L"/ld",
                                L"/df",
                                L"/df \"" + wide(data.file("plain.txt")) + L"\"",
                                L"/df \"\"",
                                L"/encryption 77777"};
  for (const std::wstring& arguments : cases) {
    SCOPED_TRACE(fs::path(arguments).string());
    auto app = vellapp(arguments);
    EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
    EXPECT_EQ(app->exitCode(), 0u);
  }
  EXPECT_EQ(readFile(data.file("plain.txt")), "plain");
}

TEST_F(Vellapp, AMissingKeyDatabaseIsAskedForAgain) {
  const std::string missing = data.file("keys.rlk");
  auto app = vellapp(L"/ld \"" + wide(missing) + L"\"");
  const std::wstring question = L"Key database was not found:\n( " + wide(missing) +
                                L" )\nWould you like to try again?\n\nIf the file is "
                                L"located on a diskette or CD, please insert it to the "
                                L"drive and click Yes.";
  screenshot(waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass),
             "KeyDatabaseNotFoundMessage");
  EXPECT_EQ(answerMessageBox(app->id(), IDYES), question);
  EXPECT_EQ(answerMessageBox(app->id(), IDNO), question);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

TEST_F(Vellapp, AnEngineLackingAnExportIsRefused) {
  TempDir other;
  installPrograms(other.path(), {"vellapp.exe", "vellserver.exe"});
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  fs::copy_file(fs::path(self).parent_path() / "fake_engine_no_DecryptBuffer.dll",
                other.path() / "velldll.dll");
  auto app = vellapp(L"/A", other.path());
  screenshot(waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass),
             "NoEngineMessage");
  EXPECT_EQ(answerMessageBox(app->id(), IDOK), kNoEngine);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

// Without the key server's objects vellapp cannot start: here an object of
// another kind holds the server's name.
TEST_F(Vellapp, NoKeyServerConnectionIsAnInternalError) {
  keys->ShutdownKeyServer();
  keys->DisconnectKeyServer();
  HANDLE squatter = nullptr;
  for (int i = 0; i < 50 && !squatter; ++i) {
    squatter = CreateEventW(nullptr, FALSE, FALSE, L"server_run_mutex_vell");
    if (squatter && GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(squatter);
      squatter = nullptr;
    }
    if (!squatter)
      Sleep(100); // the server is still ending
  }
  ASSERT_NE(squatter, nullptr);
  auto app = vellapp(L"/A");
  screenshot(waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass),
             "InternalErrorMessage");
  EXPECT_EQ(answerMessageBox(app->id(), IDOK), L"Internal error.");
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
  CloseHandle(squatter);
  keys->connectFromFolder(install->path().string(), true, nullptr);
}

} // namespace
