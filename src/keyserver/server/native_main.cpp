// vellserver natively: the key server without an icon. It ends on the
// shutdown request, or when SIGTERM, SIGINT or SIGHUP says that the session
// ends; its keys are wiped either way.

#include "keyserver/server.h"

#include <csignal>
#include <cstdio>
#include <string_view>

namespace {

volatile std::sig_atomic_t endRequested = 0;

extern "C" void requestEnd(int) {
  endRequested = 1;
}

// How often the loop looks at endRequested between requests.
constexpr std::uint32_t kPollMs = 200;

} // namespace

int main(int argc, char** argv) {
  using namespace ravelock::keyserver;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::puts("Usage: vellserver [without_icon]\n\n"
                "Keeps remembered Ravelock keys in memory for this session and answers\n"
                "the ravelock tools. Started by them when needed; 'ravelock keys stop'\n"
                "ends it. There is no icon natively, so without_icon changes nothing.");
      return 0;
    }
    if (arg != "without_icon") {
      std::fprintf(stderr, "vellserver: unknown argument '%s'\n", argv[i]);
      return 2;
    }
  }
  std::signal(SIGTERM, requestEnd);
  std::signal(SIGINT, requestEnd);
#ifdef SIGHUP
  std::signal(SIGHUP, requestEnd);
#endif

  KeyServer server;
  switch (server.start()) {
  case KeyServer::StartResult::Started: break;
  case KeyServer::StartResult::AlreadyRunning: return 0;
  case KeyServer::StartResult::Failed:
    std::fputs("vellserver: cannot create the key server's shared objects\n", stderr);
    return 1;
  }
  while (!endRequested)
    if (server.serveNext(kPollMs) == ServerAction::Shutdown)
      break;
  server.stop();
  return 0;
}
