// The engine's hot paths next to their peers, in one run: enciphering with
// the CRC folded in vs OpenSSL's Blowfish ECB, and CRC-32 vs zlib's.
// Prints each pair's throughput ratio at the end.

#include "engine/cipher/cipher.h"
#include "engine/cipher/crc32.h"
#include "engine/files/buffer_crypto.h"
#include "engine/files/encrypt_file.h"
#include "platform/file.h"
#include "platform/filesystem.h"

#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace ravelock::engine;

constexpr std::size_t kBufferBytes = 64u << 20;
const char kKey[] = "benchmark pass phrase";

std::vector<unsigned char>& buffer() {
  static std::vector<unsigned char> data = [] {
    std::vector<unsigned char> d(kBufferBytes);
    for (std::size_t i = 0; i < d.size(); ++i)
      d[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
    return d;
  }();
  return data;
}

void setBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kBufferBytes));
}

void BM_EncipherWithCrc(benchmark::State& state) {
  auto& data = buffer();
  for (auto _ : state) {
    CipherState cipher;
    cipher.Init(reinterpret_cast<const unsigned char*>(kKey), sizeof kKey - 1);
    ContentCrcs crcs;
    encipherPadded(cipher, data.data(), data.size(), nullptr, crcs);
    benchmark::DoNotOptimize(crcs);
  }
  setBytes(state);
}

void BM_DecipherWithCrc(benchmark::State& state) {
  auto& data = buffer();
  for (auto _ : state) {
    CipherState cipher;
    cipher.Init(reinterpret_cast<const unsigned char*>(kKey), sizeof kKey - 1);
    // Deciphering in place changes the buffer every round, so compute the
    // key-check CRC it will meet; the content CRC is left wrong, which
    // still runs the full pass (ending in 820).
    unsigned char head[128];
    std::memcpy(head, data.data(), sizeof head);
    cipher.DecryptBlocks(head, sizeof head / 8);
    const std::int32_t result = decipherPayload(cipher, data.data(), data.size(), nullptr,
                                                crc32(head, sizeof head), 0);
    benchmark::DoNotOptimize(result);
  }
  setBytes(state);
}

void BM_OpenSslBlowfishEcb(benchmark::State& state) {
  auto& data = buffer();
  for (auto _ : state) {
    BF_KEY key;
    BF_set_key(&key, sizeof kKey - 1, reinterpret_cast<const unsigned char*>(kKey));
    for (std::size_t i = 0; i < data.size(); i += 8)
      BF_ecb_encrypt(data.data() + i, data.data() + i, &key, BF_ENCRYPT);
    benchmark::ClobberMemory();
  }
  setBytes(state);
}

void BM_Crc32(benchmark::State& state) {
  auto& data = buffer();
  for (auto _ : state)
    benchmark::DoNotOptimize(crc32(data.data(), data.size()));
  setBytes(state);
}

void BM_ZlibCrc32(benchmark::State& state) {
  auto& data = buffer();
  for (auto _ : state)
    benchmark::DoNotOptimize(::crc32(0L, data.data(), static_cast<uInt>(data.size())));
  setBytes(state);
}

// Whole files: a 256 MiB file encrypted beside the original, next to a plain
// copy of the same file through the same platform calls.
constexpr std::uint64_t kFileBytes = 256u << 20;

const std::string& benchFile() {
  static const std::string path = [] {
    const std::string p =
        (std::filesystem::temp_directory_path() / "ravelock-bench.bin").string();
    using namespace ravelock::platform;
    File f = File::open(p.c_str(), Access::Write, Share::None, Disposition::CreateAlways);
    const auto& data = buffer();
    for (std::uint64_t done = 0; done < kFileBytes; done += data.size()) {
      std::size_t written = 0;
      f.write(std::as_bytes(std::span(data)), written);
    }
    return p;
  }();
  return path;
}

void BM_EncryptFile(benchmark::State& state) {
  const std::string& source = benchFile();
  ravelock::KeyRecord key{};
  std::memcpy(key.key, kKey, sizeof kKey - 1);
  key.length = sizeof kKey - 1;
  for (auto _ : state) {
    if (EncryptFile(source.c_str(), nullptr, &key, nullptr, 0) != 0)
      state.SkipWithError("EncryptFile failed");
    state.PauseTiming();
    ravelock::platform::deleteFile((source + ".rlk").c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

void BM_CopyFile(benchmark::State& state) {
  using namespace ravelock::platform;
  const std::string& source = benchFile();
  const std::string target = source + ".copy";
  std::vector<std::byte> chunk(131072);
  for (auto _ : state) {
    File in =
        File::open(source.c_str(), Access::Read, Share::Read, Disposition::OpenExisting);
    File out =
        File::open(target.c_str(), Access::Write, Share::None, Disposition::CreateAlways);
    std::size_t got = 0, written = 0;
    while (in.read(chunk, got) && got > 0)
      out.write(std::span(chunk.data(), got), written);
    out.close();
    state.PauseTiming();
    deleteFile(target.c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

BENCHMARK(BM_EncipherWithCrc)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DecipherWithCrc)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_OpenSslBlowfishEcb)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Crc32)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ZlibCrc32)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_EncryptFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps each benchmark's throughput so the ratios can be printed after the
// normal console table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.counters.count("bytes_per_second"))
        throughput[run.benchmark_name()] = run.counters.at("bytes_per_second");
  }
  std::map<std::string, double> throughput;
};

void printRatio(const RatioReporter& r, const char* what, const std::string& ours,
                const std::string& peer) {
  if (!r.throughput.count(ours) || !r.throughput.count(peer))
    return;
  const double a = r.throughput.at(ours), b = r.throughput.at(peer);
  std::printf("%-46s %8.1f MB/s vs %8.1f MB/s  ratio %.2fx\n", what, a / 1e6, b / 1e6,
              a / b);
}

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nThroughput ratios (ours / peer, higher is better):\n");
  printRatio(reporter, "encipher+CRC vs OpenSSL BF_ecb_encrypt",
             "BM_EncipherWithCrc/min_time:1.000", "BM_OpenSslBlowfishEcb/min_time:1.000");
  printRatio(reporter, "decipher+CRC vs OpenSSL BF_ecb_encrypt",
             "BM_DecipherWithCrc/min_time:1.000", "BM_OpenSslBlowfishEcb/min_time:1.000");
  printRatio(reporter, "CRC-32 vs zlib crc32", "BM_Crc32/min_time:1.000",
             "BM_ZlibCrc32/min_time:1.000");
  printRatio(reporter, "EncryptFile 256 MiB vs in-memory encipher",
             "BM_EncryptFile/min_time:2.000", "BM_EncipherWithCrc/min_time:1.000");
  printRatio(reporter, "EncryptFile 256 MiB vs plain file copy",
             "BM_EncryptFile/min_time:2.000", "BM_CopyFile/min_time:2.000");
  std::filesystem::remove(benchFile());
  benchmark::Shutdown();
  return 0;
}
