// vellapp as the user and the other programs start it: the page it opens
// on and keeps, lists handed over by a sender (also hostile ones), the
// folder shortcut double-clicked, the one-shot switches without their
// argument, and the message boxes of start-up (screenshots in
// build/screens).

#include "gui/suite.h"
#include "shell/handoff/control_messages.h"
#include "velldll/resource.h"
// The two programs number some strings of the same name differently; only
// vellapp's control ids are used here.
#undef IDS_CLOSE
#undef IDS_INTERNAL_ERROR
#include "vellapp/resource.h"

#include <shellapi.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ravelock::gui {
namespace {

constexpr const wchar_t* kMainTitle = kProductCaption;
const std::wstring kNoEngine =
    L"Could not load encryption library.\nvelldll.dll\nThe program will now "
    L"terminate.\n\nPlease make sure Ravelock is correctly installed. Reinstall the "
    L"program if necessary.";
constexpr char kKey[] = "hand-off key";

struct SenderResult {
  int answer = -1;
  unsigned long long ms = 0;
  unsigned long exitCode = 0;
};

class Vellapp : public InstalledSuite<Vellapp> {
public:
  static constexpr const char* kPrograms[] = {"vellapp.exe", "handoff_sender.exe",
                                              "ravelock.chm"};

protected:
  void SetUp() override {
    InstalledSuite::SetUp();
    keys->DeleteAllKeys();
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
    return startWithList("handoff_sender.exe", mode, items);
  }
  SenderResult senderResult(Process& sender) {
    SenderResult result;
    EXPECT_TRUE(sender.waitForExit(30000));
    std::ifstream(resultFile()) >> result.answer >> result.ms >> result.exitCode;
    return result;
  }

