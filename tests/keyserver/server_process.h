#pragma once
// The real vellserver for tests: started beside the test program through
// the client, as the product starts it, and stopped with the shutdown
// request so that nothing outlives the test (under Wine the prefix's
// wineserver waits for every process).

#include "keyserver/client.h"

#include <chrono>
#include <functional>
#include <string>

namespace ravelock::keyserver::test {

// The folder of the test programs, where vellserver and the helpers are built.
std::string programFolder();

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// Connects `client`, starting the server when none runs, and waits until the
// server has taken its mark. False when it did not come up.
bool connectAndWaitForServer(KeyServerClient& client, bool* started = nullptr);

// Ends a server of this session, if one runs, and waits until it has gone.
bool stopRunningServer();

// The shared objects as a client sees them, used by hand to leave the
// section as a client that dies in the middle of a request leaves it.
struct RawClient {
  RawClient();
  bool isValid() const;

  // Asks for the key of `name` and returns once the answer is in the
  // section, without reading or wiping it; the access mutex stays held until
  // `release` (or the process ends). True when the answer carries a record.
  bool findAndLeaveAnswer(const char* name);
  void release();

  platform::SharedSection section;
  platform::NamedEvent message;
  platform::NamedEvent done;
  platform::NamedMutex access;
  bool holding = false;
};

// How many bytes after the header of the section are not zero.
std::size_t payloadBytesLeft(const platform::SharedSection& section);

} // namespace ravelock::keyserver::test
