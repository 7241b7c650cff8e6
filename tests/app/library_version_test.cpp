#include "app/library_version.h"
#include "platform/library.h"
#include "platform/module.h"

#include <gtest/gtest.h>

namespace ravelock::app {
namespace {

TEST(LibraryVersion, TheEngineBesideTheProgram) {
  static const int here = 0;
  const std::string folder = platform::moduleFolder(&here);
  std::string text = "old";
  ASSERT_EQ(libraryVersion(folder, platform::Library::fileName("velldll"), text), 1);
  EXPECT_EQ(text, "1.1.004");
  EXPECT_EQ(libraryVersion(folder, "no-such-library.dll", text), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(libraryVersion("", platform::Library::fileName("velldll"), text), 0);
}

} // namespace
} // namespace ravelock::app
