#pragma once
// The setup tools' surroundings on Windows: message boxes without an owner,
// programs started as the launcher starts them, the end of the session.

#include "setup/older_installation.h"

#include <string>

namespace ravelock::setup {

class WindowsHost final : public SetupHost {
public:
  bool askYesNo(const std::string& caption, const std::string& text) override;
  void showMessage(const std::string& caption, const std::string& text,
                   MessageIcon icon) override;
  InstallerAnswer askInstaller(const std::string& text) override;
  int runProgram(const std::string& path, const std::string& arguments,
                 bool wait) override;
  void restartSystem() override;
  void logOff() override;
  void sleep(std::uint32_t milliseconds) override;
};

// The process's command line after the program's own name and the blanks
// behind it, as the system passed it (quotes kept).
std::string commandLineArguments();

} // namespace ravelock::setup
