// Load: client processes side by side against one server, and a client that
// dies while holding the access mutex.

#include "keyserver/client.h"

#include "keyserver_test_util.h"
#include "platform/process.h"
#include "server_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

namespace ravelock::keyserver {
namespace {

using namespace std::chrono_literals;

std::string helper() {
  return test::programFolder() + platform::executableFileName("keyserver_load_client");
}

class LoadTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(test::stopRunningServer());
    ASSERT_TRUE(test::connectAndWaitForServer(client()));
  }

  static void TearDownTestSuite() {
    client().ShutdownKeyServer();
    EXPECT_TRUE(test::waitUntil([] { return !keyServerRunning(); }, 10s));
    client().DisconnectKeyServer();
  }

  static KeyServerClient& client() {
    static KeyServerClient c;
    return c;
  }
};

TEST_F(LoadTest, FourClientProcessesEveryAnswerMatchesItsRequest) {
  constexpr int kClients = 4;
  constexpr int kRequests = 10000;
  const auto start = std::chrono::steady_clock::now();
  std::vector<platform::ChildProcess> clients;
  for (int id = 0; id < kClients; ++id) {
    clients.push_back(platform::ChildProcess::start(
        helper(), {"mix", std::to_string(id), std::to_string(kRequests)}));
    ASSERT_TRUE(clients.back().isValid());
  }
  for (int id = 0; id < kClients; ++id)
    EXPECT_EQ(clients[id].wait(600000), std::optional<int>(0)) << "client " << id;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  std::printf("%d clients x %d requests in %lld ms\n", kClients, kRequests,
              static_cast<long long>(ms));
  EXPECT_GE(client().GetKeyCount(), 0);
}

TEST_F(LoadTest, AClientKilledWhileHoldingTheAccessMutexDoesNotBlockTheOthers) {
  ravelock::test::TempDir dir;
  const std::string ready = dir.file("holding");
  auto holder = platform::ChildProcess::start(helper(), {"hold", ready});
  ASSERT_TRUE(holder.isValid());
  ASSERT_TRUE(test::waitUntil([&] { return std::filesystem::exists(ready); }, 20s));

  std::atomic<int> result{99};
  std::thread waiting(
      [&] { result = client().StoreKey(test::keyRecord("key", "after")); });
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(result, 99) << "the request must wait for the mutex";
  holder.kill();
  waiting.join();
  EXPECT_EQ(result, 1);
  KeyRecord record{};
  EXPECT_EQ(client().FindKey("after", record), 1);
}

TEST_F(LoadTest, AKeyLeftUnreadByAKilledClientIsWipedByTheNextRequest) {
  const KeyRecord secret = test::keyRecord(std::string(56, 'S'), "unread");
  ASSERT_EQ(client().StoreKey(secret), 1);
  ravelock::test::TempDir dir;
  const std::string ready = dir.file("answered");
  auto victim = platform::ChildProcess::start(helper(), {"unread", "unread", ready});
  ASSERT_TRUE(victim.isValid());
  ASSERT_TRUE(test::waitUntil([&] { return std::filesystem::exists(ready); }, 20s));
  victim.kill();

  const auto section = platform::SharedSection::open(kSectionName, kSectionSize);
  ASSERT_TRUE(section.isValid());
  ASSERT_EQ(std::memcmp(section.data() + kHeaderSize, &secret, sizeof secret), 0)
      << "the killed client left its answer";
  // Forgetting every key is a request without payload: it overwrites
  // nothing of the record, so only the server's wipe removes it.
  ASSERT_EQ(client().DeleteAllKeys(), 1);
  EXPECT_EQ(test::payloadBytesLeft(section), 0u);
}

TEST_F(LoadTest, FindKeyRoundTripStaysFarBelowTheTimeOut) {
  ASSERT_EQ(client().StoreKey(test::keyRecord("key", "timed")), 1);
  std::vector<double> micros;
  KeyRecord record{};
  for (int i = 0; i < 2000; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(client().FindKey("timed", record), 1);
    micros.push_back(std::chrono::duration<double, std::micro>(
                         std::chrono::steady_clock::now() - start)
                         .count());
  }
  std::sort(micros.begin(), micros.end());
  const double median = micros[micros.size() / 2];
  std::printf("FindKey round trip: median %.1f us, 99th percentile %.1f us\n", median,
              micros[micros.size() * 99 / 100]);
  EXPECT_LT(median, 50000.0);
}

} // namespace
} // namespace ravelock::keyserver
