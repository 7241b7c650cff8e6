#pragma once
// The system registry: keys under the predefined roots, their string and
// DWORD values and their subkeys. Keys are named by a root and a path of
// backslash-separated names (an empty path is the root itself); names
// compare without regard to case. An empty value name is the key's default
// value. Every call opens what it needs and closes it again, so nothing is
// held between calls.
//
// The Win32 backend maps each call onto the registry functions; an
// in-memory registry (memory_registry.h) follows the same rules, stands in
// for the system natively and lets the registry rules of the programs be
// tested without touching a real one. Every call first asks the fault hook
// (Op::Registry*), as the file operations do.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::platform {

enum class RegistryRoot : std::uint8_t {
  ClassesRoot,
  CurrentUser,
  LocalMachine,
  Users,
  CurrentConfig
};

enum class RegistryAccess : std::uint8_t {
  Read,     // query values, list subkeys
  Write,    // set values, create subkeys
  ReadWrite // both
};

enum class RegistryStatus : std::uint8_t {
  Ok,
  NotFound,     // the key or value does not exist
  AccessDenied, // also: deleting a key that still has subkeys
  WrongType,    // the value exists with another type or size
  TooLong,      // the text does not fit the length the caller allows
  Failed        // any other failure (an invalid path, an injected fault)
};

// Room for any text value read without a limit of the caller's own.
inline constexpr std::size_t kMaxRegistryText = 16384;

class Registry {
public:
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // Opens an existing key with `access` and closes it again: Ok when the
  // key exists and may be used so.
  RegistryStatus openKey(RegistryRoot root, std::string_view path, RegistryAccess access);

  // Creates the key and its missing parents, or opens it when it exists
  // (for reading and writing). `created`, when given, tells whether the key
  // is new.
  RegistryStatus createKey(RegistryRoot root, std::string_view path,
                           bool* created = nullptr);

  // A REG_SZ (or REG_EXPAND_SZ, not expanded) value. `maxBytes` bounds the
  // text with its terminating zero; a longer one is TooLong. `value` is
  // cleared first.
  RegistryStatus readString(RegistryRoot root, std::string_view path,
                            std::string_view name, std::string& value,
                            std::size_t maxBytes = kMaxRegistryText);
  // A REG_DWORD value of exactly 4 bytes.
  RegistryStatus readDword(RegistryRoot root, std::string_view path,
                           std::string_view name, std::uint32_t& value);

  // Values of an existing key (NotFound when the key is missing).
  RegistryStatus writeString(RegistryRoot root, std::string_view path,
                             std::string_view name, std::string_view value);
  RegistryStatus writeDword(RegistryRoot root, std::string_view path,
                            std::string_view name, std::uint32_t value);
  RegistryStatus deleteValue(RegistryRoot root, std::string_view path,
                             std::string_view name);

  // Deletes a key that has no subkeys (AccessDenied when it has some, as
  // Windows refuses).
  RegistryStatus deleteKey(RegistryRoot root, std::string_view path);
  // Deletes a key with everything below it.
  RegistryStatus deleteTree(RegistryRoot root, std::string_view path);

  // The names of the key's direct subkeys, in the registry's order.
  RegistryStatus listSubkeys(RegistryRoot root, std::string_view path,
                             std::vector<std::string>& names);

protected:
  Registry() = default;
  ~Registry() = default;

  // The backend's half: the fault hook has been asked and found nothing.
  virtual RegistryStatus doOpenKey(RegistryRoot root, std::string_view path,
                                   RegistryAccess access) = 0;
  virtual RegistryStatus doCreateKey(RegistryRoot root, std::string_view path,
                                     bool& created) = 0;
  virtual RegistryStatus doReadString(RegistryRoot root, std::string_view path,
                                      std::string_view name, std::string& value,
                                      std::size_t maxBytes) = 0;
  virtual RegistryStatus doReadDword(RegistryRoot root, std::string_view path,
                                     std::string_view name, std::uint32_t& value) = 0;
  virtual RegistryStatus doWriteString(RegistryRoot root, std::string_view path,
                                       std::string_view name, std::string_view value) = 0;
  virtual RegistryStatus doWriteDword(RegistryRoot root, std::string_view path,
                                      std::string_view name, std::uint32_t value) = 0;
  virtual RegistryStatus doDeleteValue(RegistryRoot root, std::string_view path,
                                       std::string_view name) = 0;
  virtual RegistryStatus doDeleteKey(RegistryRoot root, std::string_view path) = 0;
  virtual RegistryStatus doListSubkeys(RegistryRoot root, std::string_view path,
                                       std::vector<std::string>& names) = 0;
};

// The registry of the system: the real one on Windows; natively one
// in-memory registry per process, empty at start.
Registry& systemRegistry();

} // namespace ravelock::platform
