// Shortcut files: written with or without arguments, read back as their
// target, overwritten, refused when the seam fails them.
// Natively there are no shell links.

#include "platform/directory.h"
#include "platform/fault_injection.h"
#include "platform/filesystem.h"
#include "support/fault_hooks.h"
#include "support/shell_link_reader.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ravelock::platform {
namespace {

class Shortcuts : public testing::Test {
protected:
  void SetUp() override {
#ifndef _WIN32
    GTEST_SKIP() << "no shell links natively";
#endif
    test::writeFile(target, "program");
    test::writeFile(other, "other program");
  }

  ComApartment com;
  test::TempDir dir;
  const std::string target = dir.file("a long program name.exe");
  const std::string other = dir.file("other.exe");
  const std::string link = dir.file("start it.lnk");
};

TEST_F(Shortcuts, WrittenShortcutsResolveToTheTargetsShortPath) {
  ASSERT_TRUE(WriteShortcut(target, link, "starts it"));
  std::string stored, arguments;
  ASSERT_TRUE(test::readShellLink(link, stored, arguments));
  EXPECT_EQ(arguments, "");
  const auto resolved = ResolveShortcutTarget(link);
  ASSERT_TRUE(resolved);
  EXPECT_EQ(getShortPath(*resolved), getShortPath(target));

  // Written again with arguments over the first one.
  ASSERT_TRUE(WriteShortcut(other, link, "starts the other", "/x \"y\""));
  ASSERT_TRUE(test::readShellLink(link, stored, arguments));
  EXPECT_EQ(arguments, "/x \"y\"");
  EXPECT_EQ(getShortPath(ResolveShortcutTarget(link).value()), getShortPath(other));
}

TEST_F(Shortcuts, MissingDamagedOrRefusedShortcutsResolveToNothing) {
  EXPECT_FALSE(ResolveShortcutTarget(link));
  test::writeFile(link, "not a shortcut");
  EXPECT_FALSE(ResolveShortcutTarget(link));

  ASSERT_TRUE(WriteShortcut(target, link, "starts it"));
  {
    test::FailNth failing(Op::ShellLink, 1);
    EXPECT_FALSE(ResolveShortcutTarget(link));
  }
  std::filesystem::remove(link);
  {
    test::FailNth failing(Op::ShellLink, 1);
    EXPECT_FALSE(WriteShortcut(target, link, "starts it"));
  }
  EXPECT_FALSE(std::filesystem::exists(link));
}

// A new shortcut that cannot be written leaves the old one whole.
TEST_F(Shortcuts, AFailedReplacementKeepsTheOldShortcut) {
  ASSERT_TRUE(WriteShortcut(target, link, "starts it"));
  const std::string before = test::readFile(link);
  std::filesystem::create_directory(link + ".new");
  EXPECT_FALSE(WriteShortcut(other, link, "starts the other"));
  EXPECT_EQ(test::readFile(link), before);
  std::filesystem::remove(link + ".new");
  ASSERT_TRUE(WriteShortcut(other, link, "starts the other"));
  EXPECT_FALSE(std::filesystem::exists(link + ".new"));
  EXPECT_EQ(getShortPath(ResolveShortcutTarget(link).value()), getShortPath(other));
}

} // namespace
} // namespace ravelock::platform
