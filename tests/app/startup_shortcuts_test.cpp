// The logon shortcuts in the Startup folder: made to a program of this
// module's folder, told from shortcuts that point elsewhere, deleted (a
// missing one counts as deleted), and a failed save leaves nothing.

#include "app/startup_shortcuts.h"
#include "platform/directory.h"
#include "platform/filesystem.h"
#include "platform/module.h"
#include "support/fault_hooks.h"
#include "support/temp_dir.h"
#include "vellapp/resource.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ravelock::app {
namespace {

namespace fs = std::filesystem;

const int kAnchor = 0;

// The test program carries vellapp's string table.
const ui::Resources& thisModule() {
  static const ui::Resources resources = ui::Resources::ofAddress(&kAnchor);
  return resources;
}

class StartupShortcuts : public testing::Test {
protected:
  void TearDown() override { DeleteStartupShortcut(thisModule(), kName, nullptr); }

  static constexpr unsigned kName = IDS_KEY_MANAGER_SHORTCUT;
  static constexpr unsigned kText = IDS_KEY_MANAGER_SHORTCUT_TEXT;
  const std::string path = StartupShortcutPath(thisModule(), kName).value();
  platform::ComApartment com;
};

TEST_F(StartupShortcuts, MadeOverAnOldFileAndToldFromOthers) {
  EXPECT_EQ(fs::path(path).filename(), "VellFishdatabaseServer.lnk");
  EXPECT_EQ(IsStartupShortcutOurs(thisModule(), kName, "vellserver.exe"), 0);
  test::writeFile(path, "an old file of that name");
  std::string shortPath;
  ASSERT_EQ(
      CreateStartupShortcut(thisModule(), kName, kText, &shortPath, "vellserver.exe"), 1);
  EXPECT_EQ(shortPath, platform::getShortPath(path).value());
  EXPECT_EQ(IsStartupShortcutOurs(thisModule(), kName, "vellserver.exe"), 1);
  // Another program of the folder, or the same name in another folder.
  EXPECT_EQ(IsStartupShortcutOurs(thisModule(), kName, "pondlet.exe"), 0);
  test::TempDir elsewhere;
  const std::string other = elsewhere.file("vellserver.exe");
  test::writeFile(other, "another installation");
  ASSERT_TRUE(platform::WriteShortcut(other, path, "elsewhere"));
  EXPECT_EQ(IsStartupShortcutOurs(thisModule(), kName, "vellserver.exe"), 0);
  // A target that moved is not searched for.
  fs::remove(other);
  EXPECT_EQ(IsStartupShortcutOurs(thisModule(), kName, "vellserver.exe"), 0);
}

TEST_F(StartupShortcuts, DeletedOrMissingCountsAsDeleted) {
  ASSERT_EQ(CreateStartupShortcut(thisModule(), kName, kText, nullptr, "vellserver.exe"),
            1);
  const std::string before = platform::getShortPath(path).value();
  std::string shortPath;
  EXPECT_EQ(DeleteStartupShortcut(thisModule(), kName, &shortPath), 1);
  EXPECT_EQ(shortPath, before);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(DeleteStartupShortcut(thisModule(), kName, &shortPath), 1);
  EXPECT_EQ(shortPath, "");

  // Something there that cannot be deleted is not reported as gone.
  fs::create_directory(path);
  EXPECT_EQ(DeleteStartupShortcut(thisModule(), kName, nullptr), 0);
  fs::remove(path);
}

TEST_F(StartupShortcuts, AFailedSaveLeavesNothing) {
  std::string shortPath = "stale";
  {
    test::FailNth failing(platform::Op::ShellLink, 1);
    EXPECT_EQ(
        CreateStartupShortcut(thisModule(), kName, kText, &shortPath, "vellserver.exe"),
        0);
  }
  EXPECT_EQ(shortPath, "");
  EXPECT_FALSE(fs::exists(path));
}

} // namespace
} // namespace ravelock::app
