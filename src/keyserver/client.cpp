#include "keyserver/client.h"

#include "platform/module.h"
#include "platform/process.h"
#include "platform/secure_wipe.h"

#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

namespace ravelock::keyserver {

namespace {

constexpr char kServerProgram[] = "vellserver";
constexpr char kWithoutIcon[] = "without_icon";

// The server's list of names has to fit in one answer, each name at least
// one byte and its zero; a larger count is not a count this server sends.
constexpr std::uint32_t kMaxRecords = (kMaxPayload - 1) / 2;

void pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The length of a name the caller hands in, or `limit` when it is longer.
std::size_t boundedLength(const char* name, std::size_t limit) {
  std::size_t length = 0;
  while (length < limit && name[length])
    ++length;
  return length;
}

void wipe(std::vector<unsigned char>& buffer) {
  platform::secureWipe(buffer.data(), buffer.size());
  buffer.clear();
}

// A name as a request carries it: at most 32 bytes, even from a record
// whose name field lacks its zero byte.
struct BoundedName {
  char text[kMaxKeyNameLength + 1] = {};
  explicit BoundedName(const KeyRecord& record) {
    std::memcpy(text, record.name, kMaxKeyNameLength);
  }
};

} // namespace

struct KeyServerClient::Answer {
  MessageHeader header;
  // In the section; valid until the next exchange of the lock, or its end,
  // wipes it.
  unsigned char* payload = nullptr;

