// The key server's request handling and record store, without processes.

#include "keyserver/server_core.h"

#include "keyserver_test_util.h"

#include <gtest/gtest.h>

namespace ravelock::keyserver {
namespace {

using test::keyRecord;
using test::nameBytes;
using test::recordBytes;
using test::requestBytes;

class ServerCoreTest : public ::testing::Test {
protected:
  // Handles one request; the answer's header lands in `answer`.
  Reply send(const std::vector<unsigned char>& request) {
    buffer_.assign(kSectionSize, 0xEE);
    const Reply reply = core_.handle(request, buffer_);
    answer = readHeader(buffer_.data());
    return reply;
  }

  std::uint8_t status(const std::vector<unsigned char>& request) {
    send(request);
    return answer.code;
  }

  const unsigned char* payload() const { return buffer_.data() + kHeaderSize; }

  KeyRecord answeredRecord() const {
    KeyRecord record;
    std::memcpy(&record, payload(), sizeof record);
    return record;
  }

  std::vector<std::string> names() {
    send(requestBytes(kCommandGetAllKeys, {}));
    return splitNameList({reinterpret_cast<const char*>(payload()), answer.length});
  }

  void store(std::string_view name, std::string_view key) {
    ASSERT_EQ(status(requestBytes(kCommandStoreKey, recordBytes(keyRecord(key, name)))),
              kStatusStored);
  }

