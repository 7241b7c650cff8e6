#include "app/integration.h"
#include "platform/filesystem.h"

#include <array>
#include <optional>

namespace ravelock::app {

namespace {

using platform::Registry;
using platform::RegistryAccess;
using platform::RegistryRoot;
using platform::RegistryStatus;

constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;
constexpr std::string_view kDocumentDescription = "Ravelock encrypted file";
constexpr std::string_view kApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr std::string_view kApprovedText = "Ravelock encrypting";
constexpr std::string_view kThreadingModel = "Apartment";
constexpr std::array<std::string_view, 4> kHandlerTypes = {"*", "Folder", "Directory",
                                                           "Drive"};

std::string join(std::string_view a, std::string_view b) {
  std::string path(a);
  path += '\\';
  path += b;
  return path;
}

std::string classKey() {
  return join("CLSID", kHandlerClassId);
}

std::string handlerKey(std::string_view type) {
  return join(join(type, "Shellex\\ContextMenuHandlers"), kHandlerName);
}

bool ok(RegistryStatus status) {
  return status == RegistryStatus::Ok;
}

// A deletion counts when it happened or there was nothing to delete.
StepResult deletion(RegistryStatus status) {
  switch (status) {
  case RegistryStatus::Ok: return kStepDone;
  case RegistryStatus::NotFound: return kStepNothingToDelete;
  default: return kStepFailed;
  }
}

// Writes, into a key made for the purpose, the values it is new for.
StepResult createWithDefault(Registry& registry, const std::string& key,
                             std::string_view text) {
  bool created = false;
  if (!ok(registry.createKey(kClasses, key, &created)))
    return kStepFailed;
  if (!created)
    return kStepNothingToDo;
  return ok(registry.writeString(kClasses, key, "", text)) ? kStepDone : kStepFailed;
}

std::optional<std::string> libraryShortPath(const std::string& programFolder,
                                            std::string_view fileName) {
  return platform::getShortPath(programFolder + std::string(fileName));
}

int installAssociation(Registry& registry, const std::string& enginePath) {
  const std::string extension(kExtension);
  const std::string type(kDocumentType);
  if (!ok(registry.createKey(kClasses, extension)))
    return 0;
  // Past the extension's key the install stops quietly at a failure.
  if (!ok(registry.writeString(kClasses, extension, "", kDocumentType)))
    return 1;
  if (!ok(registry.createKey(kClasses, type)))
    return 1;
  registry.writeString(kClasses, type, "", kDocumentDescription);
  const std::string icon = join(type, "DefaultIcon");
  if (ok(registry.createKey(kClasses, icon)))
    registry.writeString(kClasses, icon, "", "\"" + enginePath + "\",0");
  std::string command = type;
  for (std::string_view level : {"Shell", "open", "command"}) {
    command = join(command, level);
    if (!ok(registry.createKey(kClasses, command)))
      return 1;
  }
  registry.writeString(kClasses, command, "",
                       "rundll32.exe " + enginePath + ",CallToRun %1");
  return 1;
}

int removeAssociation(Registry& registry) {
  const std::string type(kDocumentType);
  const std::string keys[] = {
      std::string(kExtension),   join(type, "Shell\\open\\command"),
      join(type, "Shell\\open"), join(type, "Shell"),
      join(type, "DefaultIcon"), type};
  bool all = true;
  for (const std::string& key : keys)
    all = deletion(registry.deleteKey(kClasses, key)) != kStepFailed && all;
  return all ? 1 : 0;
}

StepResult installClass(Registry& registry, const std::string& handlerPath) {
  const std::string key = classKey();
  const StepResult made = createWithDefault(registry, key, kDocumentDescription);
  if (made != kStepDone)
    return made;
  const std::string server = join(key, "InProcServer32");
  const StepResult serverMade = createWithDefault(registry, server, handlerPath);
  if (serverMade == kStepFailed)
    return kStepFailed;
  if (serverMade == kStepDone &&
      !ok(registry.writeString(kClasses, server, "ThreadingModel", kThreadingModel)))
    return kStepFailed;
  return kStepDone;
}

// The key is only opened, never created: it belongs to the system.
StepResult approve(Registry& registry) {
  constexpr RegistryRoot machine = RegistryRoot::LocalMachine;
  if (!ok(registry.openKey(machine, kApprovedKey, RegistryAccess::Write)))
    return kStepFailed;
  return ok(registry.writeString(machine, kApprovedKey, kHandlerClassId, kApprovedText))
             ? kStepDone
             : kStepFailed;
}

int installContextMenu(Registry& registry, const std::string& handlerPath) {
  bool failed = installClass(registry, handlerPath) == kStepFailed;
  failed = approve(registry) == kStepFailed || failed;
  for (std::string_view type : kHandlerTypes)
    failed =
        createWithDefault(registry, handlerKey(type), kHandlerClassId) == kStepFailed ||
        failed;
  return failed ? 0 : 1;
}

int removeContextMenu(Registry& registry) {
  bool failed = false;
  for (auto type = kHandlerTypes.rbegin(); type != kHandlerTypes.rend(); ++type)
    failed = deletion(registry.deleteKey(kClasses, handlerKey(*type))) == kStepFailed ||
             failed;
  failed = deletion(registry.deleteValue(RegistryRoot::LocalMachine, kApprovedKey,
                                         kHandlerClassId)) == kStepFailed ||
           failed;
  const StepResult server =
      deletion(registry.deleteKey(kClasses, join(classKey(), "InProcServer32")));
  failed = server == kStepFailed || failed;
  if (server == kStepDone)
    failed = deletion(registry.deleteKey(kClasses, classKey())) == kStepFailed || failed;
  return failed ? 0 : 1;
}

} // namespace

int setAssociation(Registry& registry, const std::string& programFolder, bool install) {
  if (!install)
    return removeAssociation(registry);
  const auto engine = libraryShortPath(programFolder, kEngineFileName);
  return engine ? installAssociation(registry, *engine) : 0;
}

bool associationPresent(Registry& registry) {
  return ok(registry.openKey(kClasses, kDocumentType, RegistryAccess::Read)) &&
         ok(registry.openKey(kClasses, kExtension, RegistryAccess::Read));
}

int setContextMenu(Registry& registry, const std::string& programFolder, bool install) {
  if (!install)
    return removeContextMenu(registry);
  const auto handler = libraryShortPath(programFolder, kHandlerFileName);
  return handler ? installContextMenu(registry, *handler) : 0;
}

bool contextMenuPresent(Registry& registry) {
  return ok(registry.openKey(kClasses, handlerKey("*"), RegistryAccess::Read));
}

} // namespace ravelock::app
