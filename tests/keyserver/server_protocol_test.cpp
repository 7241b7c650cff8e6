// The real vellserver in its own process, with clients in this one: every
// operation of the protocol, the batches, and what a second start does.

#include "keyserver/client.h"

#include "keyserver_test_util.h"
#include "platform/process.h"
#include "server_process.h"

#include <gtest/gtest.h>

namespace ravelock::keyserver {
namespace {

using namespace std::chrono_literals;
using test::keyRecord;
using test::sameRecord;

class KeyServerTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(test::stopRunningServer());
    bool started = false;
    ASSERT_TRUE(test::connectAndWaitForServer(client(), &started));
    EXPECT_TRUE(started);
  }

  static void TearDownTestSuite() {
    client().ShutdownKeyServer();
    EXPECT_TRUE(test::waitUntil([] { return !keyServerRunning(); }, 10s));
    client().DisconnectKeyServer();
  }

  void SetUp() override { ASSERT_EQ(client().DeleteAllKeys(), 1); }

  static KeyServerClient& client() {
    static KeyServerClient c;
    return c;
  }

  std::vector<std::string> names() {
    std::vector<char> list;
    EXPECT_GE(client().GetAllKeys(list), 0);
    return splitNameList(list);
  }

  KeyRecord find(const char* name) {
    KeyRecord record{};
    EXPECT_EQ(client().FindKey(name, record), 1) << name;
    return record;
  }
};