  bool carriesRecord() const {
    return header.kind == kKindAnswer && header.code == kStatusRecord &&
           header.length == sizeof(KeyRecord);
  }
};

// The access mutex for one request or a whole batch, and the sequence value
// that a batch carries from each answer to the next request.
class KeyServerClient::Lock {
public:
  explicit Lock(KeyServerClient& client) : client_(client) {
    if (!client.isConnected())
      return;
    // A client that died holding the mutex leaves it abandoned: ours now.
    const platform::WaitResult got = client.access_.lock(platform::kWaitForever);
    held_ =
        got == platform::WaitResult::Signalled || got == platform::WaitResult::Abandoned;
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  ~Lock() {
    if (!held_)
      return;
    wipeAnswer();
    client_.access_.unlock();
  }

  bool held() const { return held_; }
  std::uint16_t sequence = 0;

  // The last answer may carry a key: once it has been read, before the next
  // request of a batch and before the mutex goes to another client.
  void answerArrived(const MessageHeader& header) { answerSize_ = answerSize(header); }
  void wipeAnswer() {
    platform::secureWipe(client_.section_.data() + kHeaderSize,
                         answerSize_ - kHeaderSize);
    answerSize_ = kHeaderSize;
  }

private:
  KeyServerClient& client_;
  bool held_ = false;
  std::size_t answerSize_ = kHeaderSize;
};

KeyServerClient& KeyServerClient::process() {
  static KeyServerClient client;
  return client;
}

int KeyServerClient::ConnectKeyServer(const void* moduleAddress, bool hideIcon,
                                      bool* started) {
  return connectFromFolder(platform::moduleFolder(moduleAddress), hideIcon, started);
}

int KeyServerClient::connectFromFolder(const std::string& serverFolder, bool hideIcon,
                                       bool* started) {
  if (started)
    *started = false;
  if (isConnected())
    return 1;
  switch (platform::RunningMark::probe(kServerRunMutexName)) {
  case platform::MarkState::Unknown: return 0;
  case platform::MarkState::Held: break;
  case platform::MarkState::Free:
    if (startFromFolder(serverFolder, hideIcon)) {
      pause(10);
      if (started)
        *started = true;
    }
    break;
  }
  message_ = platform::NamedEvent::open(kMessageEventName);
  if (message_.isValid())
    done_ = platform::NamedEvent::open(kDoneEventName);
  if (done_.isValid())
    access_ = platform::NamedMutex::open(kAccessMutexName);
  if (access_.isValid())
    section_ = platform::SharedSection::open(kSectionName, kSectionSize);
  if (!section_.isValid()) {
    DisconnectKeyServer();
    return 0;
  }
  return 1;
}

void KeyServerClient::DisconnectKeyServer() {
  done_.close();
  message_.close();
  access_.close();
  section_.close();
}

int KeyServerClient::StartKeyServer(const void* moduleAddress, bool hideIcon) {
  return startFromFolder(platform::moduleFolder(moduleAddress), hideIcon);
}

int KeyServerClient::startFromFolder(const std::string& serverFolder, bool hideIcon) {
  if (serverFolder.empty())
    return 0;
  std::string program = serverFolder;
  if (program.back() != '/' && program.back() != '\\')
    program += '/';
  program += platform::executableFileName(kServerProgram);
  if (!platform::launchDetached(program, hideIcon ? kWithoutIcon : ""))
    return 0;
  pause(10);
  return 1;
}

bool KeyServerClient::exchange(Lock& lock, std::uint8_t command, const void* payload,
                               std::size_t payloadSize, std::uint32_t lengthField,
                               Answer& answer) {
  if (!lock.held() || payloadSize > kMaxPayload)
    return false;
  lock.wipeAnswer();
  unsigned char* shared = section_.data();
  writeHeader(shared, {kKindRequest, command, lock.sequence, lengthField});
  if (payloadSize)
    std::memcpy(shared + kHeaderSize, payload, payloadSize);
  // An answer that came after its client had given up must not pass for ours.
  done_.reset();
  message_.signal();
  if (done_.wait(answerTimeoutMs_) != platform::WaitResult::Signalled) {
    // Withdraw the request, so that a server that starts later or wakes up
    // late does not act on it.
    shared[0] = 0;
    message_.reset();
    platform::secureWipe(shared + kHeaderSize, payloadSize);
    return false;
  }
  answer.header = readHeader(shared);
  answer.payload = shared + kHeaderSize;
  lock.answerArrived(answer.header);
  lock.sequence = answer.header.sequence;
  return true;
}

bool KeyServerClient::exchangeSingle(std::uint8_t command) {
  Lock lock(*this);
  Answer ignored;
  return exchange(lock, command, nullptr, 0, 0, ignored);
}

void KeyServerClient::copyRecord(const Answer& answer, KeyRecord& record) {
  std::memcpy(&record, answer.payload, sizeof record);
}

bool KeyServerClient::findInBatch(Lock& lock, const char* name, KeyRecord& record,
                                  bool& answered) {
  answered = false;
  const std::size_t length = name ? boundedLength(name, kMaxPayload) : kMaxPayload;
  if (length >= kMaxPayload)
    return false;
  Answer answer;
  if (!exchange(lock, kCommandFindKey, name, length + 1,
                static_cast<std::uint32_t>(length + 1), answer))
    return false;
  answered = true;
  if (!answer.carriesRecord())
    return false;
  copyRecord(answer, record);
  return true;
}

int KeyServerClient::FindKey(const char* name, KeyRecord& record) {
  Lock lock(*this);
  bool answered = false;
  return findInBatch(lock, name, record, answered) ? 1 : 0;
}

int KeyServerClient::StoreKey(const KeyRecord& record) {
  Lock lock(*this);
  Answer answer;
  if (!exchange(lock, kCommandStoreKey, &record, sizeof record, sizeof record, answer))
    return -2;
  if (answer.header.kind != kKindAnswer)
    return -1;
  switch (answer.header.code) {
  case kStatusStored: return 1;
  case kStatusNotStored: return 0;
  default: return -1;
  }
}

int KeyServerClient::GetCurrentKey(KeyRecord& record) {
  Lock lock(*this);
  Answer answer;
  // No payload; the length field carries the record size all the same.
  if (!exchange(lock, kCommandGetCurrentKey, nullptr, 0, sizeof(KeyRecord), answer) ||
      !answer.carriesRecord())
    return 0;
  copyRecord(answer, record);
  return 1;
}

int KeyServerClient::SetServerIcon(bool show) {
  return exchangeSingle(show ? kCommandShowIcon : kCommandHideIcon) ? 1 : 0;
}

int KeyServerClient::NotifyKeyServer() {
  return exchangeSingle(kCommandNotify) ? 1 : 0;
}

int KeyServerClient::DeleteKey(const char* name) {
  const std::size_t length = name ? boundedLength(name, kMaxPayload) : kMaxPayload;
  if (length >= kMaxPayload)
    return 0;
  Lock lock(*this);
  Answer answer;
  return exchange(lock, kCommandDeleteKey, name, length + 1,
                  static_cast<std::uint32_t>(length + 1), answer)
             ? 1
             : 0;
}

int KeyServerClient::DeleteAllKeys() {
  return exchangeSingle(kCommandDeleteAllKeys) ? 1 : 0;
}

int KeyServerClient::ShutdownKeyServer() {
  return exchangeSingle(kCommandShutdown) ? 1 : 0;
}

int KeyServerClient::GetKeyCount() {
  Lock lock(*this);
  Answer answer;
  if (!exchange(lock, kCommandGetKeyCount, nullptr, 0, 0, answer) ||
      answer.header.kind != kKindAnswer || answer.header.length != 4)
    return -1;
  const std::uint32_t count = loadLe32(answer.payload);
  return count > INT_MAX ? -1 : static_cast<int>(count);
}

int KeyServerClient::GetAllKeys(std::vector<char>& names) {
  Lock lock(*this);
  Answer answer;
  if (!exchange(lock, kCommandGetAllKeys, nullptr, 0, 0, answer) ||
      answer.header.kind != kKindAnswer || answer.header.length > kMaxPayload)
    return -1;
  const std::size_t length = answer.header.length;
  if (length == 0) {
    names.clear();
    return 0;
  }
  // Zero bytes after the list keep a reader of an unterminated list in bounds.
  names.assign(length + 5, 0);
  std::memcpy(names.data(), answer.payload, length);
  return 1;
}

int KeyServerClient::ExportAllKeys(std::vector<unsigned char>& buffer,
                                   std::uint32_t& count) {
  wipe(buffer);
  count = 0;
  Lock lock(*this);
  Answer answer;
  if (!exchange(lock, kCommandGetKeyCount, nullptr, 0, 0, answer) ||
      answer.header.kind != kKindAnswer || answer.header.length != 4)
    return 0;
  const std::uint32_t total = loadLe32(answer.payload);
  if (total > kMaxRecords)
    return 0;
  DatabaseImageBuilder image(total);
  for (std::uint32_t index = 0; index < total; ++index) {
    unsigned char indexBytes[4];
    storeLe32(indexBytes, index);
    // The index stands at offset 8 while the length field says 0.
    if (!exchange(lock, kCommandGetKeyByIndex, indexBytes, sizeof indexBytes, 0,
                  answer)) {
      image.discard();
      return 0;
    }
    if (answer.header.kind != kKindAnswer || answer.header.length != sizeof(KeyRecord))
      break;
    image.add(std::span<const unsigned char>(answer.payload, sizeof(KeyRecord)));
    platform::secureWipe(answer.payload, sizeof(KeyRecord));
  }
  count = image.count();
  buffer = image.finish();
  return 1;
}

int KeyServerClient::ExportNamedKeys(std::vector<unsigned char>& buffer,
                                     const char* names, std::uint32_t& count) {
  const std::uint32_t wanted = count;
  wipe(buffer);
  count = 0;
  Lock lock(*this);
  if (!lock.held() || !names)
    return 0;
  DatabaseImageBuilder image(wanted);
  const char* name = names;
  for (std::uint32_t i = 0; i < wanted && *name; ++i) {
    platform::Wiped<KeyRecord> record;
    bool answered = false;
    const bool found = findInBatch(lock, name, *record, answered);
    if (!answered) {
      image.discard();
      return 0;
    }
    if (found)
      image.add(*record);
    name += std::strlen(name) + 1;
  }
  count = image.count();
  buffer = image.finish();
  return 1;
}

int KeyServerClient::StoreKeys(const KeyRecord* records, std::uint32_t count,
                               KeyConflictWindow* window) {
  Lock lock(*this);
  if (!lock.held() || (count > 0 && !records))
    return 0;
  bool ask = window != nullptr;
  bool skipExisting = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const KeyRecord& record = records[i];
    if (ask || skipExisting) {
      const BoundedName name(record);
      bool answered = false;
      const bool exists =
          findInBatch(lock, name.text, *platform::Wiped<KeyRecord>(), answered);
      // A server that stopped answering would cost a second per record.
      if (!answered)
        return 0;
      if (exists) {
        if (skipExisting)
          continue;
        const std::intptr_t choice =
            window->send(UM_KEY_CONFLICT, reinterpret_cast<std::uintptr_t>(name.text), 0);
        if (choice == CONFLICT_END_BATCH)
          return 0;
        if (choice & CONFLICT_SKIP) {
          if (choice & CONFLICT_FOR_ALL) {
            skipExisting = true;
            ask = false;
          }
          continue;
        }
        constexpr std::intptr_t kReplaceAll = CONFLICT_REPLACE_ALL | CONFLICT_FOR_ALL;
        if ((choice & kReplaceAll) == kReplaceAll)
          ask = false;
      }
    }
    Answer answer;
    if (!exchange(lock, kCommandStoreKey, &record, sizeof record, sizeof record, answer))
      return 0;
  }
  return 1;
}

bool keyServerRunning() {
  return platform::RunningMark::probe(kServerRunMutexName) == platform::MarkState::Held;
}

} // namespace ravelock::keyserver
