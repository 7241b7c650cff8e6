#include "platform/directory.h"
#include "platform/backend.h"

#include "platform/win32/wide.h"
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <windows.h>

namespace ravelock::platform {

std::optional<std::vector<DirectoryEntry>>
backend::listDirectory(const std::string& folder, const std::string& pattern) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(win32::wide(folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // Nothing matching is an empty listing, not a failure to list.
    if (GetLastError() == ERROR_FILE_NOT_FOUND)
      return std::vector<DirectoryEntry>{};
    return std::nullopt;
  }
  std::vector<DirectoryEntry> entries;
  do {
    entries.push_back({win32::utf8(found.cFileName), found.dwFileAttributes});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

ComApartment::ComApartment() : joined_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (joined_)
    CoUninitialize();
}

namespace {

// A shell link object, released with its file interface.
class ShellLink {
public:
  ShellLink() {
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IShellLinkW, reinterpret_cast<void**>(&link_))) &&
        FAILED(link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file_))))
      file_ = nullptr;
  }
  ShellLink(const ShellLink&) = delete;
  ShellLink& operator=(const ShellLink&) = delete;
  ~ShellLink() {
    if (file_)
      file_->Release();
    if (link_)
      link_->Release();
  }

  IShellLinkW* link() const { return link_; }
  IPersistFile* file() const { return file_; }
  explicit operator bool() const { return link_ && file_; }

private:
  IShellLinkW* link_ = nullptr;
  IPersistFile* file_ = nullptr;
};

// Beside the shortcut while it is written.
constexpr char kShortcutTemporarySuffix[] = ".new";

// Resolve without a window: no search, no tracking, no link information.
constexpr DWORD kResolveQuietly =
    static_cast<DWORD>(SLR_NO_UI) | SLR_NOSEARCH | SLR_NOTRACK | SLR_NOLINKINFO;
static_assert(kResolveQuietly == 0x71);

} // namespace

bool backend::writeShortcut(const std::string& target, const std::string& linkPath,
                            const std::string& description, const char* arguments,
                            const char* iconPath, int iconIndex) {
  const ShellLink shortcut;
  const std::wstring temporary = win32::wide(linkPath + kShortcutTemporarySuffix);
  const std::wstring finalName = win32::wide(linkPath);
  if (!shortcut || temporary.empty() || finalName.empty() ||
      FAILED(shortcut.link()->SetPath(win32::wide(target).c_str())) ||
      (arguments &&
       FAILED(shortcut.link()->SetArguments(win32::wide(arguments).c_str()))) ||
      FAILED(shortcut.link()->SetDescription(win32::wide(description).c_str())) ||
      (iconPath && *iconPath &&
       FAILED(
           shortcut.link()->SetIconLocation(win32::wide(iconPath).c_str(), iconIndex))))
    return false;
  // An old shortcut is replaced only by a complete new one: saved beside
  // it, flushed, then moved over it.
  bool saved = SUCCEEDED(shortcut.file()->Save(temporary.c_str(), FALSE));
  if (saved) {
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    saved = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
      CloseHandle(file);
  }
  saved = saved && MoveFileExW(temporary.c_str(), finalName.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!saved)
    DeleteFileW(temporary.c_str());
  return saved;
}

std::optional<std::string> backend::resolveShortcutTarget(const std::string& linkPath) {
  const ShellLink shortcut;
  const std::wstring link = win32::wide(linkPath);
  if (!shortcut || link.empty() ||
      FAILED(shortcut.file()->Load(link.c_str(), STGM_READ)) ||
      FAILED(shortcut.link()->Resolve(nullptr, kResolveQuietly)))
    return std::nullopt;
  wchar_t target[MAX_PATH] = {};
  WIN32_FIND_DATAW found{};
  if (shortcut.link()->GetPath(target, MAX_PATH, &found, SLGP_SHORTPATH) != S_OK)
    return std::nullopt;
  return win32::utf8(target);
}

} // namespace ravelock::platform
