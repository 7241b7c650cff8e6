// The client's side of the protocol, byte for byte, against a server played
// by this test (no vellserver runs meanwhile), and without any server.

#include "keyserver/client.h"

#include "keyserver_test_util.h"
#include "platform/fault_injection.h"
#include "server_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace ravelock::keyserver {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::keyRecord;

struct SeenRequest {
  MessageHeader header;
  std::vector<unsigned char> payload; // max(length, 4) bytes from offset 8
};

struct SpyAnswer {
  std::uint8_t status = kStatusDone;
  std::vector<unsigned char> payload;
  std::uint16_t sequence = 0;
  std::chrono::milliseconds delay{0};
};

// Plays the server: records each request and answers from a script.
class SpyServer {
public:
  explicit SpyServer(std::function<SpyAnswer(const SeenRequest&)> script)
      : script_(std::move(script)),
        message_(platform::NamedEvent::open(kMessageEventName)),
        done_(platform::NamedEvent::open(kDoneEventName)),
        section_(platform::SharedSection::open(kSectionName, kSectionSize)),
        thread_([this] { run(); }) {}

  ~SpyServer() {
    stop_ = true;
    thread_.join();
  }

  std::vector<SeenRequest> seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

  int answered() const { return answered_; }

private:
  void run() {
    while (!stop_) {
      if (message_.wait(20) != platform::WaitResult::Signalled)
        continue;
      SeenRequest request;
      request.header = readHeader(section_.data());
      if (request.header.kind != kKindRequest)
        continue;
      const std::size_t length = std::min<std::size_t>(request.header.length, 64);
      request.payload.assign(section_.data() + kHeaderSize,
                             section_.data() + kHeaderSize +
                                 std::max<std::size_t>(length, 4));
      {
        std::lock_guard lock(mutex_);
        seen_.push_back(request);
      }
      const SpyAnswer answer = script_(request);
      std::this_thread::sleep_for(answer.delay);
      writeHeader(section_.data(), {kKindAnswer, answer.status, answer.sequence,
                                    static_cast<std::uint32_t>(answer.payload.size())});
      std::copy(answer.payload.begin(), answer.payload.end(),
                section_.data() + kHeaderSize);
      ++answered_;
      done_.signal();
    }
  }

  std::function<SpyAnswer(const SeenRequest&)> script_;
  platform::NamedEvent message_;
  platform::NamedEvent done_;
  platform::SharedSection section_;
  std::mutex mutex_;
  std::vector<SeenRequest> seen_;
  std::atomic<int> answered_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Connected to the shared objects with no server behind them.
class WithoutServer : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::stopRunningServer());
    bool started = true;
    // No vellserver in an empty folder: the start fails, the objects are had.
    ASSERT_EQ(client.connectFromFolder(empty.path().string(), false, &started), 1);
    EXPECT_FALSE(started);
    EXPECT_FALSE(keyServerRunning());
  }

  ravelock::test::TempDir empty;
  KeyServerClient client;
};

std::chrono::milliseconds since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

TEST_F(WithoutServer, FindKeyGivesUpAfterOneSecondAndStoreKeyReportsNoServer) {
  KeyRecord record = keyRecord("key", "untouched");
  auto start = Clock::now();
  EXPECT_EQ(client.FindKey("some key", record), 0);
  EXPECT_GE(since(start), 950ms);
  EXPECT_LT(since(start), 3000ms);
  EXPECT_TRUE(test::sameRecord(record, keyRecord("key", "untouched")));

  start = Clock::now();
  EXPECT_EQ(client.StoreKey(keyRecord("key", "name")), -2);
  EXPECT_GE(since(start), 950ms);
}

TEST_F(WithoutServer, EveryOperationReportsItsFailureValue) {
  client.setAnswerTimeout(50);
  KeyRecord record{};
  std::vector<char> names = {'x'};
  std::vector<unsigned char> buffer = {1};
  std::uint32_t count = 3;
  EXPECT_EQ(client.GetCurrentKey(record), 0);
  EXPECT_EQ(client.SetServerIcon(true), 0);
  EXPECT_EQ(client.NotifyKeyServer(), 0);
  EXPECT_EQ(client.GetKeyCount(), -1);
  EXPECT_EQ(client.GetAllKeys(names), -1);
  EXPECT_EQ(client.DeleteKey("name"), 0);
  EXPECT_EQ(client.DeleteAllKeys(), 0);
  EXPECT_EQ(client.ShutdownKeyServer(), 0);
  EXPECT_EQ(client.ExportAllKeys(buffer, count), 0);
  EXPECT_TRUE(buffer.empty());
  count = 1;
  EXPECT_EQ(client.ExportNamedKeys(buffer, "name\0", count), 0);
  const KeyRecord records[] = {keyRecord("1", "a"), keyRecord("2", "b")};
  EXPECT_EQ(client.StoreKeys(records, 2, nullptr), 0);

  // Not connected: the failure value at once, without waiting.
  KeyServerClient unconnected;
  const auto start = Clock::now();
  EXPECT_EQ(unconnected.FindKey("name", record), 0);
  EXPECT_EQ(unconnected.StoreKey(records[0]), -2);
  EXPECT_EQ(unconnected.GetAllKeys(names), -1);
  EXPECT_EQ(unconnected.GetKeyCount(), -1);
  EXPECT_EQ(unconnected.ExportAllKeys(buffer, count), 0);
  EXPECT_EQ(unconnected.StoreKeys(records, 2, nullptr), 0);
  EXPECT_LT(since(start), 200ms);
}

