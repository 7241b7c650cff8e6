#pragma once
// The GUI test driver: starts a scenario program, finds its windows by
// title, reads and sets control texts by id, clicks buttons, answers
// message boxes and the Save As dialog, and saves screenshots. Everything
// goes through window messages, so the scenario runs in a process of its
// own as it would for a user.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace ravelock::gui {

// How long a scenario may take to show the next window.
inline constexpr DWORD kWindowTimeoutMs = 20000;
// The window class of dialogs and message boxes.
inline constexpr wchar_t kDialogClass[] = L"#32770";
// The caption of the programs' message boxes and of the main window.
inline constexpr wchar_t kProductCaption[] = L"Ravelock";

class Process {
public:
  // Starts `commandLine` in `folder`.
  Process(const std::wstring& commandLine, const std::wstring& folder);
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  // Ends a process that is still running.
  ~Process();

  bool started() const { return process_ != nullptr; }
  DWORD id() const { return id_; }
  // Whether it ended within `ms`.
  bool waitForExit(DWORD ms);
  DWORD exitCode() const;
  bool running() const;

private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Matches windows of every process: a program that hands its work to
// another process of its own (the uninstaller's temporary copy).
inline constexpr DWORD kAnyProcess = 0;

// The visible top-level window of process `pid` (or kAnyProcess) titled
// `title`, waited for and then until it has painted; null when none came.
// An empty class matches any class.
HWND waitForWindow(DWORD pid, const std::wstring& title, DWORD ms = kWindowTimeoutMs,
                   const std::wstring& className = L"");
// The same without waiting.
HWND findWindow(DWORD pid, const std::wstring& title,
                const std::wstring& className = L"");
// Whether `window` went away within `ms`.
bool waitUntilGone(HWND window, DWORD ms = kWindowTimeoutMs);

// Waiting on a condition. Every wait of the driver and its tests is one of
// these: `condition` is asked at once and then at each poll until it holds
// or `ms` have passed. A failure names `what` was awaited, so an assertion
// on it says what never happened.
testing::AssertionResult waitUntil(const std::string& what,
                                   const std::function<bool()>& condition,
                                   DWORD ms = kWindowTimeoutMs);
// Whether no process of the program file `exeName` ("vellserver.exe") runs
// within `ms`: each one found is waited for until it has ended.
testing::AssertionResult waitForProgramToEnd(const std::wstring& exeName,
                                             DWORD ms = kWindowTimeoutMs);
// Whether the file `path` exists and no handle holds it open any more: a
// writer of another process has finished with it.
bool fileClosed(const std::string& path);

std::wstring windowText(HWND window);
std::wstring itemText(HWND dialog, int id);
void setItemText(HWND dialog, int id, const std::wstring& text);
bool itemVisible(HWND dialog, int id);
bool itemChecked(HWND dialog, int id);
void setItemChecked(HWND dialog, int id, bool on);
// Presses a button as a click would (the command is posted, so a click that
// opens another modal window does not block the driver).
void click(HWND dialog, int id);
// Presses a key in the focused control of `dialog`'s thread.
void pressKey(HWND window, WPARAM key);

// Waits for a message box captioned `caption` in process `pid`, presses
// `button` (IDYES, IDNO, IDOK, ...) and answers its text; empty when none
// came.
std::wstring answerMessageBox(DWORD pid, int button,
                              const std::wstring& caption = kProductCaption,
                              DWORD ms = kWindowTimeoutMs);
// Waits for the Save As dialog of process `pid`, types `path` as the file
// name and presses Save. False when no such dialog came.
bool answerSaveAs(DWORD pid, const std::wstring& path, DWORD ms = kWindowTimeoutMs);

// Saves `window` as build/screens/<name>.png (the test program's
// RAVELOCK_SCREENS_DIR). False when it could not be written.
bool saveNamedScreenshot(HWND window, const std::string& name);

// Moves a window so that its top-left corner is at (x, y), and waits until
// it shows there.
void moveWindow(HWND window, int x, int y);
// Saves what the screen shows of `window` (frame and title bar included)
// as a PNG file, once the picture has stopped changing. False when it could
// not be written.
bool saveScreenshot(HWND window, const std::wstring& path);

// Copies the named programs from the test program's own folder into
// `folder`, side by side as an installation has them.
void installPrograms(const std::filesystem::path& folder,
                     std::initializer_list<const char*> names);

// --- The main window's helpers: focus, the Open dialog, the folder
// browser, and messages that carry a text into another process.

// The window that has the keyboard focus in the thread of `window`.
HWND focusedWindow(HWND window);

// Waits for the Open dialog of process `pid`, goes to `folder` and chooses
// `names` in it (one or several). False when no such dialog came.
bool answerOpenFiles(DWORD pid, const std::wstring& folder,
                     std::initializer_list<const wchar_t*> names,
                     DWORD ms = kWindowTimeoutMs);

// Waits for the folder browser of process `pid`, selects `folder` and
// presses OK. False when no such dialog came or the folder could not be
// selected.
bool answerFolderBrowser(DWORD pid, const std::wstring& folder,
                         DWORD ms = kWindowTimeoutMs);

} // namespace ravelock::gui

// The pointer and its buttons as the user moves and presses them (real
// input, so that a drag and drop or a pop-up menu sees what a user's
// would).
namespace ravelock::gui {

// Moves the pointer to screen point (x, y).
void movePointer(int x, int y);
// Presses or lets go of a pointer button: MK_LBUTTON or MK_RBUTTON.
void pressButton(DWORD button);
void releaseButton(DWORD button);

} // namespace ravelock::gui

// --- Message boxes of programs whose other windows share their caption
// and class, and the colours a window shows.
namespace ravelock::gui {

// The message box owned by `owner` (a dialog of another process), waited
// for; null when none came.
HWND waitForMessageBoxOf(HWND owner, DWORD ms = kWindowTimeoutMs);
// Presses `button` in the message box owned by `owner` and answers its
// text; empty when none came.
std::wstring answerMessageBoxOf(HWND owner, int button, DWORD ms = kWindowTimeoutMs);
// The same for any message box of process `pid`.
std::wstring answerMessageBoxBeside(DWORD pid, int button, DWORD ms = kWindowTimeoutMs);

// Whether the screen shows at least one pixel of `colour` within `window`.
bool showsColour(HWND window, COLORREF colour);

} // namespace ravelock::gui

// --- List views of another process: their items' texts and selection.
namespace ravelock::gui {

// The texts of the items of list view `list`, first to last.
std::vector<std::wstring> listItems(HWND list);
// Selects exactly the items `indexes` of list view `list`.
bool selectListItems(HWND list, std::initializer_list<int> indexes);

} // namespace ravelock::gui
