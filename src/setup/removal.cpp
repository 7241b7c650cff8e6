#include "setup/removal.h"
#include "platform/filesystem.h"
#include "platform/text.h"
#include "setup/uninstall_data.h"

namespace ravelock::setup {

namespace {

using namespace platform;

// The data file numbers the hives as the seam's roots.
static_assert(static_cast<int>(RegistryRoot::ClassesRoot) == kHiveClassesRoot);
static_assert(static_cast<int>(RegistryRoot::CurrentUser) == kHiveCurrentUser);
static_assert(static_cast<int>(RegistryRoot::LocalMachine) == kHiveLocalMachine);
static_assert(static_cast<int>(RegistryRoot::Users) == kHiveUsers);
static_assert(static_cast<int>(RegistryRoot::CurrentConfig) == kHiveCurrentConfig);

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string longForm(const std::string& path) {
  char buffer[kMaxPathBuffer];
  const std::size_t n = getLongPath(path.c_str(), buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

// Program 1 runs before anything is removed. Returns the exit code that
// ends the removal, or nothing to go on.
std::optional<int> runProgram1(const UninstallData& data, RemovalHost& host) {
  const int code = host.runProgram(data.program1Path, data.program1Arguments, true);
  if (code == 0)
    return std::nullopt;
  if (code != kNotStarted)
    return kExitProgram1Failed;
  const bool stops = data.program1FailureMode & kFailureStops;
  const bool shows = data.program1FailureMode & kFailureShowsText;
  if (shows)
    host.showMessage(data.caption, data.program1ErrorText,
                     stops ? MessageIcon::Stop : MessageIcon::Information);
  if (stops)
    return shows ? kExitProgram1NotStartedShown : kExitProgram1NotStarted;
  return std::nullopt;
}

// False when the file is still there afterwards.
bool removeFileEntry(const UninstallEntry& entry) {
  const char* path = entry.path.c_str();
  setAttributes(path, kAttrNormal);
  const bool gone = deleteFile(path) || !pathExists(path);
  if (entry.option == 1)
    removeFolder(folderOf(entry.path).c_str());
  return gone;
}

// Failures are not counted: what is left in the registry is not shown.
void removeRegistryEntry(const UninstallEntry& entry, Registry& registry) {
  if (entry.hive > kHiveCurrentConfig)
    return; // no such hive to open
  const auto root = static_cast<RegistryRoot>(entry.hive);
  if (entry.option == 0) {
    registry.deleteValue(root, entry.path, entry.valueName);
    return;
  }
  std::string_view key = entry.path;
  if (!key.empty() && key.back() == '\\')
    key.remove_suffix(1);
  if (!key.empty()) // never a whole hive
    registry.deleteTree(root, key);
}

} // namespace

int removeInstallation(const std::string& dataPath, RemovalHost& host, Registry& registry,
                       RemovalMode mode) {
  UninstallData data;
  if (readUninstallDataFile(dataPath, data) != DataFileResult::Ok)
    return kExitCannotOpenData;
  if (!host.askYesNo(data.caption, data.question))
    return kExitDeclined;

  if (data.flags & kRunProgram1) {
    if (const std::optional<int> stop = runProgram1(data, host))
      return *stop;
    host.sleep(kAfterProgram1WaitMs);
  }

  bool somethingLeft = false;
  for (const UninstallEntry& entry : data.entries) {
    if (entry.type == kEntryFile)
      somethingLeft |= !removeFileEntry(entry);
    else if (entry.type == kEntryRegistry)
      removeRegistryEntry(entry, registry);
  }

  if (mode == RemovalMode::Uninstall) {
    setAttributes(data.ownPath.c_str(), kAttrNormal);
    deleteFile(data.ownPath.c_str());
  }
  setAttributes(dataPath.c_str(), kAttrNormal);
  deleteFile(dataPath.c_str());

  if (data.flags & kRunProgram2)
    host.runProgram(data.program2Path, data.program2Arguments,
                    !(data.flags & kNoWaitForProgram2));

  const std::string folder = folderOf(dataPath);
  if (!removeFolder(folder.c_str()) && pathExists(folder.c_str()))
    somethingLeft = true;

  host.showMessage(data.caption,
                   somethingLeft ? data.somethingLeftMessage : data.allRemovedMessage,
                   MessageIcon::Information);

  if (data.offersRestartOrLogoff() && host.askYesNo(data.caption, data.restartQuestion)) {
    if (data.flags & kOfferRestart)
      host.restartSystem();
    else
      host.logOff();
  }
  return kExitDone;
}

bool handOverToTemporaryCopy(const std::string& ownPath, const std::string& arguments,
                             RemovalHost& host) {
  const std::string temporaryFolderPath = temporaryFolder();
  if (temporaryFolderPath.empty())
    return false;
  const std::string copy = temporaryFolderPath + fileNameOf(ownPath);
  if (samePath(copy, ownPath) || samePath(longForm(copy), longForm(ownPath)))
    return false;
  return copyFile(ownPath.c_str(), copy.c_str()) &&
         host.runProgram(copy, arguments, false) != kNotStarted;
}

} // namespace ravelock::setup
