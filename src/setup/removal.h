#pragma once
// Removing an installation by replaying its uninstall data file: the steps
// velluninst runs after its temporary copy has taken over, and vellsetup
// runs for an older installation. Files and the registry go through the
// platform seam; what the user sees, the programs run and the end of the
// session go through a RemovalHost, so the steps are the same natively and
// under Windows and a test can script every answer.

#include "platform/registry.h"

#include <cstdint>
#include <string>

namespace ravelock::setup {

// velluninst's exit codes.
enum UninstallExit : int {
  kExitDone = 0,                    // finished, or handed over to the copy
  kExitCannotOpenData = 1,          // the data file cannot be opened
  kExitDeclined = 2,                // the user answered No
  kExitProgram1NotStartedShown = 3, // program 1 could not start; text shown
  kExitProgram1NotStarted = 4,      // program 1 could not start; no text
  kExitProgram1Failed = 5           // program 1 ended with a non-zero code
};

// A program run's result when the program could not be started.
inline constexpr int kNotStarted = -1;

enum class MessageIcon : std::uint8_t { Information, Stop };

class RemovalHost {
public:
  // Yes/No with a question icon; true for Yes.
  virtual bool askYesNo(const std::string& caption, const std::string& text) = 0;
  virtual void showMessage(const std::string& caption, const std::string& text,
                           MessageIcon icon) = 0;
  // Starts `path` with the launcher's command line (short path, a blank,
  // `arguments`) and, with `wait`, waits for its exit code. kNotStarted
  // when it cannot be started; 0 when started without waiting.
  virtual int runProgram(const std::string& path, const std::string& arguments,
                         bool wait) = 0;
  virtual void restartSystem() = 0;
  virtual void logOff() = 0;
  virtual void sleep(std::uint32_t milliseconds) = 0;

protected:
  ~RemovalHost() = default;
};

enum class RemovalMode : std::uint8_t {
  Uninstall, // velluninst: the own-path file named in the data file goes too
  Setup      // vellsetup: the running setup keeps the own-path file
};

// Steps 3 to 12 of the uninstall on the data file at `dataPath`: read it
// whole (refused before anything is removed), ask, run program 1, remove
// the entries, the own path and the data file, run program 2, remove the
// data file's folder, report, offer a restart or logoff. Returns the exit
// code.
int removeInstallation(const std::string& dataPath, RemovalHost& host,
                       platform::Registry& registry, RemovalMode mode);

// Step 1: when the running tool at `ownPath` is not yet the copy in the
// temporary folder, copies itself there (replacing an older copy) and starts
// the copy with `arguments` without waiting. True when the copy took over
// (the tool then ends with kExitDone); false to go on in place.
bool handOverToTemporaryCopy(const std::string& ownPath, const std::string& arguments,
                             RemovalHost& host);

// Waits of the removal, in milliseconds.
inline constexpr std::uint32_t kHandOverWaitMs = 500; // the first process ends
inline constexpr std::uint32_t kAfterProgram1WaitMs = 800;

} // namespace ravelock::setup
