// Opening an encrypted file from the shell: rundll32 calls CallToRunW (or
// CallToRun) with the file's path, the file is decrypted by an ordinary
// one-file run and the result is opened with the program its type is
// associated with.

#include "engine/batch/caller_text.h"
#include "engine/dialogs/decrypt_files.h"
#include "engine/files/target_naming.h"
#include "platform/filesystem.h"
#include "platform/text.h"
#include "ravelock/velldll.h"
#include "resource.h"
#include "ui/message_box.h"
#include "ui/resources.h"
#include "ui/text.h"

#include <shellapi.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>

using namespace ravelock;

namespace {

const ui::Resources& library() {
  static const ui::Resources resources =
      ui::Resources::ofAddress(reinterpret_cast<const void*>(&DesifrovatRun));
  return resources;
}

// Types the shell would run rather than open: asked about first.
bool isExecutable(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return false;
  const std::string extension = path.substr(dot);
  for (const char* executable : {".exe", ".bat", ".com", ".js", ".vbs"})
    if (platform::equalIgnoringCase(extension, executable))
      return true;
  return false;
}

// The system's text for `code`.
std::wstring systemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 && text ? std::wstring(text, length) : std::wstring();
  if (text)
    LocalFree(text);
  return message;
}

// ShellExecute's small result codes, where it left no error code behind.
DWORD errorOfShellResult(INT_PTR result) {
  switch (result) {
  case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
  case SE_ERR_ACCESSDENIED: return ERROR_ACCESS_DENIED;
  case SE_ERR_OOM: return ERROR_NOT_ENOUGH_MEMORY;
  case SE_ERR_PNF: return ERROR_PATH_NOT_FOUND;
  case SE_ERR_FNF: return ERROR_FILE_NOT_FOUND;
  case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
  default: return ERROR_GEN_FAILURE;
  }
}

// DesifrovatRun on a UTF-8 path.
int32_t decryptAndRun(const char* given) {
  std::array<char, engine::kMaxPath> longPath{};
  const std::size_t length =
      platform::getLongPath(given, longPath.data(), longPath.size());
  if (length == 0 || length >= longPath.size())
    std::strncpy(longPath.data(), given, longPath.size() - 1);
  if (platform::getAttributes(longPath.data()) == platform::kInvalidAttributes) {
    ui::messageBox(nullptr, library().string(IDS_FILE_NOT_FOUND), MB_ICONERROR | MB_OK);
    return -1;
  }
  // A one-item list: the path, its NUL and the list's closing NUL.
  std::string items(longPath.data());
  items.push_back('\0');
  char target[engine::kMaxPath] = {};
  if (engine::decryptItems(items.c_str(), 1, target) != 0)
    return 1;
  if (isExecutable(target) &&
      ui::messageBox(nullptr, library().string(IDS_RUN_EXECUTABLE),
                     MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) != IDYES)
    return 0;
  SetLastError(ERROR_SUCCESS);
  const auto opened = reinterpret_cast<INT_PTR>(ShellExecuteW(
      nullptr, nullptr, ui::widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (opened > 32)
    return 0;
  DWORD error = GetLastError();
  if (error == ERROR_SUCCESS)
    error = errorOfShellResult(opened);
  ui::messageBox(nullptr, systemMessage(error), MB_ICONERROR | MB_OK);
  return 2;
}

} // namespace

extern "C" VELLDLL_API int32_t DesifrovatRun(const char* path) {
  std::string given;
  // A path the caller's code page cannot turn into UTF-8 names no file.
  if (!engine::pathFromCaller(path ? path : "", given))
    given.clear();
  return decryptAndRun(given.c_str());
}

extern "C" VELLDLL_API void CallToRun(void* /*window*/, void* /*instance*/,
                                      char* commandLine, int32_t /*showState*/) {
  // The command line is the path as the shell gave it, quotes and all.
  DesifrovatRun(commandLine);
}

extern "C" VELLDLL_API void CallToRunW(void* /*window*/, void* /*instance*/,
                                       wchar_t* commandLine, int32_t /*showState*/) {
  // rundll32 prefers this form: the path whole, whatever the system's code
  // page.
  std::string given;
  if (!commandLine || !ui::narrow(commandLine, given))
    given.clear();
  decryptAndRun(given.c_str());
}
