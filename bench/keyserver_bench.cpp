// The round trip of one FindKey to the key server in its own process: the
// access mutex, the request, the server's answer and the copy out. Starts
// the server beside this program when none runs and stops it again.

#include "keyserver/client.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

using namespace ravelock;
using namespace ravelock::keyserver;

constexpr char kName[] = "benchmark key";

KeyServerClient& client() {
  static KeyServerClient c;
  return c;
}

void BM_FindKeyRoundTrip(benchmark::State& state) {
  KeyRecord record{};
  for (auto _ : state) {
    if (client().FindKey(kName, record) != 1) {
      state.SkipWithError("FindKey failed");
      break;
    }
    benchmark::DoNotOptimize(record);
  }
}
BENCHMARK(BM_FindKeyRoundTrip)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

bool waitForServer() {
  for (int i = 0; i < 2000 && !keyServerRunning(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return keyServerRunning();
}

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  static const int here = 0;
  bool started = false;
  if (!client().ConnectKeyServer(&here, true, &started) || !waitForServer()) {
    std::fputs("keyserver_bench: no key server\n", stderr);
    return 1;
  }
  KeyRecord record{};
  std::memcpy(record.key, "pass phrase", 11);
  record.length = 11;
  std::memcpy(record.name, kName, sizeof kName);
  if (client().StoreKey(record) != 1) {
    std::fputs("keyserver_bench: the key server does not answer\n", stderr);
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  client().DeleteKey(kName);
  if (started)
    client().ShutdownKeyServer();
  benchmark::Shutdown();
  return 0;
}