TEST_F(KeyServerTest, StoresFindsListsDeletesAndCounts) {
  std::vector<char> list = {'x'};
  EXPECT_EQ(client().GetAllKeys(list), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(client().GetKeyCount(), 0);
  KeyRecord none{};
  EXPECT_EQ(client().GetCurrentKey(none), 0);

  // The longest key and name come back byte for byte.
  const KeyRecord longest = keyRecord(std::string(56, '\x01'), std::string(32, 'L'));
  EXPECT_EQ(client().StoreKey(keyRecord("pass phrase one", "first")), 1);
  EXPECT_EQ(client().StoreKey(longest), 1);
  EXPECT_EQ(client().StoreKey(keyRecord("three", "third")), 1);
  EXPECT_EQ(client().StoreKey(keyRecord("replaced", "first")), 1);
  EXPECT_EQ(client().StoreKey(keyRecord("no name", "")), 0);

  EXPECT_EQ(names(), (std::vector<std::string>{"first", std::string(32, 'L'), "third"}));
  EXPECT_EQ(client().GetKeyCount(), 3);
  EXPECT_TRUE(sameRecord(find(std::string(32, 'L').c_str()), longest));
  EXPECT_TRUE(sameRecord(find("first"), keyRecord("replaced", "first")));

  KeyRecord current{};
  EXPECT_EQ(client().GetCurrentKey(current), 1);
  EXPECT_TRUE(sameRecord(current, keyRecord("replaced", "first")));

  EXPECT_EQ(client().DeleteKey("first"), 1);
  KeyRecord gone{};
  EXPECT_EQ(client().FindKey("first", gone), 0);
  EXPECT_EQ(client().GetCurrentKey(gone), 0);
  EXPECT_EQ(names(), (std::vector<std::string>{std::string(32, 'L'), "third"}));

  EXPECT_EQ(client().DeleteAllKeys(), 1);
  EXPECT_EQ(client().GetKeyCount(), 0);
  EXPECT_EQ(client().SetServerIcon(false), 1);
  EXPECT_EQ(client().SetServerIcon(true), 1);
  EXPECT_EQ(client().NotifyKeyServer(), 1);
}

TEST_F(KeyServerTest, ExportsKeysAsTheContentOfAKeyDatabase) {
  const KeyRecord records[] = {keyRecord("key a", "a"), keyRecord("key b", "b"),
                               keyRecord("key c", "c")};
  for (const KeyRecord& r : records)
    ASSERT_EQ(client().StoreKey(r), 1);

  std::vector<unsigned char> buffer;
  std::uint32_t count = 0;
  ASSERT_EQ(client().ExportAllKeys(buffer, count), 1);
  ASSERT_EQ(count, 3u);
  ASSERT_EQ(buffer.size(), 8u + 3 * sizeof(KeyRecord) + 8);
  EXPECT_EQ(loadLe32(buffer.data()), KEY_DATABASE_ID);
  EXPECT_EQ(loadLe32(buffer.data() + 4), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(std::memcmp(buffer.data() + 8 + i * 96, &records[i], 96), 0) << i;
  EXPECT_EQ(std::count(buffer.end() - 8, buffer.end(), 0), 8);

  count = 3;
  ASSERT_EQ(client().ExportNamedKeys(buffer, "c\0missing\0a\0", count), 1);
  ASSERT_EQ(count, 2u);
  ASSERT_EQ(buffer.size(), 8u + 2 * sizeof(KeyRecord) + 8);
  EXPECT_EQ(loadLe32(buffer.data() + 4), 2u);
  EXPECT_EQ(std::memcmp(buffer.data() + 8, &records[2], 96), 0);
  EXPECT_EQ(std::memcmp(buffer.data() + 8 + 96, &records[0], 96), 0);

  ASSERT_EQ(client().DeleteAllKeys(), 1);
  ASSERT_EQ(client().ExportAllKeys(buffer, count), 1);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(buffer.size(), 16u);
}

// Answers UM_KEY_CONFLICT from a list and notes the names it was asked about.
struct ScriptedWindow : KeyConflictWindow {
  std::vector<std::intptr_t> answers;
  std::vector<std::string> asked;
  std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t) override {
    EXPECT_EQ(message, UM_KEY_CONFLICT);
    asked.emplace_back(reinterpret_cast<const char*>(wParam));
    const std::intptr_t answer = answers.empty() ? 0 : answers.front();
    if (answers.size() > 1)
      answers.erase(answers.begin());
    return answer;
  }
};

TEST_F(KeyServerTest, StoreKeysAsksAboutNamesTakenAndFollowsTheAnswers) {
  // Held before the batch: a and b. The batch brings n1, a, n2, b, n3.
  const KeyRecord batch[] = {keyRecord("new", "n1"), keyRecord("new", "a"),
                             keyRecord("new", "n2"), keyRecord("new", "b"),
                             keyRecord("new", "n3")};
  const struct {
    const char* what;
    std::vector<std::intptr_t> answers; // empty: no window
    int result;
    std::vector<std::string> asked;
    std::vector<std::string> stored; // names the batch stored
  } cases[] = {
      {"0 ends the batch", {0}, 0, {"a"}, {"n1"}},
      {"0x01 skips each", {0x01}, 1, {"a", "b"}, {"n1", "n2", "n3"}},
      {"0x81 skips all taken names", {0x81}, 1, {"a"}, {"n1", "n2", "n3"}},
      {"0x02 replaces each", {0x02}, 1, {"a", "b"}, {"n1", "a", "n2", "b", "n3"}},
      {"0x82 replaces all", {0x82}, 1, {"a"}, {"n1", "a", "n2", "b", "n3"}},
      {"skip, then replace", {0x01, 0x02}, 1, {"a", "b"}, {"n1", "n2", "b", "n3"}},
      {"no window replaces all", {}, 1, {}, {"n1", "a", "n2", "b", "n3"}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(client().DeleteAllKeys(), 1);
    ASSERT_EQ(client().StoreKey(keyRecord("old", "a")), 1);
    ASSERT_EQ(client().StoreKey(keyRecord("old", "b")), 1);
    ScriptedWindow window;
    window.answers = c.answers;
    EXPECT_EQ(client().StoreKeys(batch, 5, c.answers.empty() ? nullptr : &window),
              c.result)
        << c.what;
    EXPECT_EQ(window.asked, c.asked) << c.what;
    for (const char* name : {"n1", "a", "n2", "b", "n3"}) {
      const bool stored =
          std::find(c.stored.begin(), c.stored.end(), name) != c.stored.end();
      KeyRecord record{};
      const int found = client().FindKey(name, record);
      if (stored) {
        EXPECT_TRUE(found && sameRecord(record, keyRecord("new", name)))
            << c.what << name;
      } else if (name[0] == 'n') {
        EXPECT_EQ(found, 0) << c.what << ": " << name;
      } else {
        EXPECT_TRUE(found && sameRecord(record, keyRecord("old", name)))
            << c.what << name;
      }
    }
  }
}

TEST_F(KeyServerTest, HostileRequestsGetAnErrorAndTheServerGoesOn) {
  ASSERT_EQ(client().StoreKey(keyRecord("key", "kept")), 1);
  auto section = platform::SharedSection::open(kSectionName, kSectionSize);
  auto message = platform::NamedEvent::open(kMessageEventName);
  auto done = platform::NamedEvent::open(kDoneEventName);
  auto access = platform::NamedMutex::open(kAccessMutexName);
  ASSERT_TRUE(section.isValid() && message.isValid() && done.isValid() &&
              access.isValid());

  const struct {
    std::uint8_t command;
    std::uint32_t length;
  } requests[] = {{0x7E, 0},
                  {kCommandFindKey, 0xFFFFFFFFu},
                  {kCommandDeleteKey, 16377},
                  {kCommandDeleteKey, 3}};
  for (const auto& r : requests) {
    ASSERT_EQ(access.lock(platform::kWaitForever), platform::WaitResult::Signalled);
    std::memset(section.data(), 'z', kSectionSize); // no zero byte anywhere
    writeHeader(section.data(), {kKindRequest, r.command, 0, r.length});
    done.reset();
    message.signal();
    const auto got = done.wait(kAnswerTimeoutMs);
    const MessageHeader answer = readHeader(section.data());
    access.unlock();
    ASSERT_EQ(got, platform::WaitResult::Signalled);
    EXPECT_EQ(answer.kind, kKindAnswer);
    EXPECT_EQ(answer.code, kStatusBadRequest);
  }
  EXPECT_EQ(names(), std::vector<std::string>{"kept"});
}

TEST_F(KeyServerTest, ASecondStartFindsTheServerRunningAndEnds) {
  ASSERT_EQ(client().StoreKey(keyRecord("key", "survivor")), 1);
  KeyServerClient second;
  bool started = true;
  ASSERT_EQ(second.connectFromFolder(test::programFolder(), true, &started), 1);
  EXPECT_FALSE(started);

  auto copy = platform::ChildProcess::start(
      test::programFolder() + platform::executableFileName("vellserver"),
      {"without_icon"});
  ASSERT_TRUE(copy.isValid());
  EXPECT_EQ(copy.wait(20000), 0);

  KeyRecord record{};
  EXPECT_EQ(second.FindKey("survivor", record), 1);
}

// Last: ends the server and starts a new one, which holds no keys.
TEST_F(KeyServerTest, ShutdownEndsTheServerAndItsKeys) {
  ASSERT_EQ(client().StoreKey(keyRecord("key", "forgotten")), 1);
  // An answer that its client never read is in the section when it ends.
  test::RawClient raw;
  ASSERT_TRUE(raw.findAndLeaveAnswer("forgotten"));
  raw.release();
  EXPECT_EQ(client().ShutdownKeyServer(), 1);
  EXPECT_TRUE(test::waitUntil([] { return !keyServerRunning(); }, 10s));
  EXPECT_EQ(test::payloadBytesLeft(raw.section), 0u);

  client().DisconnectKeyServer();
  bool started = false;
  ASSERT_TRUE(test::connectAndWaitForServer(client(), &started));
  EXPECT_TRUE(started);
  EXPECT_EQ(client().GetKeyCount(), 0);
}

// A server that was killed wiped nothing; the next one wipes what it left
// with its first request.
TEST(KilledKeyServer, TheNextServerWipesWhatItLeftInTheSection) {
  ASSERT_TRUE(test::stopRunningServer());
  auto killed = platform::ChildProcess::start(
      test::programFolder() + platform::executableFileName("vellserver"),
      {"without_icon"});
  ASSERT_TRUE(killed.isValid());
  ASSERT_TRUE(test::waitUntil(keyServerRunning, 20s));
  KeyServerClient client;
  ASSERT_TRUE(test::connectAndWaitForServer(client));
  const KeyRecord secret = keyRecord(std::string(56, 'K'), "left behind");
  ASSERT_EQ(client.StoreKey(secret), 1);
  test::RawClient raw; // keeps the section while no server has it open
  ASSERT_TRUE(raw.findAndLeaveAnswer("left behind"));
  raw.release();
  killed.kill();
  ASSERT_TRUE(test::waitUntil([] { return !keyServerRunning(); }, 10s));
  ASSERT_EQ(std::memcmp(raw.section.data() + kHeaderSize, &secret, sizeof secret), 0);

  client.DisconnectKeyServer();
  bool started = false;
  ASSERT_TRUE(test::connectAndWaitForServer(client, &started));
  EXPECT_TRUE(started);
  // The first request overwrites only 4 bytes of the record; the new server
  // wipes the rest with it.
  EXPECT_EQ(client.GetKeyCount(), 0);
  EXPECT_EQ(test::payloadBytesLeft(raw.section), 0u);
  EXPECT_EQ(client.ShutdownKeyServer(), 1);
  EXPECT_TRUE(test::waitUntil([] { return !keyServerRunning(); }, 10s));
}

} // namespace
} // namespace ravelock::keyserver
