#pragma once
// vellsetup's decision: is there an older installation, does the user want
// it removed, and may the setup go on.

#include "setup/removal.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ravelock::setup {

// vellsetup's exit codes.
enum SetupExit : int { kSetupGoesOn = 0, kSetupCancelled = 1 };

// Where the main program records its installation.
inline constexpr char kInstallKey[] = "Software\\Harrowby\\Quillery";
inline constexpr char kProgramVersionValue[] = "VellProgramVersion";
inline constexpr char kProgramPathValue[] = "VellProgramPath";
// The folder is read into this many bytes, zero byte included.
inline constexpr std::size_t kProgramPathBuffer = 300;

// Installations of this version or later need no removal.
inline constexpr std::uint32_t kCurrentProgramVersion = 2;
// A larger ".uds" is not taken as an older installation's.
inline constexpr std::uint64_t kMaxOlderDataFileSize = 4000;

inline constexpr char kInstallerCaption[] = "Ravelock Installer";
inline constexpr char kOlderVersionQuestion[] =
    "Previous version of Ravelock was found on this computer.\n\nInstall folder: "
    "%s\nWould you like to uninstall it now? (recommended)\n\nYes - uninstall previous "
    "version and proceed with the setup.\nNo - proceed with the setup without "
    "uninstalling the previous version.\nCancel - abort the setup.\n";

enum class InstallerAnswer : std::uint8_t { Yes, No, Cancel };

class SetupHost : public RemovalHost {
public:
  // The installer's question (Yes/No/Cancel, question icon, topmost and in
  // the foreground) with `text`.
  virtual InstallerAnswer askInstaller(const std::string& text) = 0;

protected:
  ~SetupHost() = default;
};

// The first "*.uds" file in `folder` (ending in a separator) of at most
// kMaxOlderDataFileSize bytes, in the system's listing order.
std::optional<std::string> findOlderDataFile(const std::string& folder);

// The whole decision on the installation values in `registry`, and the
// removal when the user asks for it. Returns the exit code.
int checkOlderInstallation(platform::Registry& registry, SetupHost& host);

} // namespace ravelock::setup
