#pragma once
// The key server's side of the shared objects: it owns the running mark,
// waits for "message_event_vell", answers in the section and signals
// "done_event_vell". It never takes the clients' access mutex. The programs
// (the Windows one with its tray icon, the native one) add only their
// surroundings.

#include "keyserver/protocol.h"
#include "keyserver/server_core.h"
#include "platform/ipc.h"

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace ravelock::keyserver {

class KeyServer {
public:
  enum class StartResult : std::uint8_t { Started, AlreadyRunning, Failed };

  KeyServer() = default;
  KeyServer(const KeyServer&) = delete;
  KeyServer& operator=(const KeyServer&) = delete;
  ~KeyServer();

  // Takes the running mark and opens the events and the section. A second
  // copy finds the mark taken and must end.
  StartResult start();

  // Waits up to `timeoutMs` for a request and answers it. One thread serves;
  // others may call forgetAllKeys and keyCount meanwhile.
  ServerAction serveNext(std::uint32_t timeoutMs);

  void forgetAllKeys();
  std::size_t keyCount();

  // Forgets the keys, wipes the section's payload and gives up the mark
  // (on the thread that called start). Natively it also removes the shared
  // objects, which would otherwise outlive it as files do.
  void stop();

private:
  std::mutex mutex_; // guards core_ and the section while a request is handled
  ServerCore core_;
  platform::RunningMark mark_;
  platform::NamedEvent message_;
  platform::NamedEvent done_;
  platform::SharedSection section_;
  unsigned char request_[kSectionSize];
  // How many bytes from the section's start may still hold data no one has
  // wiped: the last answer, whose client may have died before reading it.
  // At start, all of it: a killed server or client may have left a key. It
  // is wiped with the first request, not before: a client may be writing
  // that request already, and the server never takes the clients' mutex.
  std::size_t unwiped_ = kSectionSize;
};

} // namespace ravelock::keyserver
