#include "server_process.h"

#include "platform/module.h"

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

} // namespace ravelock::keyserver::test
