#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ravelock::app {
namespace {

TEST(CommandLine, SwitchesInTheirOrder) {
  struct Case {
    std::vector<std::string> args;
    Action action;
    std::optional<unsigned> page;
    std::optional<std::string> argument;
  };
  const Case cases[] = {
      {{}, Action::MainWindow, {}, {}},
      {{"/fsapp"}, Action::FirstStart, {}, {}},
      {{"/FSAPP"}, Action::FirstStart, {}, {}},
      {{"\t/lsapp  "}, Action::Uninstall, {}, {}},
      {{"/ENCRYPTION", "1234"}, Action::EncryptHandOff, {}, "1234"},
      {{"/encryption"}, Action::EncryptHandOff, {}, {}},
      {{"/Decryption", "88"}, Action::DecryptHandOff, {}, "88"},
      {{"/ld", "C:\\keys.rlk"}, Action::LoadKeyDatabase, {}, "C:\\keys.rlk"},
      {{"/df", " C:\\Data "}, Action::DecryptFolder, {}, " C:\\Data "},
      {{"/c"}, Action::MainWindow, kPageEncryptDecrypt, {}},
      {{" /d "}, Action::MainWindow, kPageKeyManager, {}},
      {{"/O"}, Action::MainWindow, kPagePreferences, {}},
      {{"/A"}, Action::MainWindow, kPageAbout, {}},
      {{"/x"}, Action::MainWindow, {}, {}},
      {{"/dfx", "C:\\"}, Action::MainWindow, {}, "C:\\"},
      {{"fsapp"}, Action::MainWindow, {}, {}},
      {{""}, Action::MainWindow, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
    const Command command = parseCommandLine(c.args);
    EXPECT_EQ(command.action, c.action);
    EXPECT_EQ(command.page, c.page);
    EXPECT_EQ(command.argument, c.argument);
    EXPECT_EQ(command.firstStart(), c.action == Action::FirstStart);
  }
}

TEST(CommandLine, StartPage) {
  const std::vector<std::string> about = {"/a"}, keys = {" /d "}, unknown = {"/x"};
  EXPECT_EQ(startPage(parseCommandLine(about), 1), kPageAbout);
  EXPECT_EQ(startPage(parseCommandLine(keys), 3), kPageKeyManager);
  EXPECT_EQ(startPage(parseCommandLine(unknown), 2), kPagePreferences);
  EXPECT_EQ(startPage(parseCommandLine({}), 0), kPageEncryptDecrypt);
  EXPECT_EQ(startPage(parseCommandLine({}), 7), kPageAbout);
  EXPECT_EQ(startPage(parseCommandLine(unknown), 4), kPageAbout);
}

} // namespace
} // namespace ravelock::app