TEST_F(WithoutServer, ARequestThatGotNoAnswerIsWithdrawn) {
  client.setAnswerTimeout(50);
  EXPECT_EQ(client.DeleteAllKeys(), 0);
  // A server that starts now must not act on the old request.
  SpyServer spy([](const SeenRequest&) { return SpyAnswer{}; });
  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(spy.seen().empty());
}

TEST_F(WithoutServer, ConnectionFailuresLeaveTheClientUnconnected) {
  // Each of the five named objects in turn fails to open.
  struct FailNth : platform::FaultHook {
    int left;
    explicit FailNth(int n) : left(n) {}
    platform::Fault onCall(platform::Op op) override {
      return op == platform::Op::OpenNamedObject && --left == 0 ? platform::Fault::Fail
                                                                : platform::Fault::None;
    }
  };
  for (int n = 1; n <= 5; ++n) {
    KeyServerClient fresh;
    FailNth hook(n);
    platform::installFaultHook(&hook);
    const int connected = fresh.connectFromFolder(empty.path().string(), false, nullptr);
    platform::installFaultHook(nullptr);
    EXPECT_EQ(connected, 0) << "object " << n;
    EXPECT_FALSE(fresh.isConnected()) << "object " << n;
  }
}

class SpiedClient : public WithoutServer {};

TEST_F(SpiedClient, NamesTravelWithTheirZeroByte) {
  SpyServer spy([](const SeenRequest&) { return SpyAnswer{kStatusNotFound}; });
  KeyRecord record{};
  const std::string name32(32, 'n');
  EXPECT_EQ(client.FindKey(name32.c_str(), record), 0);
  EXPECT_EQ(client.FindKey("", record), 0);
  EXPECT_EQ(client.DeleteKey("gone"), 1);

  const auto seen = spy.seen();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].header.kind, kKindRequest);
  EXPECT_EQ(seen[0].header.code, kCommandFindKey);
  EXPECT_EQ(seen[0].header.sequence, 0);
  EXPECT_EQ(seen[0].header.length, 33u);
  EXPECT_EQ(seen[0].payload[32], 0);
  EXPECT_EQ(seen[1].header.length, 1u);
  EXPECT_EQ(seen[1].payload[0], 0);
  EXPECT_EQ(seen[2].header.code, kCommandDeleteKey);
  EXPECT_EQ(seen[2].header.length, 5u);
}

TEST_F(SpiedClient, RecordsComeBackOnlyFromAnAnswerThatCarriesOne) {
  const KeyRecord stored = keyRecord("key", "name");
  const auto bytes = test::recordBytes(stored);
  std::atomic<int> turn{0};
  SpyServer spy([&](const SeenRequest&) -> SpyAnswer {
    switch (turn++) {
    case 0: return {kStatusRecord, bytes};
    case 1: return {kStatusDone, bytes};                              // wrong status
    case 2: return {kStatusRecord, {bytes.begin(), bytes.end() - 1}}; // wrong length
    default: return {kStatusRecord, bytes};
    }
  });
  KeyRecord record{};
  EXPECT_EQ(client.GetCurrentKey(record), 1);
  EXPECT_TRUE(test::sameRecord(record, stored));
  record = {};
  EXPECT_EQ(client.FindKey("name", record), 0);
  EXPECT_EQ(client.FindKey("name", record), 0);
  EXPECT_EQ(record.length, 0u);
  EXPECT_EQ(client.FindKey("name", record), 1);

  const auto seen = spy.seen();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].header.code, kCommandGetCurrentKey);
  EXPECT_EQ(seen[0].header.length, sizeof(KeyRecord));
  // The key does not stay in the section once the client has it.
  platform::SharedSection view =
      platform::SharedSection::open(kSectionName, kSectionSize);
  EXPECT_EQ(std::count(view.data() + kHeaderSize, view.data() + kHeaderSize + 96, 0), 96);
}

TEST_F(SpiedClient, StoreKeyResultFollowsTheStatus) {
  const std::uint8_t statuses[] = {kStatusStored, kStatusNotStored, kStatusBadRequest};
  std::atomic<int> turn{0};
  SpyServer spy([&](const SeenRequest&) { return SpyAnswer{statuses[turn++ % 3]}; });
  const KeyRecord record = keyRecord("key", "name");
  EXPECT_EQ(client.StoreKey(record), 1);
  EXPECT_EQ(client.StoreKey(record), 0);
  EXPECT_EQ(client.StoreKey(record), -1);
  const auto seen = spy.seen();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].header.length, sizeof(KeyRecord));
}

