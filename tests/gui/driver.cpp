#include "gui/driver.h"

#include "engine/cipher/crc32.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace ravelock::gui {

namespace {

constexpr DWORD kPollMs = 20;

struct Search {
  DWORD pid;
  const std::wstring* title;
  const std::wstring* className;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<Search*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if ((search.pid != kAnyProcess && pid != search.pid) || !IsWindowVisible(window))
    return TRUE;
  if (windowText(window) != *search.title)
    return TRUE;
  if (!search.className->empty()) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (*search.className != name)
      return TRUE;
  }
  search.found = window;
  return FALSE;
}

// The longest static text of a window: a message box's message.
BOOL CALLBACK longestStatic(HWND child, LPARAM data) {
  auto& longest = *reinterpret_cast<std::wstring*>(data);
  wchar_t name[32] = {};
  GetClassNameW(child, name, 32);
  if (_wcsicmp(name, L"Static") == 0) {
    const std::wstring text = windowText(child);
    if (text.size() > longest.size())
      longest = text;
  }
  return TRUE;
}

// PNG: 8-bit RGB rows, filter 0, in stored (uncompressed) deflate blocks.
void putBig(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void putChunk(std::string& out, const char* type, const std::string& data) {
  putBig(out, static_cast<std::uint32_t>(data.size()));
  std::string typed(type, 4);
  typed += data;
  out += typed;
  putBig(out, engine::crc32(reinterpret_cast<const unsigned char*>(typed.data()),
                            typed.size()));
}

std::string encodePng(int width, int height, const std::string& rows) {
  std::string header;
  putBig(header, static_cast<std::uint32_t>(width));
  putBig(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);
  std::string zlib("\x78\x01", 2);
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : rows) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (std::size_t at = 0; at < rows.size() || at == 0;) {
    const std::size_t n = std::min<std::size_t>(65535, rows.size() - at);
    const bool last = at + n >= rows.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<char>(n & 0xFF));
    zlib.push_back(static_cast<char>(n >> 8));
    zlib.push_back(static_cast<char>(~n & 0xFF));
    zlib.push_back(static_cast<char>((~n >> 8) & 0xFF));
    zlib.append(rows, at, n);
    at += n;
    if (last)
      break;
  }
  putBig(zlib, (b << 16) | a);
  std::string png("\x89PNG\r\n\x1a\n", 8);
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", zlib);
  putChunk(png, "IEND", "");
  return png;
}

// What the screen shows of a window: PNG rows of RGB pixels, each row led
// by its filter byte. Empty when the window has no area.
struct Picture {
  int width = 0, height = 0;
  std::string rows;
  bool operator==(const Picture&) const = default;
};

Picture capture(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect))
    return {};
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
    return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  Picture picture{width, height, {}};
  picture.rows.reserve(static_cast<std::size_t>(height) * (width * 3 + 1));
  const auto* pixels = static_cast<const unsigned char*>(bits);
  for (int y = 0; y < height; ++y) {
    picture.rows.push_back('\0');
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = pixels + (static_cast<std::size_t>(y) * width + x) * 4;
      picture.rows.push_back(static_cast<char>(p[2]));
      picture.rows.push_back(static_cast<char>(p[1]));
      picture.rows.push_back(static_cast<char>(p[0]));
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

// How long a window that keeps changing (a moving progress bar) is given to
// come to rest before it is taken as it is.
constexpr DWORD kSettleMs = 2000;

// Whether `window` or a visible control of it still has to paint.
bool paintPending(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE))
    return true;
  bool pending = false;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        if (!IsWindowVisible(child) || !GetUpdateRect(child, nullptr, FALSE))
          return TRUE;
        *reinterpret_cast<bool*>(data) = true;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&pending));
  return pending;
}

// Waits until the thread of `window` answers and the window has painted
// what it was asked to. A thread paints only once its queue is empty, so
// by then it has also handled what it posted itself while opening.
void waitUntilPainted(HWND window) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSettleMs, &ignored);
  waitUntil(
      "a window to paint", [window] { return !paintPending(window); }, kSettleMs);
}

// The ids of the running processes whose program file is `exeName`.
std::vector<DWORD> processesOf(const std::wstring& exeName) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return ids;
  PROCESSENTRY32W entry{sizeof entry};
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, exeName.c_str()) == 0)
      ids.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return ids;
}

} // namespace

