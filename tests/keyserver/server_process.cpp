#include "server_process.h"

#include "platform/module.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace ravelock::keyserver::test {

namespace {
// A cold start of a program under Wine can take seconds.
constexpr std::chrono::seconds kStartLimit{20};
} // namespace

std::string programFolder() {
  static const int here = 0;
  return platform::moduleFolder(&here);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool connectAndWaitForServer(KeyServerClient& client, bool* started) {
  if (!client.connectFromFolder(programFolder(), /*hideIcon=*/true, started))
    return false;
  return waitUntil(keyServerRunning, kStartLimit);
}

bool stopRunningServer() {
  if (!keyServerRunning())
    return true;
  KeyServerClient client;
  if (client.connectFromFolder(programFolder(), true, nullptr))
    client.ShutdownKeyServer();
  return waitUntil([] { return !keyServerRunning(); }, kStartLimit);
}

RawClient::RawClient()
    : section(platform::SharedSection::open(kSectionName, kSectionSize)),
      message(platform::NamedEvent::open(kMessageEventName)),
      done(platform::NamedEvent::open(kDoneEventName)),
      access(platform::NamedMutex::open(kAccessMutexName)) {}

bool RawClient::isValid() const {
  return section.isValid() && message.isValid() && done.isValid() && access.isValid();
}

bool RawClient::findAndLeaveAnswer(const char* name) {
  if (!isValid())
    return false;
  // A client killed while holding the mutex leaves it abandoned: ours now.
  const platform::WaitResult got = access.lock(platform::kWaitForever);
  if (got != platform::WaitResult::Signalled && got != platform::WaitResult::Abandoned)
    return false;
  holding = true;
  const auto length = static_cast<std::uint32_t>(std::strlen(name) + 1);
  writeHeader(section.data(), {kKindRequest, kCommandFindKey, 0, length});
  std::memcpy(section.data() + kHeaderSize, name, length);
  done.reset();
  message.signal();
  if (done.wait(kAnswerTimeoutMs) != platform::WaitResult::Signalled)
    return false;
  const MessageHeader answer = readHeader(section.data());
  return answer.kind == kKindAnswer && answer.code == kStatusRecord &&
         answer.length == sizeof(KeyRecord);
}

void RawClient::release() {
  if (holding)
    access.unlock();
  holding = false;
}

std::size_t payloadBytesLeft(const platform::SharedSection& section) {
  return static_cast<std::size_t>(std::count_if(section.data() + kHeaderSize,
                                                section.data() + section.size(),
                                                [](unsigned char b) { return b != 0; }));
}

} // namespace ravelock::keyserver::test
