// The installer's manifest turned into the data file of one installation.

#include "platform/directory.h"
#include "setup/install_manifest.h"

#include <gtest/gtest.h>

namespace ravelock::setup {
namespace {

constexpr char kManifest[] = "# what the build installs\n"
                             "caption\tRavelock\n"
                             "question\tRemove?\\nReally?\r\n"
                             "all-removed\tGone.\n"
                             "something-left\tLeft.\n"
                             "program1\tvellapp.exe\t/lsapp\n"
                             "program1-failure\t2\n"
                             "program1-error\tNo app.\n"
                             "own-path\tvelluninst.exe\n"
                             "\n"
                             "file\tvellapp.exe\n"
                             "file-and-folder\thelp/ravelock.chm\n"
                             "registry-key\t2\tSoftware\\Uninstall\\Ravelock\n"
                             "registry-value\t2\tSoftware\\Approved\t{5BCD}\n";

TEST(InstallManifest, EveryLineKind) {
  std::string error;
  const auto data = dataFromManifest(kManifest, "C:\\Apps\\Ravelock", error);
  ASSERT_TRUE(data) << error;
  const std::string folder = std::string("C:\\Apps\\Ravelock") + platform::kPathSeparator;
  const char s = platform::kPathSeparator;
  EXPECT_EQ(data->caption, "Ravelock");
  EXPECT_EQ(data->question, "Remove?\nReally?");
  EXPECT_EQ(data->allRemovedMessage, "Gone.");
  EXPECT_EQ(data->somethingLeftMessage, "Left.");
  EXPECT_EQ(data->flags, kRunProgram1);
  EXPECT_EQ(data->program1Path, folder + "vellapp.exe");
  EXPECT_EQ(data->program1Arguments, "/lsapp");
  EXPECT_EQ(data->program1FailureMode, kFailureShowsText);
  EXPECT_EQ(data->program1ErrorText, "No app.");
  EXPECT_EQ(data->ownPath, folder + "velluninst.exe");
  ASSERT_EQ(data->entries.size(), 4u);
  EXPECT_EQ(data->entries[0].path, folder + "vellapp.exe");
  EXPECT_EQ(data->entries[1].path, folder + "help" + s + "ravelock.chm");
  EXPECT_EQ(data->entries[1].option, 1);
  EXPECT_EQ(data->entries[2].type, kEntryRegistry);
  EXPECT_EQ(data->entries[2].option, 1);
  EXPECT_EQ(data->entries[2].hive, kHiveLocalMachine);
  EXPECT_EQ(data->entries[2].path, "Software\\Uninstall\\Ravelock");
  EXPECT_EQ(data->entries[3].option, 0);
  EXPECT_EQ(data->entries[3].valueName, "{5BCD}");

  UninstallData withShortcut = *data;
  addOutsideFile(withShortcut, "C:\\Start\\Ravelock\\Ravelock.lnk", true);
  EXPECT_EQ(withShortcut.entries.back().option, 1);
  EXPECT_TRUE(serializeUninstallData(withShortcut));
}

TEST(InstallManifest, RefusesWhatItDoesNotKnow) {
  for (const char* bad :
       {"caption\n", "program1\tvellapp.exe\n", "file\ta\tb\n", "registry-key\tx\tKey\n",
        "program1-failure\t300\n", "uninstall\teverything\n"}) {
    std::string error;
    EXPECT_FALSE(dataFromManifest(std::string("caption\tok\n") + bad, "C:\\R", error))
        << bad;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
}

} // namespace
} // namespace ravelock::setup
