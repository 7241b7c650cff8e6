#include "app/install_info.h"
#include "platform/text.h"

namespace ravelock::app {

namespace {

using platform::RegistryRoot;
using platform::RegistryStatus;

constexpr std::size_t kMaxStoredPath = 260; // bytes, terminator included

} // namespace

int writeInstallInfo(platform::Registry& registry, const std::string& programFolder) {
  constexpr RegistryRoot machine = RegistryRoot::LocalMachine;
  std::string stored;
  const RegistryStatus read = registry.readString(machine, kInstallKey, kProgramPathValue,
                                                  stored, kMaxStoredPath);
  if (read != RegistryStatus::Ok || !platform::equalIgnoringCase(stored, programFolder)) {
    bool created = false;
    if (registry.createKey(machine, kInstallKey, &created) != RegistryStatus::Ok)
      return 0;
    if (created && registry.writeString(machine, kInstallKey, "", kInstallKeyDefault) !=
                       RegistryStatus::Ok)
      return 0;
    if (registry.writeString(machine, kInstallKey, kProgramPathValue, programFolder) !=
        RegistryStatus::Ok)
      return 0;
  }
  if (registry.createKey(machine, kInstallKey) != RegistryStatus::Ok)
    return 0;
  std::uint32_t version = 0;
  if (registry.readDword(machine, kInstallKey, kProgramVersionValue, version) !=
          RegistryStatus::Ok ||
      version != kProgramVersion) {
    if (registry.writeDword(machine, kInstallKey, kProgramVersionValue,
                            kProgramVersion) != RegistryStatus::Ok)
      return 0;
  }
  return 1;
}

} // namespace ravelock::app
