#include "platform/module.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ravelock::platform {
namespace {

TEST(Module, PathOfTheModuleHoldingAnAddress) {
  static const int inThisProgram = 0;
  const std::string path = modulePath(&inThisProgram);
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
  EXPECT_NE(path.find("platform_tests"), std::string::npos) << path;
  const std::string folder = moduleFolder(&inThisProgram);
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\');
  EXPECT_EQ(path.rfind(folder, 0), 0u);
}

} // namespace
} // namespace ravelock::platform