Process::Process(const std::wstring& commandLine, const std::wstring& folder) {
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION info{};
  std::wstring line = commandLine;
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

Process::~Process() {
  if (!process_)
    return;
  if (running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool Process::waitForExit(DWORD ms) {
  return process_ && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0;
}

DWORD Process::exitCode() const {
  DWORD code = 0;
  return process_ && GetExitCodeProcess(process_, &code) ? code : 99;
}

bool Process::running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND findWindow(DWORD pid, const std::wstring& title, const std::wstring& className) {
  Search search{pid, &title, &className, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitForWindow(DWORD pid, const std::wstring& title, DWORD ms,
                   const std::wstring& className) {
  HWND window = nullptr;
  if (!waitUntil(
          "a window", [&] { return (window = findWindow(pid, title, className)); }, ms))
    return nullptr;
  waitUntilPainted(window);
  return window;
}

bool waitUntilGone(HWND window, DWORD ms) {
  return waitUntil(
      "a window to close",
      [window] { return !IsWindow(window) || !IsWindowVisible(window); }, ms);
}

testing::AssertionResult waitUntil(const std::string& what,
                                   const std::function<bool()>& condition, DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (!condition()) {
    if (GetTickCount64() >= deadline)
      return testing::AssertionFailure() << "waited " << ms << " ms in vain for " << what;
    Sleep(kPollMs);
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult waitForProgramToEnd(const std::wstring& exeName, DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  for (DWORD pid : processesOf(exeName)) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
      continue; // it ended between the listing and the opening
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    const bool ended = WaitForSingleObject(process, left) == WAIT_OBJECT_0;
    CloseHandle(process);
    if (!ended)
      return testing::AssertionFailure()
             << "waited " << ms << " ms in vain for process " << pid << " ("
             << std::filesystem::path(exeName).string() << ") to end";
  }
  return testing::AssertionSuccess();
}

bool fileClosed(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(file);
  return true;
}

std::wstring windowText(HWND window) {
  wchar_t text[4096] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

std::wstring itemText(HWND dialog, int id) {
  return windowText(GetDlgItem(dialog, id));
}

void setItemText(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
}

bool itemVisible(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item && IsWindowVisible(item);
}

bool itemChecked(HWND dialog, int id) {
  return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setItemChecked(HWND dialog, int id, bool on) {
  SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void pressKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

std::wstring answerMessageBox(DWORD pid, int button, const std::wstring& caption,
                              DWORD ms) {
  HWND box = waitForWindow(pid, caption, ms, kDialogClass);
  if (!box)
    return L"";
  std::wstring text;
  EnumChildWindows(box, longestStatic, reinterpret_cast<LPARAM>(&text));
  click(box, button);
  waitUntilGone(box, 5000);
  return text;
}

bool answerSaveAs(DWORD pid, const std::wstring& path, DWORD ms) {
  HWND dialog = waitForWindow(pid, L"Save As", ms, kDialogClass);
  if (!dialog)
    return false;
  // The file name box: a combo box (cmb13) or an edit (edt1).
  for (int id : {0x47C, 0x480}) {
    if (HWND name = GetDlgItem(dialog, id)) {
      SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
      break;
    }
  }
  click(dialog, IDOK);
  return true;
}

void moveWindow(HWND window, int x, int y) {
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  waitUntil("a window to move", [&] {
    RECT rect{};
    return !GetWindowRect(window, &rect) || (rect.left == x && rect.top == y);
  });
  waitUntilPainted(window);
}

bool saveScreenshot(HWND window, const std::wstring& path) {
  // A picture taken while the window still paints (or while the screen
  // beneath a moved window is redrawn) is taken again until two agree.
  Picture picture, previous;
  waitUntil(
      "a steady picture",
      [&] {
        previous = std::move(picture);
        picture = capture(window);
        return picture == previous;
      },
      kSettleMs);
  if (picture.rows.empty())
    return false;
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out << encodePng(picture.width, picture.height, picture.rows);
  return static_cast<bool>(out);
}

bool saveNamedScreenshot(HWND window, const std::string& name) {
#ifdef RAVELOCK_SCREENS_DIR
  const std::filesystem::path folder(RAVELOCK_SCREENS_DIR);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return window && saveScreenshot(window, (folder / (name + ".png")).wstring());
#else
  (void)window;
  (void)name;
  return false;
#endif
}

void installPrograms(const std::filesystem::path& folder,
                     std::initializer_list<const char*> names) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path bin = std::filesystem::path(self).parent_path();
  for (const char* name : names)
    std::filesystem::copy_file(bin / name, folder / name);
}

// --- The main window's helpers.

namespace {

// A block of memory in another process, for messages whose parameters
// point at data there.
class RemoteBlock {
public:
  RemoteBlock(HWND window, std::size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                           FALSE, pid);
    if (process_)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  ~RemoteBlock() {
    if (address_)
      VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_)
      CloseHandle(process_);
  }
  bool valid() const { return address_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool write(std::size_t offset, const void* data, std::size_t size) const {
    return offset + size <= size_ &&
           WriteProcessMemory(process_, at(offset), data, size, nullptr);
  }
  bool read(std::size_t offset, void* data, std::size_t size) const {
    return offset + size <= size_ &&
           ReadProcessMemory(process_, at(offset), data, size, nullptr);
  }

private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

// The text of the tree view's selected item.
std::wstring selectedTreeText(HWND tree) {
  const auto item =
      reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item)
    return L"";
  constexpr std::size_t kChars = MAX_PATH;
  RemoteBlock block(tree, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
  if (!block.valid())
    return L"";
  TVITEMW query{};
  query.mask = TVIF_TEXT | TVIF_HANDLE;
  query.hItem = item;
  query.pszText = reinterpret_cast<wchar_t*>(block.at(sizeof query));
  query.cchTextMax = kChars;
  wchar_t text[kChars] = {};
  if (!block.write(0, &query, sizeof query) ||
      !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.at(0))) ||
      !block.read(sizeof query, text, sizeof text))
    return L"";
  text[kChars - 1] = L'\0';
  return text;
}

} // namespace

HWND focusedWindow(HWND window) {
  GUITHREADINFO info{sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)
             ? info.hwndFocus
             : nullptr;
}

bool answerOpenFiles(DWORD pid, const std::wstring& folder,
                     std::initializer_list<const wchar_t*> names, DWORD ms) {
  constexpr int kFileName = 1148;
  HWND dialog = waitForWindow(pid, L"Open", ms, L"#32770");
  if (!dialog)
    return false;
  // The folder first, then the names in it, as a user types them.
  setItemText(dialog, kFileName, folder);
  click(dialog, IDOK);
  std::wstring chosen;
  for (const wchar_t* name : names)
    chosen +=
        names.size() == 1 ? std::wstring(name) : L"\"" + std::wstring(name) + L"\" ";
  // The name field empties once the dialog went to the folder; a dialog
  // that already shows it may keep the text, so the names follow either way.
  static_cast<void>(waitUntil(
      "the Open dialog in the folder",
      [&] { return itemText(dialog, kFileName).empty(); }, ms));
  setItemText(dialog, kFileName, chosen);
  click(dialog, IDOK);
  return waitUntilGone(dialog, ms);
}

bool answerFolderBrowser(DWORD pid, const std::wstring& folder, DWORD ms) {
  HWND dialog = waitForWindow(pid, L"Browse for Folder", ms, L"#32770");
  if (!dialog)
    return false;
  HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
  const std::wstring leaf = std::filesystem::path(folder).filename().wstring();
  const std::size_t bytes = (folder.size() + 1) * sizeof(wchar_t);
  RemoteBlock path(dialog, bytes);
  if (!tree || !path.valid() || !path.write(0, folder.c_str(), bytes))
    return false;
  // The selection takes only once the tree has filled.
  const bool selected = waitUntil(
      "the folder selected in the browser",
      [&] {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                     reinterpret_cast<LPARAM>(path.at(0)));
        return _wcsicmp(selectedTreeText(tree).c_str(), leaf.c_str()) == 0;
      },
      ms);
  if (!selected)
    return false;
  click(dialog, IDOK);
  return waitUntilGone(dialog, ms);
}

} // namespace ravelock::gui

// The pointer and its buttons.
namespace ravelock::gui {

namespace {

void sendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

} // namespace

void movePointer(int x, int y) {
  // Absolute input spans the primary screen as 0..65535.
  const int width = GetSystemMetrics(SM_CXSCREEN) - 1;
  const int height = GetSystemMetrics(SM_CYSCREEN) - 1;
  sendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, MulDiv(x, 65535, width),
            MulDiv(y, 65535, height));
}

void pressButton(DWORD button) {
  sendMouse(button == MK_RBUTTON ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
}

void releaseButton(DWORD button) {
  sendMouse(button == MK_RBUTTON ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

} // namespace ravelock::gui

// --- Message boxes of programs whose other windows share their caption
// and class: told apart by their owner or process and their text control.
namespace ravelock::gui {

namespace {

// The text control's id in every message box.
constexpr int kMessageText = 0xFFFF;

bool isMessageBox(HWND window) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  return IsWindowVisible(window) && wcscmp(className, kDialogClass) == 0 &&
         windowText(window) == kProductCaption && GetDlgItem(window, kMessageText);
}

HWND waitForMessageBoxWhere(const std::function<bool(HWND)>& belongs, DWORD ms) {
  struct BoxSearch {
    const std::function<bool(HWND)>* belongs;
    HWND found;
  } search{&belongs, nullptr};
  const auto match = [](HWND window, LPARAM lParam) -> BOOL {
    auto& s = *reinterpret_cast<BoxSearch*>(lParam);
    if (!isMessageBox(window) || !(*s.belongs)(window))
      return TRUE;
    s.found = window;
    return FALSE;
  };
  if (!waitUntil(
          "a message box",
          [&] {
            search.found = nullptr;
            EnumWindows(match, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
          },
          ms))
    return nullptr;
  waitUntilPainted(search.found);
  return search.found;
}

std::wstring answerFoundBox(HWND box, int button) {
  if (!box)
    return L"";
  const std::wstring text = itemText(box, kMessageText);
  click(box, button);
  waitUntilGone(box, 5000);
  return text;
}

} // namespace

HWND waitForMessageBoxOf(HWND owner, DWORD ms) {
  return waitForMessageBoxWhere(
      [owner](HWND window) { return GetWindow(window, GW_OWNER) == owner; }, ms);
}

std::wstring answerMessageBoxOf(HWND owner, int button, DWORD ms) {
  return answerFoundBox(waitForMessageBoxOf(owner, ms), button);
}

std::wstring answerMessageBoxBeside(DWORD pid, int button, DWORD ms) {
  return answerFoundBox(waitForMessageBoxWhere(
                            [pid](HWND window) {
                              DWORD owner = 0;
                              GetWindowThreadProcessId(window, &owner);
                              return owner == pid;
                            },
                            ms),
                        button);
}

bool showsColour(HWND window, COLORREF colour) {
  RECT box{};
  GetWindowRect(window, &box);
  HDC screen = GetDC(nullptr);
  bool found = false;
  for (LONG y = box.top; y < box.bottom && !found; ++y)
    for (LONG x = box.left; x < box.right && !found; ++x)
      found = GetPixel(screen, x, y) == colour;
  ReleaseDC(nullptr, screen);
  return found;
}

} // namespace ravelock::gui

// --- List views of another process.
namespace ravelock::gui {

std::vector<std::wstring> listItems(HWND list) {
  constexpr int kChars = 260;
  std::vector<std::wstring> items;
  RemoteBlock block(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  if (!block.valid())
    return items;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) {
    LVITEMW item{};
    item.pszText = reinterpret_cast<wchar_t*>(block.at(sizeof(LVITEMW)));
    item.cchTextMax = kChars;
    wchar_t text[kChars] = {};
    if (!block.write(0, &item, sizeof item))
      break;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(block.at(0)));
    block.read(sizeof(LVITEMW), text, sizeof text);
    text[kChars - 1] = L'\0';
    items.emplace_back(text);
  }
  return items;
}

bool selectListItems(HWND list, std::initializer_list<int> indexes) {
  RemoteBlock block(list, sizeof(LVITEMW));
  if (!block.valid())
    return false;
  const auto setState = [&](int index, UINT state) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = state;
    return block.write(0, &item, sizeof item) &&
           SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(block.at(0)));
  };
  bool done = setState(-1, 0);
  for (const int index : indexes)
    done = setState(index, LVIS_SELECTED) && done;
  return done;
}

} // namespace ravelock::gui