  // Answers the encrypt key dialog with a new key under `keyName`, not
  // keeping originals.
  static void answerEncryptKey(const wchar_t* keyName = L"hand-off") {
    gui::answerEncryptKey(wide(kKey), keyName);
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
};

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
// page showing at the end is stored, however the window was closed.
TEST_F(Vellapp, StartPageAndThePageKeptOnClose) {
  struct Case {
    const wchar_t* arguments;
    const char* stored; // APPpage as written in the file, or none
    unsigned page;
  };
  const Case cases[] = {
      {L"/A", "1", 3}, {L"\" /d \"", nullptr, 1}, {L"/x", "2", 2}, {L"", "0", 0},
      {L"", "7", 3},   {L"", nullptr, 3},         {L"/c", "3", 0}, {L"/O", nullptr, 2},
      {L"/a", "0", 3},
  };
  bool first = true;
  unsigned run = 0;
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
    EXPECT_TRUE(waitUntil("the next page", [&] { return shownPage(window) == next; }));
    EXPECT_EQ(shownPage(window), next);
    // Exit, the close box and Escape each keep the page.
    switch (run++ % 3) {
    case 0: click(leftBar(window), IDC_EXIT); break;
    case 1: PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    default:
      SetForegroundWindow(window);
      EXPECT_TRUE(waitUntil("a focused control", [&] { return focusedWindow(window); }));
      pressKey(focusedWindow(window), VK_ESCAPE);
      break;
    }
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
  EXPECT_TRUE(waitUntil("the decrypted folder",
                        [&] { return fileClosed(data.file("folder\\second.bin")); }));
  EXPECT_EQ(readFile(data.file("folder\\inner.txt")), "inner");
  EXPECT_EQ(readFile(data.file("folder\\second.bin")), std::string(5000, 'b'));
}

// Names no ANSI code page holds, in a folder and a subfolder: handed over
// as the context menu and the drop target hand them, encrypted, and
// decrypted again by /df; every name and byte comes back.
TEST_F(Vellapp, NamesOfEveryScriptRoundTripThroughTheHandOffAndTheFolderSwitch) {
  const std::string folder = data.file("\xC3\x9Cn\xC3\xAF code");
  const std::string subfolder =
      folder + "\\\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 \xC3\xA9t\xC3\xA9";
  fs::create_directories(test::fileSystemPath(subfolder));
  std::vector<std::string> files;
  for (const char* name :
       {"\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.docx", "\xE5\xA0\xB1\xE5\x91\x8A.pdf",
        "caf\xC3\xA9 \xE2\x98\x95.txt", "na\xC3\xAFve r\xC3\xA9sum\xC3\xA9.doc"})
    for (const std::string& where : {folder, subfolder}) {
      files.push_back(where + "\\" + name);
      writeFile(files.back(), "content of " + files.back());
    }
  auto sender = send("encrypt", {folder});
  answerEncryptKey();
  confirmSuccess();
  EXPECT_EQ(senderResult(*sender).answer, 1);
  for (const std::string& file : files) {
    EXPECT_FALSE(fs::exists(test::fileSystemPath(file))) << file;
    EXPECT_TRUE(fs::exists(test::fileSystemPath(file + ".rlk"))) << file;
  }
  auto decrypting = vellapp(L"/df \"" + wide(folder) + L"\"");
  confirmSuccess(); // the key was remembered: no question
  EXPECT_TRUE(decrypting->waitForExit(kWindowTimeoutMs));
  for (const std::string& file : files)
    EXPECT_EQ(readFile(file), "content of " + file);
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
  ASSERT_TRUE(waitForProgramToEnd(L"vellserver.exe"));
  HANDLE squatter = CreateEventW(nullptr, FALSE, FALSE, L"server_run_mutex_vell");
  ASSERT_NE(squatter, nullptr);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  auto app = vellapp(L"/A");
  screenshot(waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass),
             "InternalErrorMessage");
  EXPECT_EQ(answerMessageBox(app->id(), IDOK), L"Internal error.");
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
  CloseHandle(squatter);
  connectKeys();
}

// --- The main window: its pages at two sizes, navigation, the icon
// buttons, help, and the Encrypt & Decrypt page's commands.

const wchar_t* const kPageSwitches[] = {L"/c", L"/d", L"/o", L"/a"};
const char* const kPageNames[] = {"EncryptDecrypt", "KeyManager", "Preferences", "About"};
const wchar_t* const kPageTitles[] = {L"Encrypt & Decrypt", L"Key Manager",
                                      L"Preferences", L"About"};
constexpr int kPanelTemplates[] = {IDD_TOP_BAR, IDD_LEFT_BAR, IDD_HEADER,
                                   IDD_PICTURE_PANEL};
const std::wstring kHelpWindowClass = L"HH Parent";
const std::wstring kHelpWindowTitle = L"Ravelock Help";

HWND pageOf(HWND window, unsigned page) {
  return GetDlgItem(window, kPageTemplates[page]);
}
HWND headerOf(HWND window) {
  return GetDlgItem(window, IDD_HEADER);
}

// Where a child lies in its parent's client area.
RECT boxOf(HWND child) {
  RECT box{};
  GetWindowRect(child, &box);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&box), 2);
  return box;
}
SIZE clientOf(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// The panels and the shown page of a main window.
std::vector<HWND> panelsOf(HWND window, unsigned page) {
  std::vector<HWND> panels;
  for (int id : kPanelTemplates)
    panels.push_back(GetDlgItem(window, id));
  panels.push_back(pageOf(window, page));
  return panels;
}

// Each page at the size it opens with and at 1.5 times its width and
// height: the panels keep their margins, the pages keep their distance
// above the picture, nothing overlaps or leaves the window.
TEST_F(Vellapp, EveryPageAtTwoSizes) {
  for (unsigned page = 0; page < 4; ++page) {
    SCOPED_TRACE(kPageNames[page]);
    auto app = vellapp(kPageSwitches[page]);
    HWND window = waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(shownPage(window), page);
    EXPECT_EQ(windowText(headerOf(window)), kPageTitles[page]);
    const std::vector<HWND> panels = panelsOf(window, page);
    std::vector<RECT> first;
    for (HWND panel : panels)
      first.push_back(boxOf(panel));
    const SIZE firstClient = clientOf(window);
    screenshot(window, (std::string("MainWindow") + kPageNames[page]).c_str());

    RECT frame{};
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, 8, 8, (frame.right - frame.left) * 3 / 2,
                 (frame.bottom - frame.top) * 3 / 2, SWP_NOZORDER);
    // The shown page, last of the panels, is moved after the others.
    ASSERT_TRUE(waitUntil("the page to follow the resize", [&] {
      return clientOf(window).cx > firstClient.cx &&
             boxOf(panels.back()).right > first.back().right;
    }));
    const SIZE client = clientOf(window);
    std::vector<RECT> now;
    for (HWND panel : panels)
      now.push_back(boxOf(panel));
    const auto rightMargin = [&](const RECT& box, LONG width) {
      return width - box.right;
    };
    const auto bottomMargin = [&](const RECT& box, LONG height) {
      return height - box.bottom;
    };
    enum { kTop, kLeft, kHeader, kPicture, kPage };
    for (int panel : {kTop, kHeader, kPage, kPicture})
      EXPECT_EQ(rightMargin(now[panel], client.cx),
                rightMargin(first[panel], firstClient.cx))
          << panel;
    EXPECT_EQ(now[kTop].bottom - now[kTop].top, first[kTop].bottom - first[kTop].top);
    EXPECT_EQ(now[kLeft].right, first[kLeft].right);
    EXPECT_EQ(bottomMargin(now[kLeft], client.cy),
              bottomMargin(first[kLeft], firstClient.cy));
    EXPECT_EQ(bottomMargin(now[kPicture], client.cy),
              bottomMargin(first[kPicture], firstClient.cy));
    EXPECT_EQ(now[kPicture].right - now[kPicture].left,
              first[kPicture].right - first[kPicture].left);
    EXPECT_EQ(now[kPicture].top - now[kPage].bottom,
              first[kPicture].top - first[kPage].bottom);
    for (std::size_t a = 0; a < now.size(); ++a) {
      EXPECT_GE(now[a].left, 0);
      EXPECT_GE(now[a].top, 0);
      EXPECT_LE(now[a].right, client.cx);
      EXPECT_LE(now[a].bottom, client.cy);
      for (std::size_t b = a + 1; b < now.size(); ++b) {
        RECT both{};
        EXPECT_FALSE(IntersectRect(&both, &now[a], &now[b])) << a << " and " << b;
      }
    }
    screenshot(window, (std::string("MainWindow") + kPageNames[page] + "Large").c_str());
    click(leftBar(window), IDC_EXIT);
    EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
  }
}

