#include "keyserver/server.h"

#include "keyserver/protocol.h"
#include "platform/secure_wipe.h"

#include <algorithm>
#include <cstring>

namespace ravelock::keyserver {

namespace {
// Clients that look at the mark hold it for a moment only.
constexpr std::uint32_t kMarkWaitMs = 500;
} // namespace

KeyServer::~KeyServer() {
  stop();
}

KeyServer::StartResult KeyServer::start() {
  mark_ = platform::RunningMark::take(kServerRunMutexName, kMarkWaitMs);
  if (!mark_.isValid())
    return platform::RunningMark::probe(kServerRunMutexName) == platform::MarkState::Held
               ? StartResult::AlreadyRunning
               : StartResult::Failed;
  message_ = platform::NamedEvent::open(kMessageEventName);
  done_ = platform::NamedEvent::open(kDoneEventName);
  section_ = platform::SharedSection::open(kSectionName, kSectionSize);
  if (!message_.isValid() || !done_.isValid() || !section_.isValid()) {
    stop();
    return StartResult::Failed;
  }
  return StartResult::Started;
}

ServerAction KeyServer::serveNext(std::uint32_t timeoutMs) {
  if (!section_.isValid() || message_.wait(timeoutMs) != platform::WaitResult::Signalled)
    return ServerAction::None;
  std::lock_guard lock(mutex_);
  unsigned char* shared = section_.data();
  // Work on a copy: any process of the session can write to the section.
  std::memcpy(request_, shared, kHeaderSize);
  const MessageHeader header = readHeader(request_);
  if (header.kind != kKindRequest)
    return ServerAction::None;
  const std::size_t size = requestSize(header);
  std::memcpy(request_ + kHeaderSize, shared + kHeaderSize, size - kHeaderSize);
  // A stored key must not linger in the section once it has been read, nor
  // the tail of an earlier answer that the new request did not overwrite.
  platform::secureWipe(shared + kHeaderSize, std::max(size, unwiped_) - kHeaderSize);
  unwiped_ = kHeaderSize;

  const Reply reply = core_.handle({request_, size}, {shared, kSectionSize});
  platform::secureWipe(request_, size);
  if (reply.answered) {
    unwiped_ = answerSize(readHeader(shared));
    done_.signal();
  }
  return reply.action;
}

void KeyServer::forgetAllKeys() {
  std::lock_guard lock(mutex_);
  core_.store().clear();
}

std::size_t KeyServer::keyCount() {
  std::lock_guard lock(mutex_);
  return core_.store().count();
}

void KeyServer::stop() {
  {
    std::lock_guard lock(mutex_);
    core_.store().clear();
    // The last answer may have carried a key that its client never wiped.
    if (section_.isValid())
      platform::secureWipe(section_.data() + kHeaderSize, kSectionSize - kHeaderSize);
  }
  // Only the server that holds the mark owns the objects (a second copy
  // that found it taken leaves them to the first), and it never removes a
  // file it refused to open. The clients' mutex, which it never opens, goes
  // with a server that had everything else.
  const bool owner = mark_.isValid();
  const auto removeIf = [owner](bool opened, const char* name) {
    if (owner && opened)
      platform::removeNamedObject(name);
  };
  removeIf(section_.isValid(), kSectionName);
  removeIf(done_.isValid(), kDoneEventName);
  removeIf(message_.isValid(), kMessageEventName);
  removeIf(section_.isValid(), kAccessMutexName);
  removeIf(true, kServerRunMutexName);
  section_.close();
  done_.close();
  message_.close();
  mark_.release();
}

} // namespace ravelock::keyserver
