#include "platform/directory.h"
#include "platform/backend.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

namespace ravelock::platform {

std::optional<std::vector<DirectoryEntry>>
backend::listDirectory(const std::string& folder, const std::string& pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // Nothing matching is an empty listing, not a failure to list.
    if (GetLastError() == ERROR_FILE_NOT_FOUND)
      return std::vector<DirectoryEntry>{};
    return std::nullopt;
  }
  std::vector<DirectoryEntry> entries;
  do {
    entries.push_back({found.cFileName, found.dwFileAttributes});
  } while (FindNextFileA(search, &found));
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
                                   IID_IShellLinkA, reinterpret_cast<void**>(&link_))) &&
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

  IShellLinkA* link() const { return link_; }
  IPersistFile* file() const { return file_; }
  explicit operator bool() const { return link_ && file_; }

private:
  IShellLinkA* link_ = nullptr;
  IPersistFile* file_ = nullptr;
};

// The shell's file interface takes UTF-16 paths of at most MAX_PATH.
bool toWidePath(const std::string& path, wchar_t (&wide)[MAX_PATH]) {
  return MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0;
}

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
  wchar_t wide[MAX_PATH];
  if (!shortcut || FAILED(shortcut.link()->SetPath(target.c_str())) ||
      (arguments && FAILED(shortcut.link()->SetArguments(arguments))) ||
      FAILED(shortcut.link()->SetDescription(description.c_str())) ||
      (iconPath && *iconPath &&
       FAILED(shortcut.link()->SetIconLocation(iconPath, iconIndex))) ||
      !toWidePath(linkPath + kShortcutTemporarySuffix, wide))
    return false;
  // An old shortcut is replaced only by a complete new one: saved beside
  // it, flushed, then moved over it.
  const std::string temporary = linkPath + kShortcutTemporarySuffix;
  bool saved = SUCCEEDED(shortcut.file()->Save(wide, FALSE));
  if (saved) {
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    saved = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
      CloseHandle(file);
  }
  saved = saved && MoveFileExA(temporary.c_str(), linkPath.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!saved)
    DeleteFileA(temporary.c_str());
  return saved;
}

std::optional<std::string> backend::resolveShortcutTarget(const std::string& linkPath) {
  const ShellLink shortcut;
  wchar_t wide[MAX_PATH];
  if (!shortcut || !toWidePath(linkPath, wide) ||
      FAILED(shortcut.file()->Load(wide, STGM_READ)) ||
      FAILED(shortcut.link()->Resolve(nullptr, kResolveQuietly)))
    return std::nullopt;
  char target[MAX_PATH] = {};
  WIN32_FIND_DATAA found{};
  if (shortcut.link()->GetPath(target, MAX_PATH, &found, SLGP_SHORTPATH) != S_OK)
    return std::nullopt;
  return std::string(target);
}

} // namespace ravelock::platform
