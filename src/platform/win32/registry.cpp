#include "platform/registry.h"
#include "platform/win32/wide.h"

#include <windows.h>

#include <cstring>
#include <iterator>

namespace ravelock::platform {

namespace {

HKEY rootKey(RegistryRoot root) {
  switch (root) {
  case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
  case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
  case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
  case RegistryRoot::Users: return HKEY_USERS;
  case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

REGSAM samOf(RegistryAccess access) {
  switch (access) {
  case RegistryAccess::Read: return KEY_READ;
  case RegistryAccess::Write: return KEY_WRITE;
  case RegistryAccess::ReadWrite: return KEY_READ | KEY_WRITE;
  }
  return KEY_READ;
}

// The registry functions return their error instead of setting it; it is
// put where callers look for the system's code of the last failure.
RegistryStatus statusOf(LONG code) {
  SetLastError(static_cast<DWORD>(code));
  switch (code) {
  case ERROR_SUCCESS: return RegistryStatus::Ok;
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND: return RegistryStatus::NotFound;
  case ERROR_ACCESS_DENIED: return RegistryStatus::AccessDenied;
  case ERROR_MORE_DATA: return RegistryStatus::TooLong;
  default: return RegistryStatus::Failed;
  }
}

class OpenKey {
public:
  OpenKey() = default;
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (key_)
      RegCloseKey(key_);
  }

  RegistryStatus open(RegistryRoot root, std::string_view path, REGSAM sam) {
    return statusOf(
        RegOpenKeyExW(rootKey(root), win32::wide(path).c_str(), 0, sam, &key_));
  }

  RegistryStatus create(RegistryRoot root, std::string_view path, bool& created) {
    DWORD disposition = 0;
    const LONG code = RegCreateKeyExW(rootKey(root), win32::wide(path).c_str(), 0,
                                      nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_READ | KEY_WRITE, nullptr, &key_, &disposition);
    created = code == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return statusOf(code);
  }

  HKEY get() const { return key_; }

private:
  HKEY key_ = nullptr;
};

// The raw value: type and bytes, at most `maxBytes` of them.
RegistryStatus queryValue(RegistryRoot root, std::string_view path, std::string_view name,
                          DWORD& type, std::string& data, std::size_t maxBytes) {
  OpenKey key;
  if (RegistryStatus status = key.open(root, path, KEY_QUERY_VALUE);
      status != RegistryStatus::Ok)
    return status;
  data.resize(maxBytes);
  DWORD size = static_cast<DWORD>(maxBytes);
  const LONG code = RegQueryValueExW(key.get(), win32::wide(name).c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(data.data()), &size);
  data.resize(code == ERROR_SUCCESS ? size : 0);
  return statusOf(code);
}

RegistryStatus setValue(RegistryRoot root, std::string_view path, std::string_view name,
                        DWORD type, const void* data, DWORD size) {
  OpenKey key;
  if (RegistryStatus status = key.open(root, path, KEY_SET_VALUE);
      status != RegistryStatus::Ok)
    return status;
  return statusOf(RegSetValueExW(key.get(), win32::wide(name).c_str(), 0, type,
                                 static_cast<const BYTE*>(data), size));
}

class Win32Registry final : public Registry {
  RegistryStatus doOpenKey(RegistryRoot root, std::string_view path,
                           RegistryAccess access) override {
    OpenKey key;
    return key.open(root, path, samOf(access));
  }

  RegistryStatus doCreateKey(RegistryRoot root, std::string_view path,
                             bool& created) override {
    OpenKey key;
    return key.create(root, path, created);
  }

  RegistryStatus doReadString(RegistryRoot root, std::string_view path,
                              std::string_view name, std::string& value,
                              std::size_t maxBytes) override {
    DWORD type = REG_NONE;
    std::string data;
    // `maxBytes` bounds the UTF-8 text; it never has more UTF-16 units than
    // bytes, so a value that fits comes whole in that many units.
    const RegistryStatus status =
        queryValue(root, path, name, type, data, maxBytes * sizeof(wchar_t));
    if (status != RegistryStatus::Ok)
      return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
      return RegistryStatus::WrongType;
    // The stored text need not end in a zero; it ends at the first.
    std::wstring_view text(reinterpret_cast<const wchar_t*>(data.data()),
                           data.size() / sizeof(wchar_t));
    value = win32::utf8(text.substr(0, text.find(L'\0')));
    if (value.size() + 1 > maxBytes)
      return RegistryStatus::TooLong;
    return RegistryStatus::Ok;
  }

  RegistryStatus doReadDword(RegistryRoot root, std::string_view path,
                             std::string_view name, std::uint32_t& value) override {
    DWORD type = REG_NONE;
    std::string data;
    RegistryStatus status = queryValue(root, path, name, type, data, sizeof(DWORD));
    if (status == RegistryStatus::TooLong)
      return RegistryStatus::WrongType;
    if (status != RegistryStatus::Ok)
      return status;
    if (type != REG_DWORD || data.size() != sizeof(DWORD))
      return RegistryStatus::WrongType;
    std::memcpy(&value, data.data(), sizeof(DWORD));
    return RegistryStatus::Ok;
  }

  RegistryStatus doWriteString(RegistryRoot root, std::string_view path,
                               std::string_view name, std::string_view value) override {
    const std::wstring text = win32::wide(value.substr(0, value.find('\0')));
    return setValue(root, path, name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  RegistryStatus doWriteDword(RegistryRoot root, std::string_view path,
                              std::string_view name, std::uint32_t value) override {
    const DWORD data = value;
    return setValue(root, path, name, REG_DWORD, &data, sizeof data);
  }

  RegistryStatus doDeleteValue(RegistryRoot root, std::string_view path,
                               std::string_view name) override {
    OpenKey key;
    if (RegistryStatus status = key.open(root, path, KEY_SET_VALUE);
        status != RegistryStatus::Ok)
      return status;
    return statusOf(RegDeleteValueW(key.get(), win32::wide(name).c_str()));
  }

  RegistryStatus doDeleteKey(RegistryRoot root, std::string_view path) override {
    if (path.empty())
      return RegistryStatus::Failed; // a root cannot be deleted
    return statusOf(RegDeleteKeyW(rootKey(root), win32::wide(path).c_str()));
  }

  RegistryStatus doListSubkeys(RegistryRoot root, std::string_view path,
                               std::vector<std::string>& names) override {
    OpenKey key;
    if (RegistryStatus status = key.open(root, path, KEY_ENUMERATE_SUB_KEYS);
        status != RegistryStatus::Ok)
      return status;
    for (DWORD index = 0;; ++index) {
      wchar_t name[256]; // a key name has at most 255 characters
      DWORD length = std::size(name);
      const LONG code = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr,
                                      nullptr, nullptr);
      if (code == ERROR_NO_MORE_ITEMS)
        return statusOf(ERROR_SUCCESS);
      if (code != ERROR_SUCCESS) {
        names.clear();
        return statusOf(code);
      }
      names.push_back(win32::utf8(std::wstring_view(name, length)));
    }
  }
};

} // namespace

Registry& systemRegistry() {
  static Win32Registry registry;
  return registry;
}

} // namespace ravelock::platform
