// vellsetup's decision on the registry values and the older installation's
// folder.

#include "platform/directory.h"
#include "platform/memory_registry.h"
#include "setup/older_installation.h"
#include "setup/scripted_host.h"
#include "setup/uninstall_data.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ravelock::setup {
namespace {

namespace fs = std::filesystem;

class OlderInstallation : public ::testing::Test {
protected:
  void SetUp() override {
    folder = dir.file("old");
    fs::create_directories(folder);
    ravelock::test::writeFile(in("app.exe"), "app");
    ravelock::test::writeFile(in("setup-copy.exe"), "own path");
    data.caption = "Ravelock";
    data.question = "Remove the old one?";
    data.ownPath = in("setup-copy.exe");
    data.entries = {{kEntryFile, 0, 0, "", in("app.exe")}};
  }
  std::string in(const std::string& name) const {
    return folder + platform::kPathSeparator + name;
  }
  void saveData(const std::string& name = "old.uds") {
    ASSERT_TRUE(writeUninstallDataFile(in(name), data));
  }
  // The installation values as the main program writes them; nothing for
  // a value left out.
  int check(std::optional<std::uint32_t> version,
            std::optional<std::string> path = std::nullopt) {
    using platform::RegistryRoot;
    platform::MemoryRegistry registry;
    registry.createKey(RegistryRoot::LocalMachine, kInstallKey);
    if (version)
      registry.writeDword(RegistryRoot::LocalMachine, kInstallKey, kProgramVersionValue,
                          *version);
    registry.writeString(RegistryRoot::LocalMachine, kInstallKey, kProgramPathValue,
                         path.value_or(folder));
    if (path && path->empty())
      registry.deleteValue(RegistryRoot::LocalMachine, kInstallKey, kProgramPathValue);
    return checkOlderInstallation(registry, host);
  }

  ravelock::test::TempDir dir;
  std::string folder; // as the registry holds it: without a final separator
  UninstallData data;
  fixtures::ScriptedHost host;
};

TEST_F(OlderInstallation, NothingToAskAbout) {
  saveData();
  EXPECT_EQ(check(std::nullopt), kSetupGoesOn);
  EXPECT_EQ(check(2), kSetupGoesOn);
  EXPECT_EQ(check(3), kSetupGoesOn);
  EXPECT_EQ(check(1, ""), kSetupGoesOn); // no folder value
  EXPECT_EQ(check(1, std::string(kProgramPathBuffer, 'x')), kSetupGoesOn); // too long
  EXPECT_TRUE(host.questions.empty());
  EXPECT_TRUE(fs::exists(in("app.exe")));
}

TEST_F(OlderInstallation, OnlyADataFileOfAtMost4000Bytes) {
  data.question.assign(2000, 'q'); // a valid file, larger than 4000 bytes
  data.allRemovedMessage.assign(2000, 'a');
  saveData("big.uds");
  EXPECT_EQ(check(1), kSetupGoesOn);
  EXPECT_TRUE(host.questions.empty());
  EXPECT_FALSE(findOlderDataFile(folder + platform::kPathSeparator));

  fs::resize_file(in("big.uds"), kMaxOlderDataFileSize);
  EXPECT_EQ(findOlderDataFile(folder + platform::kPathSeparator), in("big.uds"));
}

TEST_F(OlderInstallation, CancelNoAndYes) {
  saveData();
  host.installerAnswer = InstallerAnswer::Cancel;
  EXPECT_EQ(check(1), kSetupCancelled);
  ASSERT_EQ(host.questions.size(), 1u);
  std::string expected = kOlderVersionQuestion;
  expected.replace(expected.find("%s"), 2, folder + platform::kPathSeparator);
  EXPECT_EQ(host.questions[0], expected);

  host.installerAnswer = InstallerAnswer::No;
  EXPECT_EQ(check(1), kSetupGoesOn);
  EXPECT_TRUE(fs::exists(in("app.exe")));

  host = {};
  EXPECT_EQ(check(1), kSetupGoesOn);
  EXPECT_EQ(host.questions.size(), 2u); // the installer's, then the data file's
  EXPECT_EQ(host.questions[1], "Remove the old one?");
  EXPECT_FALSE(fs::exists(in("app.exe")));
  EXPECT_FALSE(fs::exists(in("old.uds")));
  EXPECT_TRUE(fs::exists(in("setup-copy.exe"))); // the own path stays
}

TEST_F(OlderInstallation, AFailedRemovalStillLetsTheSetupGoOn) {
  data.flags = kRunProgram1;
  data.program1FailureMode = kFailureStops;
  saveData();
  host.programResults = {kNotStarted};
  EXPECT_EQ(check(1), kSetupGoesOn);
  EXPECT_TRUE(fs::exists(in("app.exe")));
}

} // namespace
} // namespace ravelock::setup
