#include "app/command_line.h"
#include "platform/text.h"

#include <string_view>

namespace ravelock::app {

namespace {

std::string trimmed(const std::string& text) {
  constexpr std::string_view kBlanks = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

struct SwitchEntry {
  const char* text;
  Action action;
  std::optional<unsigned> page;
};

// In the order they are tested.
constexpr SwitchEntry kSwitches[] = {
    {"/fsapp", Action::FirstStart, {}},
    {"/lsapp", Action::Uninstall, {}},
    {"/encryption", Action::EncryptHandOff, {}},
    {"/decryption", Action::DecryptHandOff, {}},
    {"/ld", Action::LoadKeyDatabase, {}},
    {"/df", Action::DecryptFolder, {}},
    {"/c", Action::MainWindow, kPageEncryptDecrypt},
    {"/d", Action::MainWindow, kPageKeyManager},
    {"/o", Action::MainWindow, kPagePreferences},
    {"/a", Action::MainWindow, kPageAbout},
};

} // namespace

Command parseCommandLine(std::span<const std::string> arguments) {
  Command command;
  if (arguments.empty())
    return command;
  const std::string given = trimmed(arguments[0]);
  for (const SwitchEntry& entry : kSwitches) {
    if (!platform::equalIgnoringCase(given, entry.text))
      continue;
    command.action = entry.action;
    command.page = entry.page;
    break;
  }
  if (arguments.size() > 1)
    command.argument = arguments[1];
  return command;
}

unsigned startPage(const Command& command, unsigned storedPage) {
  const unsigned page = command.page.value_or(storedPage);
  return page < kPageCount ? page : kPageAbout;
}

} // namespace ravelock::app
