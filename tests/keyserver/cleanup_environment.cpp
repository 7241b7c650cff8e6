// After all tests of a program: no server left running (under Wine the
// prefix's wineserver waits for it), and natively none of the shared objects
// left behind.

#include "keyserver/protocol.h"
#include "platform/ipc.h"
#include "server_process.h"

#include <gtest/gtest.h>

namespace ravelock::keyserver::test {
namespace {

class Cleanup : public ::testing::Environment {
public:
  void TearDown() override {
    EXPECT_TRUE(stopRunningServer());
    for (const char* name : {kServerRunMutexName, kMessageEventName, kDoneEventName,
                             kAccessMutexName, kSectionName})
      platform::removeNamedObject(name);
  }
};

[[maybe_unused]] ::testing::Environment* const cleanup =
    ::testing::AddGlobalTestEnvironment(new Cleanup);

} // namespace
} // namespace ravelock::keyserver::test
