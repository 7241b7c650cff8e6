#include "app/install_info.h"
#include "platform/memory_registry.h"
#include "support/fault_hooks.h"

#include <gtest/gtest.h>

namespace ravelock::app {
namespace {

using platform::RegistryRoot;
using platform::RegistryStatus;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

std::string text(platform::Registry& reg, std::string_view name) {
  std::string value;
  EXPECT_EQ(reg.readString(kMachine, kInstallKey, name, value), RegistryStatus::Ok);
  return value;
}

std::uint32_t version(platform::Registry& reg) {
  std::uint32_t value = 0;
  EXPECT_EQ(reg.readDword(kMachine, kInstallKey, kProgramVersionValue, value),
            RegistryStatus::Ok);
  return value;
}

TEST(InstallInfo, FirstRunWritesAllSecondRunNothing) {
  platform::MemoryRegistry reg;
  ASSERT_EQ(writeInstallInfo(reg, "C:\\Program Files\\Ravelock\\"), 1);
  EXPECT_EQ(text(reg, ""), "Ravelock settings");
  EXPECT_EQ(text(reg, "VellProgramPath"), "C:\\Program Files\\Ravelock\\");
  EXPECT_EQ(version(reg), 2u);

  // The same folder in another case: nothing is written again.
  test::CountCalls calls;
  EXPECT_EQ(writeInstallInfo(reg, "c:\\PROGRAM FILES\\Ravelock\\"), 1);
  EXPECT_EQ(calls.count(platform::Op::RegistryWrite), 0);
  EXPECT_EQ(text(reg, "VellProgramPath"), "C:\\Program Files\\Ravelock\\");
}

TEST(InstallInfo, AnOldKeyKeepsItsDefaultAndGetsTheNewValues) {
  platform::MemoryRegistry reg;
  ASSERT_EQ(reg.createKey(kMachine, kInstallKey), RegistryStatus::Ok);
  ASSERT_EQ(reg.writeString(kMachine, kInstallKey, "", "someone else's"),
            RegistryStatus::Ok);
  ASSERT_EQ(reg.writeString(kMachine, kInstallKey, kProgramPathValue, "D:\\Old\\"),
            RegistryStatus::Ok);
  ASSERT_EQ(reg.writeString(kMachine, kInstallKey, kProgramVersionValue, "2"),
            RegistryStatus::Ok);
  ASSERT_EQ(writeInstallInfo(reg, "E:\\New\\"), 1);
  EXPECT_EQ(text(reg, ""), "someone else's");
  EXPECT_EQ(text(reg, "VellProgramPath"), "E:\\New\\");
  EXPECT_EQ(version(reg), 2u);

  // A stored path too long to read counts as different.
  const std::string longPath(300, 'x');
  ASSERT_EQ(reg.writeString(kMachine, kInstallKey, kProgramPathValue, longPath),
            RegistryStatus::Ok);
  ASSERT_EQ(writeInstallInfo(reg, "E:\\New\\"), 1);
  EXPECT_EQ(text(reg, "VellProgramPath"), "E:\\New\\");
}

TEST(InstallInfo, FailuresGiveZero) {
  {
    platform::MemoryRegistry reg;
    reg.denyWrites(kMachine, "Software");
    EXPECT_EQ(writeInstallInfo(reg, "C:\\R\\"), 0);
  }
  for (platform::Op op : {platform::Op::RegistryCreate, platform::Op::RegistryWrite}) {
    for (int n = 1; n <= 3; ++n) {
      platform::MemoryRegistry reg;
      test::FailNth fail(op, n);
      const int result = writeInstallInfo(reg, "C:\\R\\");
      EXPECT_EQ(result, fail.fired() ? 0 : 1) << platform::opName(op) << " call " << n;
    }
  }
  // A failed read only means the values are written.
  platform::MemoryRegistry reg;
  test::FailNth fail(platform::Op::RegistryRead, 1);
  EXPECT_EQ(writeInstallInfo(reg, "C:\\R\\"), 1);
  EXPECT_EQ(text(reg, "VellProgramPath"), "C:\\R\\");
}

} // namespace
} // namespace ravelock::app