TEST_F(SpiedClient, ABatchCarriesTheSequenceValueAndSendsIndexesAtOffset8) {
  const auto bytes = test::recordBytes(keyRecord("v", "k"));
  SpyServer spy([&](const SeenRequest& request) -> SpyAnswer {
    if (request.header.code == kCommandGetKeyCount)
      return {kStatusDone, {3, 0, 0, 0}, 0x1234};
    const std::uint32_t index = loadLe32(request.payload.data());
    // The third record is gone: the export stops there.
    if (index == 2)
      return {
          kStatusNotFound, {}, static_cast<std::uint16_t>(request.header.sequence + 1)};
    return {kStatusRecord, bytes,
            static_cast<std::uint16_t>(request.header.sequence + 1)};
  });
  std::vector<unsigned char> buffer;
  std::uint32_t count = 0;
  ASSERT_EQ(client.ExportAllKeys(buffer, count), 1);
  EXPECT_EQ(count, 2u);
  ASSERT_EQ(buffer.size(), 8u + 2 * 96 + 8); // the records copied, then the spare bytes
  EXPECT_EQ(loadLe32(buffer.data()), KEY_DATABASE_ID);
  EXPECT_EQ(loadLe32(buffer.data() + 4), 2u);

  const auto seen = spy.seen();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].header.code, kCommandGetKeyCount);
  EXPECT_EQ(seen[0].header.sequence, 0);
  for (std::uint32_t i = 1; i < 4; ++i) {
    EXPECT_EQ(seen[i].header.code, kCommandGetKeyByIndex);
    EXPECT_EQ(seen[i].header.length, 0u);
    EXPECT_EQ(loadLe32(seen[i].payload.data()), i - 1);
    EXPECT_EQ(seen[i].header.sequence, 0x1234 + i - 1);
  }
  // A single request starts again at 0.
  EXPECT_EQ(client.NotifyKeyServer(), 1);
  EXPECT_EQ(spy.seen().back().header.sequence, 0);
}

TEST_F(SpiedClient, AnImpossibleKeyCountEndsTheExport) {
  SpyServer spy([](const SeenRequest&) {
    return SpyAnswer{kStatusDone, {0xFF, 0xFF, 0xFF, 0x7F}};
  });
  std::vector<unsigned char> buffer;
  std::uint32_t count = 0;
  EXPECT_EQ(client.ExportAllKeys(buffer, count), 0);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(spy.seen().size(), 1u);
}

TEST_F(SpiedClient, AnAnswerThatComesTooLateIsNotTakenForTheNextOne) {
  const auto bytes = test::recordBytes(keyRecord("key", "late"));
  SpyServer spy([&](const SeenRequest& request) -> SpyAnswer {
    if (request.header.code == kCommandFindKey)
      return {kStatusRecord, bytes, 0, 1300ms};
    return {kStatusDone, {7, 0, 0, 0}};
  });
  KeyRecord record{};
  EXPECT_EQ(client.FindKey("late", record), 0);
  platform::SharedSection view =
      platform::SharedSection::open(kSectionName, kSectionSize);
  EXPECT_EQ(view.data()[0], 0) << "the request is withdrawn";
  ASSERT_TRUE(test::waitUntil([&] { return spy.answered() == 1; }, 3s));
  // The late answer left the done event set; the next request must wait
  // for its own answer.
  EXPECT_EQ(client.GetKeyCount(), 7);
}

TEST_F(SpiedClient, GetAllKeysCopiesTheListWithZeroBytesAfterIt) {
  const std::vector<unsigned char> list = {'a', 0, 'b', 'c', 0, 0};
  std::atomic<int> turn{0};
  SpyServer spy([&](const SeenRequest&) -> SpyAnswer {
    switch (turn++) {
    case 0: return {kStatusDone, list};
    case 1: return {kStatusDone, {}};
    default: return {kStatusDone, {}, 0, 0ms};
    }
  });
  std::vector<char> names;
  ASSERT_EQ(client.GetAllKeys(names), 1);
  ASSERT_EQ(names.size(), list.size() + 5);
  EXPECT_EQ(splitNameList(names), (std::vector<std::string>{"a", "bc"}));
  EXPECT_EQ(std::count(names.end() - 6, names.end(), 0), 6);
  // Names are wiped from the section once copied, as keys are.
  platform::SharedSection view =
      platform::SharedSection::open(kSectionName, kSectionSize);
  EXPECT_EQ(
      std::count(view.data() + kHeaderSize, view.data() + kHeaderSize + list.size(), 0),
      static_cast<std::ptrdiff_t>(list.size()));
  EXPECT_EQ(client.GetAllKeys(names), 0);
  EXPECT_TRUE(names.empty());
}

} // namespace
} // namespace ravelock::keyserver
