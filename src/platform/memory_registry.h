#pragma once
// A registry held in memory with the system registry's rules: names compare
// without regard to case (ASCII), a key with subkeys cannot be deleted with
// deleteKey, values keep their type. It stands in for the system natively
// and lets tests run the programs' registry rules on both platforms.

#include "platform/registry.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::platform {

class MemoryRegistry final : public Registry {
public:
  MemoryRegistry();
  ~MemoryRegistry();

  // Refuses every change at or below the key (created, written, deleted,
  // opened for writing) with AccessDenied, as the system does for a user
  // without rights there. Reading stays allowed.
  void denyWrites(RegistryRoot root, std::string_view path);

private:
  struct Key;
  using Names = std::vector<std::string>;

  RegistryStatus doOpenKey(RegistryRoot root, std::string_view path,
                           RegistryAccess access) override;
  RegistryStatus doCreateKey(RegistryRoot root, std::string_view path,
                             bool& created) override;
  RegistryStatus doReadString(RegistryRoot root, std::string_view path,
                              std::string_view name, std::string& value,
                              std::size_t maxBytes) override;
  RegistryStatus doReadDword(RegistryRoot root, std::string_view path,
                             std::string_view name, std::uint32_t& value) override;
  RegistryStatus doWriteString(RegistryRoot root, std::string_view path,
                               std::string_view name, std::string_view value) override;
  RegistryStatus doWriteDword(RegistryRoot root, std::string_view path,
                              std::string_view name, std::uint32_t value) override;
  RegistryStatus doDeleteValue(RegistryRoot root, std::string_view path,
                               std::string_view name) override;
  RegistryStatus doDeleteKey(RegistryRoot root, std::string_view path) override;
  RegistryStatus doListSubkeys(RegistryRoot root, std::string_view path,
                               Names& names) override;

  // The key at `path`, or a status saying why there is none.
  RegistryStatus find(RegistryRoot root, std::string_view path, Key*& key);
  RegistryStatus findForWriting(RegistryRoot root, std::string_view path, Key*& key);
  bool writesDenied(RegistryRoot root, const Names& path) const;

  std::mutex mutex_;
  std::array<std::unique_ptr<Key>, 5> roots_;
  std::vector<std::pair<RegistryRoot, Names>> denied_;
};

} // namespace ravelock::platform
