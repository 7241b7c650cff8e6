#include "gui/driver.h"

#include "engine/cipher/crc32.h"

#include <filesystem>
#include <fstream>
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
  for (DWORD waited = 0;; waited += kPollMs) {
    if (HWND window = findWindow(pid, title, className)) {
      // Let it finish painting before anyone looks at it.
      Sleep(200);
      return window;
    }
    if (waited >= ms)
      return nullptr;
    Sleep(kPollMs);
  }
}

bool waitUntilGone(HWND window, DWORD ms) {
  for (DWORD waited = 0; IsWindow(window) && IsWindowVisible(window); waited += kPollMs) {
    if (waited >= ms)
      return false;
    Sleep(kPollMs);
  }
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
  HWND box = waitForWindow(pid, caption, ms, L"#32770");
  if (!box)
    return L"";
  std::wstring text;
  EnumChildWindows(box, longestStatic, reinterpret_cast<LPARAM>(&text));
  click(box, button);
  waitUntilGone(box, 5000);
  return text;
}

bool answerSaveAs(DWORD pid, const std::wstring& path, DWORD ms) {
  HWND dialog = waitForWindow(pid, L"Save As", ms, L"#32770");
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
  Sleep(200);
}

bool saveScreenshot(HWND window, const std::wstring& path) {
  RECT rect{};
  if (!GetWindowRect(window, &rect))
    return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
    return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  std::string rows;
  rows.reserve(static_cast<std::size_t>(height) * (width * 3 + 1));
  const auto* pixels = static_cast<const unsigned char*>(bits);
  for (int y = 0; y < height; ++y) {
    rows.push_back('\0');
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = pixels + (static_cast<std::size_t>(y) * width + x) * 4;
      rows.push_back(static_cast<char>(p[2]));
      rows.push_back(static_cast<char>(p[1]));
      rows.push_back(static_cast<char>(p[0]));
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out << encodePng(width, height, rows);
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