  ServerCore core_;
  std::vector<unsigned char> buffer_;
  MessageHeader answer;
};

TEST_F(ServerCoreTest, StoresFindsListsAndDeletesInTheOrderOfFirstStoring) {
  store("alpha", "key one");
  store("beta", "key two");
  store("gamma", "key three");
  store("beta", "a new key for beta"); // replaced where it stands

  EXPECT_EQ(names(), (std::vector<std::string>{"alpha", "beta", "gamma"}));
  EXPECT_EQ(answer.length, 6u + 5u + 6u + 1u);

  EXPECT_EQ(status(requestBytes(kCommandFindKey, nameBytes("beta"))), kStatusRecord);
  EXPECT_EQ(answer.kind, kKindAnswer);
  EXPECT_EQ(answer.length, sizeof(KeyRecord));
  EXPECT_TRUE(
      test::sameRecord(answeredRecord(), keyRecord("a new key for beta", "beta")));

  send(requestBytes(kCommandGetKeyCount, {}));
  ASSERT_EQ(answer.length, 4u);
  EXPECT_EQ(loadLe32(payload()), 3u);

  unsigned char index[4];
  storeLe32(index, 2);
  EXPECT_EQ(status(requestBytes(kCommandGetKeyByIndex, {index, index + 4}, 0)),
            kStatusRecord);
  EXPECT_TRUE(test::sameRecord(answeredRecord(), keyRecord("key three", "gamma")));
  storeLe32(index, 3);
  EXPECT_EQ(status(requestBytes(kCommandGetKeyByIndex, {index, index + 4}, 0)),
            kStatusNotFound);

  EXPECT_EQ(status(requestBytes(kCommandDeleteKey, nameBytes("alpha"))), kStatusDone);
  EXPECT_EQ(status(requestBytes(kCommandDeleteKey, nameBytes("alpha"))), kStatusNotFound);
  EXPECT_EQ(status(requestBytes(kCommandFindKey, nameBytes("alpha"))), kStatusNotFound);
  EXPECT_EQ(names(), (std::vector<std::string>{"beta", "gamma"}));

  EXPECT_EQ(status(requestBytes(kCommandDeleteAllKeys, {})), kStatusDone);
  send(requestBytes(kCommandGetAllKeys, {}));
  EXPECT_EQ(answer.code, kStatusDone);
  EXPECT_EQ(answer.length, 0u);
}

TEST_F(ServerCoreTest, NamesAreComparedExactly) {
  store("Key", "k");
  EXPECT_EQ(status(requestBytes(kCommandFindKey, nameBytes("key"))), kStatusNotFound);
  EXPECT_EQ(status(requestBytes(kCommandFindKey, nameBytes("Key "))), kStatusNotFound);
  EXPECT_EQ(status(requestBytes(kCommandFindKey, nameBytes("Key"))), kStatusRecord);
}

TEST_F(ServerCoreTest, CurrentKeyIsTheLastStoredOrLookedUp) {
  // The client sends no payload but the record size in the length field.
  const auto current = requestBytes(kCommandGetCurrentKey, {}, sizeof(KeyRecord));
  EXPECT_EQ(status(current), kStatusNotFound);

  store("one", "first");
  store("two", "second");
  EXPECT_EQ(status(current), kStatusRecord);
  EXPECT_TRUE(test::sameRecord(answeredRecord(), keyRecord("second", "two")));

  EXPECT_EQ(status(requestBytes(kCommandFindKey, nameBytes("one"))), kStatusRecord);
  EXPECT_EQ(status(current), kStatusRecord);
  EXPECT_TRUE(test::sameRecord(answeredRecord(), keyRecord("first", "one")));

  // Deleting an earlier record keeps the current one; deleting it ends it.
  store("zero", "third");
  EXPECT_EQ(status(requestBytes(kCommandFindKey, nameBytes("two"))), kStatusRecord);
  EXPECT_EQ(status(requestBytes(kCommandDeleteKey, nameBytes("one"))), kStatusDone);
  EXPECT_EQ(status(current), kStatusRecord);
  EXPECT_TRUE(test::sameRecord(answeredRecord(), keyRecord("second", "two")));
  EXPECT_EQ(status(requestBytes(kCommandDeleteKey, nameBytes("two"))), kStatusDone);
  EXPECT_EQ(status(current), kStatusNotFound);
}

TEST_F(ServerCoreTest, RefusesRecordsThatAreNotUsableKeys) {
  KeyRecord noTerminator = keyRecord("key", "");
  std::memset(noTerminator.name, 'n', sizeof noTerminator.name);
  KeyRecord tooLong = keyRecord("key", "long");
  tooLong.length = kMaxKeyLength + 1;
  const struct {
    const char* what;
    KeyRecord record;
  } cases[] = {
      {"no key", keyRecord("", "empty")},
      {"key longer than 56 bytes", tooLong},
      {"empty name", keyRecord("key", "")},
      {"name without its zero byte", noTerminator},
      {"name of 33 bytes", keyRecord("key", std::string(33, 'x'))},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(status(requestBytes(kCommandStoreKey, recordBytes(c.record))),
              kStatusNotStored)
        << c.what;
  }
  EXPECT_TRUE(names().empty());

  // The longest usable record comes back byte for byte, bytes after the
  // name's zero byte included.
  KeyRecord longest = keyRecord(std::string(56, '\xFF'), std::string(32, 'N'));
  longest.name[34] = 0x7F;
  ASSERT_EQ(status(requestBytes(kCommandStoreKey, recordBytes(longest))), kStatusStored);
  ASSERT_EQ(status(requestBytes(kCommandFindKey, nameBytes(std::string(32, 'N')))),
            kStatusRecord);
  EXPECT_TRUE(test::sameRecord(answeredRecord(), longest));
}

TEST_F(ServerCoreTest, RequestsThatBreakTheLayoutGetAnErrorAndChangeNothing) {
  store("kept", "secret");
  const std::vector<unsigned char> noZero = {'a', 'b', 'c'};
  const std::vector<unsigned char> innerZero = {'k', 0, 'x', 0};
  const struct {
    const char* what;
    std::vector<unsigned char> request;
  } cases[] = {
      {"unknown command", requestBytes(0x30, {})},
      {"command 0", requestBytes(0x00, {})},
      {"length beyond the section",
       requestBytes(kCommandFindKey, nameBytes("kept"), 16377)},
      {"length beyond the section, no payload used",
       requestBytes(kCommandDeleteAllKeys, {}, 0xFFFFFFFFu)},
      {"find: name without its zero byte", requestBytes(kCommandFindKey, noZero)},
      {"find: zero byte inside the name", requestBytes(kCommandFindKey, innerZero)},
      {"find: empty name", requestBytes(kCommandFindKey, nameBytes(""))},
      {"find: no payload", requestBytes(kCommandFindKey, {})},
      {"find: name of 33 bytes",
       requestBytes(kCommandFindKey, nameBytes(std::string(33, 'k')))},
      {"store: record too short",
       requestBytes(kCommandStoreKey,
                    std::vector<unsigned char>(sizeof(KeyRecord) - 1, 1))},
      {"store: record too long",
       requestBytes(kCommandStoreKey,
                    std::vector<unsigned char>(sizeof(KeyRecord) + 1, 1))},
      {"delete: name without its zero byte", requestBytes(kCommandDeleteKey, noZero)},
      {"delete: zero byte inside the name", requestBytes(kCommandDeleteKey, innerZero)},
  };
  for (const auto& c : cases) {
    const Reply reply = send(c.request);
    EXPECT_TRUE(reply.answered) << c.what;
    EXPECT_EQ(reply.action, ServerAction::None) << c.what;
    EXPECT_EQ(answer.kind, kKindAnswer) << c.what;
    EXPECT_EQ(answer.code, kStatusBadRequest) << c.what;
    EXPECT_EQ(answer.length, 0u) << c.what;
  }
  EXPECT_EQ(names(), std::vector<std::string>{"kept"});
  EXPECT_EQ(status(requestBytes(kCommandFindKey, nameBytes("kept"))), kStatusRecord);
}

TEST_F(ServerCoreTest, WhatIsNotARequestIsLeftUnanswered) {
  for (const std::uint8_t kind : {std::uint8_t{0}, kKindAnswer, std::uint8_t{0xAA}}) {
    buffer_.assign(kSectionSize, 0xEE);
    const Reply reply =
        core_.handle(requestBytes(kCommandDeleteAllKeys, {}, 0, 0, kind), buffer_);
    EXPECT_FALSE(reply.answered);
    EXPECT_EQ(buffer_[0], 0xEE) << "the section must stay as it is";
  }
  const std::vector<unsigned char> tooShort(kHeaderSize - 1, kKindRequest);
  EXPECT_FALSE(send(tooShort).answered);
}

TEST_F(ServerCoreTest, AnswersCarryTheNextSequenceValueAndTheActions) {
  send(requestBytes(kCommandNotify, {}, 0, 41));
  EXPECT_EQ(answer.sequence, 42);
  EXPECT_EQ(answer.code, kStatusDone);
  send(requestBytes(kCommandNotify, {}, 0, 0xFFFF));
  EXPECT_EQ(answer.sequence, 0);

  EXPECT_EQ(send(requestBytes(kCommandShowIcon, {})).action, ServerAction::ShowIcon);
  EXPECT_EQ(send(requestBytes(kCommandHideIcon, {})).action, ServerAction::HideIcon);
  EXPECT_EQ(send(requestBytes(kCommandShutdown, {})).action, ServerAction::Shutdown);
  EXPECT_EQ(answer.code, kStatusDone);
}

TEST_F(ServerCoreTest, TheListOfAllNamesAlwaysFitsInOneAnswer) {
  // Names of 32 bytes take 33 each; the list ends with one more zero byte.
  const std::size_t fits = (kMaxPayload - 1) / 33;
  auto nameOf = [](std::size_t i) {
    std::string name = std::to_string(i);
    return name + std::string(32 - name.size(), '.');
  };
  for (std::size_t i = 0; i < fits; ++i)
    store(nameOf(i), "k");
  EXPECT_EQ(
      status(requestBytes(kCommandStoreKey, recordBytes(keyRecord("k", nameOf(fits))))),
      kStatusNotStored);
  // A shorter name still fits in what is left; replacing never needs room.
  store("s", "k");
  store(nameOf(0), "replaced");

  const auto list = names();
  EXPECT_EQ(list.size(), fits + 1);
  EXPECT_LE(answer.length, kMaxPayload);
  EXPECT_EQ(payload()[answer.length - 1], 0);
  EXPECT_EQ(payload()[answer.length - 2], 0);
}

TEST(NameList, SplitsAtZeroBytesAndStopsAtTheEmptyName) {
  const char list[] = "one\0two\0\0three\0";
  EXPECT_EQ(splitNameList({list, sizeof list}), (std::vector<std::string>{"one", "two"}));
  const char unterminated[] = {'a', 0, 'b', 'c'};
  EXPECT_EQ(splitNameList(unterminated), (std::vector<std::string>{"a", "bc"}));
  EXPECT_TRUE(splitNameList({}).empty());
}

} // namespace
} // namespace ravelock::keyserver
