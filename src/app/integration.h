#pragma once
// Ties the programs into the shell through the registry: the ".rlk" file
// type, opened through the engine's CallToRun entry by rundll32, and the
// context-menu extension vellhandler, attached to files, folders,
// directories and drives. Each can be installed, removed and detected; the
// registry is the only state.

#include "platform/registry.h"

#include <string>
#include <string_view>

namespace ravelock::app {

inline constexpr std::string_view kHandlerClassId =
    "{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}";
inline constexpr std::string_view kHandlerName = "VellSupport";
inline constexpr std::string_view kDocumentType = "Ravelock";
inline constexpr std::string_view kExtension = ".rlk";
inline constexpr std::string_view kEngineFileName = "velldll.dll";
inline constexpr std::string_view kHandlerFileName = "vellhandler.dll";

// The result of one step of the context-menu operations.
enum StepResult : int {
  kStepFailed = -1,
  kStepNothingToDo = 0, // the key existed and was left as it was
  kStepDone = 1,
  kStepNothingToDelete = 2
};

// Install (with the short path of the program folder's engine, written
// into the icon and open command) or remove the ".rlk" file type: 1 or 0.
int setAssociation(platform::Registry& registry, const std::string& programFolder,
                   bool install);
// Both the extension's key and the document type's key exist.
bool associationPresent(platform::Registry& registry);

// Install (with the short path of the program folder's vellhandler) or
// remove the context-menu extension: 1 when no step failed, else 0.
int setContextMenu(platform::Registry& registry, const std::string& programFolder,
                   bool install);
// The handler of all files is registered.
bool contextMenuPresent(platform::Registry& registry);

} // namespace ravelock::app
