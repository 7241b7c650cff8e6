#pragma once
// vellapp's command line: the first argument is the switch (trimmed,
// compared without regard to case), the second the argument of the
// switches that take one, used as it stands.

#include <optional>
#include <span>
#include <string>

namespace ravelock::app {

// The main window's pages, by the index the option APPpage stores.
enum Page : unsigned {
  kPageEncryptDecrypt = 0,
  kPageKeyManager = 1,
  kPagePreferences = 2,
  kPageAbout = 3,
  kPageCount = 4
};

enum class Action {
  MainWindow,      // no switch, a page switch or an unknown one
  FirstStart,      // "/fsapp"
  Uninstall,       // "/lsapp"
  EncryptHandOff,  // "/encryption" HANDLE
  DecryptHandOff,  // "/decryption" HANDLE
  LoadKeyDatabase, // "/ld" PATH
  DecryptFolder    // "/df" FOLDER
};

struct Command {
  Action action = Action::MainWindow;
  std::optional<unsigned> page;        // a page switch ("/c", "/d", "/o", "/a")
  std::optional<std::string> argument; // the second argument, untrimmed
  // "/fsapp": a key server that has to be started shows no icon.
  bool firstStart() const { return action == Action::FirstStart; }
};

// `arguments` as the C runtime splits the command line, without the
// program's own name.
Command parseCommandLine(std::span<const std::string> arguments);

// The page the main window opens on: the page switch's, else the stored one
// (any value other than 0 to 3 gives the About page).
unsigned startPage(const Command& command, unsigned storedPage);

} // namespace ravelock::app
