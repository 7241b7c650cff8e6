#pragma once
// A RemovalHost that answers from a script and records what it was asked.

#include "setup/older_installation.h"

#include <deque>
#include <string>
#include <vector>

namespace ravelock::setup::fixtures {

struct ProgramRun {
  std::string path, arguments;
  bool wait;
};

class ScriptedHost : public SetupHost {
public:
  std::deque<bool> yesNoAnswers; // empty: Yes
  InstallerAnswer installerAnswer = InstallerAnswer::Yes;
  std::vector<int> programResults; // by run; missing: 0

  std::vector<std::string> questions; // every question's text, in order
  std::vector<std::pair<std::string, MessageIcon>> messages;
  std::vector<ProgramRun> runs;
  std::vector<std::string> registryCalls; // "key H\path" or "value H\path\name"
  std::vector<std::string> sessionEnds;   // "restart" or "logoff"
  std::uint32_t sleptMs = 0;

  bool askYesNo(const std::string&, const std::string& text) override {
    questions.push_back(text);
    if (yesNoAnswers.empty())
      return true;
    const bool yes = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return yes;
  }
  InstallerAnswer askInstaller(const std::string& text) override {
    questions.push_back(text);
    return installerAnswer;
  }
  void showMessage(const std::string&, const std::string& text,
                   MessageIcon icon) override {
    messages.emplace_back(text, icon);
  }
  int runProgram(const std::string& path, const std::string& arguments,
                 bool wait) override {
    const std::size_t n = runs.size();
    runs.push_back({path, arguments, wait});
    return n < programResults.size() ? programResults[n] : 0;
  }
  void restartSystem() override { sessionEnds.push_back("restart"); }
  void logOff() override { sessionEnds.push_back("logoff"); }
  void sleep(std::uint32_t ms) override { sleptMs += ms; }
};

} // namespace ravelock::setup::fixtures