// The left bar's button of the shown page neither hides nor shows a page
// (a page hidden from outside stays hidden) but sets the title again; the
// system menu's item shows About; other programs know the window by its
// answer to 1350.
TEST_F(Vellapp, NavigationAndTheAnswerToOtherPrograms) {
  auto app = vellapp(L"/c");
  HWND window = waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass);
  ASSERT_NE(window, nullptr);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(window, handoff::UM_ARE_YOU_MAIN_WINDOW, 0, 0,
                                  SMTO_NORMAL, 2000, &answer));
  EXPECT_EQ(static_cast<long>(answer), handoff::kMainWindowAnswer);

  ShowWindow(pageOf(window, 0), SW_HIDE);
  SetWindowTextW(headerOf(window), L"-");
  click(leftBar(window), IDC_PAGE_ENCRYPT_DECRYPT);
  ASSERT_TRUE(waitUntil("the title set again",
                        [&] { return windowText(headerOf(window)) == kPageTitles[0]; }));
  EXPECT_FALSE(IsWindowVisible(pageOf(window, 0)));
  ShowWindow(pageOf(window, 0), SW_SHOW);

  PostMessageW(window, WM_SYSCOMMAND, 16, 0);
  ASSERT_TRUE(waitUntil("the About page", [&] { return shownPage(window) == 3; }));
  EXPECT_EQ(windowText(headerOf(window)), kPageTitles[3]);
  click(leftBar(window), IDC_PAGE_KEY_MANAGER);
  ASSERT_TRUE(waitUntil("the Key manager page", [&] { return shownPage(window) == 1; }));
  EXPECT_EQ(windowText(headerOf(window)), kPageTitles[1]);
  screenshot(window, "MainWindowKeyManagerSelected");
  click(leftBar(window), IDC_EXIT);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

// The mouse over an icon button gives it the focus; Tab and Down go to the
// next of the ring, Up to the previous; Enter runs its command.
TEST_F(Vellapp, IconButtonsRingForTheKeyboard) {
  auto app = vellapp(L"/c");
  HWND window = waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass);
  ASSERT_NE(window, nullptr);
  HWND page = pageOf(window, 0);
  HWND buttons[4];
  for (int i = 0; i < 4; ++i)
    buttons[i] = GetDlgItem(page, IDC_PLACE_ENCRYPT_FILES + i);
  SetForegroundWindow(window);
  PostMessageW(buttons[0], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(waitUntil("the focus on the first button",
                        [&] { return focusedWindow(window) == buttons[0]; }));
  struct Step {
    WPARAM key;
    int to;
  };
  const Step steps[] = {{VK_TAB, 1}, {VK_DOWN, 2}, {VK_DOWN, 3},
                        {VK_TAB, 0}, {VK_UP, 3},   {VK_UP, 2}};
  int at = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "key " << step.key << " from " << at);
    pressKey(buttons[at], step.key);
    EXPECT_TRUE(waitUntil(
        "the focus to move", [&] { return focusedWindow(window) == buttons[step.to]; },
        3000));
    at = step.to;
  }
  screenshot(window, "IconButtonFocus");
  // Enter on "Encrypt folder" opens the folder browser, marked as pressed.
  pressKey(buttons[2], VK_RETURN);
  HWND browser =
      waitForWindow(app->id(), L"Browse for Folder", kWindowTimeoutMs, kDialogClass);
  ASSERT_NE(browser, nullptr);
  screenshot(window, "IconButtonPressed");
  click(browser, IDCANCEL);
  EXPECT_TRUE(waitUntilGone(browser));
  click(leftBar(window), IDC_EXIT);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

