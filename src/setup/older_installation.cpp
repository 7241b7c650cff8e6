#include "setup/older_installation.h"
#include "platform/directory.h"
#include "platform/file.h"
#include "platform/filesystem.h"

#include <string_view>

namespace ravelock::setup {

std::optional<std::string> findOlderDataFile(const std::string& folder) {
  using namespace platform;
  const auto entries = listDirectory(folder, "*.uds");
  if (!entries)
    return std::nullopt;
  for (const DirectoryEntry& entry : *entries) {
    if (entry.attributes & kAttrDirectory)
      continue;
    const std::string path = folder + entry.name;
    File file = File::open(path.c_str(), Access::Read, Share::ReadWrite,
                           Disposition::OpenExisting);
    std::uint64_t size = 0;
    if (file.isOpen() && file.size(size) && size <= kMaxOlderDataFileSize)
      return path;
  }
  return std::nullopt;
}

int checkOlderInstallation(platform::Registry& registry, SetupHost& host) {
  using platform::RegistryRoot;
  using platform::RegistryStatus;
  std::uint32_t version = 0;
  if (registry.readDword(RegistryRoot::LocalMachine, kInstallKey, kProgramVersionValue,
                         version) != RegistryStatus::Ok ||
      version >= kCurrentProgramVersion)
    return kSetupGoesOn;
  std::string folder;
  if (registry.readString(RegistryRoot::LocalMachine, kInstallKey, kProgramPathValue,
                          folder, kProgramPathBuffer) != RegistryStatus::Ok ||
      folder.empty())
    return kSetupGoesOn;
  if (!platform::isPathSeparator(folder.back()))
    folder += platform::kPathSeparator;
  const std::optional<std::string> dataFile = findOlderDataFile(folder);
  if (!dataFile)
    return kSetupGoesOn;

  // Built piece by piece: the folder is the question's one "%s".
  const std::string_view text = kOlderVersionQuestion;
  const std::size_t at = text.find("%s");
  std::string question(text.substr(0, at));
  question.append(folder).append(text.substr(at + 2));
  switch (host.askInstaller(question)) {
  case InstallerAnswer::Cancel: return kSetupCancelled;
  case InstallerAnswer::No: return kSetupGoesOn;
  case InstallerAnswer::Yes: break;
  }
  // The setup goes on whatever the removal ends with.
  removeInstallation(*dataFile, host, registry, RemovalMode::Setup);
  return kSetupGoesOn;
}

} // namespace ravelock::setup