// F1 and the Help button open the current page's topic, the About page's
// second button the introduction: each an HTML Help window.
TEST_F(Vellapp, HelpOpensTheHelpWindow) {
  struct Case {
    const wchar_t* arguments;
    const char* how;
  };
  for (const Case& c :
       {Case{L"/o", "F1"}, Case{L"/c", "Help button"}, Case{L"/a", "About page"}}) {
    SCOPED_TRACE(c.how);
    auto app = vellapp(c.arguments);
    HWND window = waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass);
    ASSERT_NE(window, nullptr);
    if (std::string(c.how) == "F1") {
      pressKey(focusedWindow(window), VK_F1);
    } else if (std::string(c.how) == "Help button") {
      click(GetDlgItem(window, IDD_TOP_BAR), IDC_HELP_BUTTON);
    } else {
      HWND help = GetDlgItem(pageOf(window, 3), IDC_PLACE_HELP_FILE);
      PostMessageW(help, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    HWND helpWindow =
        waitForWindow(app->id(), kHelpWindowTitle, kWindowTimeoutMs, kHelpWindowClass);
    EXPECT_NE(helpWindow, nullptr);
    if (std::string(c.how) == "F1")
      screenshot(helpWindow, "HelpWindow");
    if (helpWindow)
      PostMessageW(helpWindow, WM_CLOSE, 0, 0);
    click(leftBar(window), IDC_EXIT);
    EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
  }
}

// The four commands of the Encrypt & Decrypt page, end to end: files chosen
// in the Open dialog and a folder in the folder browser are encrypted and
// decrypted by the engine, and the main window comes back to the front.
TEST_F(Vellapp, TheEncryptDecryptPageRunsTheEngine) {
  const std::vector<std::string> items = makeItems();
  auto app = vellapp(L"/c");
  HWND window = waitForWindow(app->id(), kMainTitle, kWindowTimeoutMs, kDialogClass);
  ASSERT_NE(window, nullptr);
  HWND page = pageOf(window, 0);
  const auto press = [&](int placeholder) {
    PostMessageW(GetDlgItem(page, placeholder), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  };
  const auto backInFront = [&] {
    EXPECT_TRUE(waitUntil(
        "the main window in front", [&] { return GetForegroundWindow() == window; },
        5000));
  };

  press(IDC_PLACE_ENCRYPT_FILES);
  ASSERT_TRUE(
      answerOpenFiles(app->id(), data.path().wstring(), {L"one.txt", L"two.doc"}));
  answerEncryptKey();
  confirmSuccess(app->id());
  backInFront();
  for (const char* name : {"one.txt", "two.doc"}) {
    EXPECT_FALSE(fs::exists(data.file(name))) << name;
    EXPECT_TRUE(fs::exists(data.file(name) + ".rlk")) << name;
  }
  EXPECT_EQ(readFile(data.file("three four.txt")), "content of three four.txt");

  press(IDC_PLACE_ENCRYPT_FOLDER);
  ASSERT_TRUE(answerFolderBrowser(app->id(), wide(data.file("folder"))));
  answerEncryptKey(L"folder key");
  confirmSuccess(app->id());
  backInFront();
  EXPECT_TRUE(fs::exists(data.file("folder\\inner.txt.rlk")));
  EXPECT_FALSE(fs::exists(data.file("folder\\inner.txt")));

  // The key was remembered: decrypting asks nothing.
  press(IDC_PLACE_DECRYPT_FOLDER);
  ASSERT_TRUE(answerFolderBrowser(app->id(), wide(data.file("folder"))));
  confirmSuccess(app->id());
  backInFront();
  EXPECT_EQ(readFile(data.file("folder\\inner.txt")), "inner");
  EXPECT_EQ(readFile(data.file("folder\\second.bin")), std::string(5000, 'b'));

  press(IDC_PLACE_DECRYPT_FILES);
  ASSERT_TRUE(answerOpenFiles(app->id(), data.path().wstring(), {L"one.txt.rlk"}));
  confirmSuccess(app->id());
  backInFront();
  EXPECT_EQ(readFile(data.file("one.txt")), "content of one.txt");
  EXPECT_TRUE(fs::exists(data.file("two.doc.rlk")));

  click(leftBar(window), IDC_EXIT);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

} // namespace
} // namespace ravelock::gui
