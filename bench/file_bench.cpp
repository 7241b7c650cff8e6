// Whole files and whole processes, each figure the median of five runs on a
// source flushed to disk before the run: the file routines beside and in
// place against the in-memory all-cores pass of the same run, then the
// command-line tool against its peers (age, 7-Zip AES store, gpg) on the
// same 256 MiB file, and the tool's peak memory encrypting 1 GiB.

#include "engine/cipher/cipher.h"
#include "engine/cipher/crc32.h"
#include "engine/files/buffer_crypto.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/encrypt_file.h"
#include "engine/results.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace ravelock::engine;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kFileBytes = 256u << 20;
constexpr std::uint64_t kLargeFileBytes = 1u << 30;
constexpr int kRuns = 5;
const char kPassPhrase[] = "benchmark pass phrase";

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Writes `bytes` of varied content and flushes them to the disk.
void makeFile(const fs::path& path, std::uint64_t bytes) {
  std::vector<unsigned char> chunk(8u << 20);
  for (std::size_t i = 0; i < chunk.size(); ++i)
    chunk[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (std::uint64_t done = 0; done < bytes; done += chunk.size())
    out.write(reinterpret_cast<const char*>(chunk.data()),
              static_cast<std::streamsize>(
                  std::min<std::uint64_t>(chunk.size(), bytes - done)));
  out.close();
  ::sync();
}

// Median seconds of `run`, with `prepare` (untimed) and a flush of
// everything written so far before each run and `cleanUp` after it.
double medianSeconds(const std::function<void()>& prepare,
                     const std::function<bool()>& run,
                     const std::function<void()>& cleanUp) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    prepare();
    ::sync();
    const auto start = Clock::now();
    const bool ok = run();
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    cleanUp();
    if (!ok) {
      std::printf("  (run failed)\n");
      return 0;
    }
  }
  return median(times);
}

struct Child {
  bool ok = false;
  long peakKiB = 0;
};

// Runs a program to its end, its output discarded.
Child runProcess(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::fflush(stdout); // or the child would print what is buffered again
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    std::freopen("/dev/null", "r", stdin);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  Child child;
  if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
    child.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    child.peakKiB = usage.ru_maxrss;
  }
  return child;
}

bool hasProgram(const char* name) {
  return runProcess({"sh", "-c", std::string("command -v ") + name}).ok;
}

void printRate(const char* what, double seconds, std::uint64_t bytes) {
  std::printf("  %-44s %7.3f s  %8.1f MB/s\n", what, seconds, bytes / seconds / 1e6);
}

void printShare(const char* what, double fileSeconds, double memorySeconds,
                double target) {
  const double share = memorySeconds / fileSeconds;
  std::printf("  %-44s %6.0f %% of in-memory (target %.0f %%)%s\n", what, 100 * share,
              100 * target, share >= target ? "" : "  MISSED");
}

struct Figures {
  double memoryEncipher = 0, memoryDecipher = 0;
};

Figures inMemory() {
  std::vector<unsigned char> data(kFileBytes);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
  CipherState cipher;
  cipher.Init(reinterpret_cast<const unsigned char*>(kPassPhrase),
              sizeof kPassPhrase - 1);
  Figures f;
  ContentCrcs crcs;
  f.memoryEncipher = medianSeconds(
      [] {},
      [&] {
        return encipherPadded(cipher, data.data(), data.size(), nullptr, crcs) == 0;
      },
      [] {});
  // Each run deciphers what the one before left: the key check it will
  // meet is computed before it, the content check fails after the full pass.
  std::uint32_t keyCheck = 0;
  f.memoryDecipher = medianSeconds(
      [&] {
        unsigned char head[128];
        std::memcpy(head, data.data(), sizeof head);
        cipher.DecryptBlocks(head, sizeof head / 8);
        keyCheck = crc32(head, sizeof head);
      },
      [&] {
        return decipherPayload(cipher, data.data(), data.size(), nullptr, keyCheck, 0) ==
               kResultContentCrc;
      },
      [] {});
  std::printf("In memory, all %zu threads, %llu MiB:\n", CryptTeam::defaultThreads(),
              static_cast<unsigned long long>(kFileBytes >> 20));
  printRate("encipher+CRC", f.memoryEncipher, kFileBytes);
  printRate("decipher+CRC", f.memoryDecipher, kFileBytes);
  return f;
}

ravelock::KeyRecord benchKey() {
  ravelock::KeyRecord key{};
  std::memcpy(key.key, kPassPhrase, sizeof kPassPhrase - 1);
  key.length = sizeof kPassPhrase - 1;
  return key;
}

void fileRoutines(const fs::path& dir, const fs::path& plain, const Figures& memory) {
  const ravelock::KeyRecord key = benchKey();
  const std::string source = plain.string();
  const std::string encrypted = source + ".rlk";
  const std::string copy = (dir / "copy.bin").string();
  const std::string copyEncrypted = copy + ".rlk";
  auto remove = [](const std::string& p) { return [p] { fs::remove(p); }; };

  std::printf("\nFile routines, %llu MiB (median of %d):\n",
              static_cast<unsigned long long>(kFileBytes >> 20), kRuns);
  const double encryptBeside = medianSeconds(
      [] {}, [&] { return EncryptFile(source.c_str(), nullptr, &key, nullptr, 0) == 0; },
      remove(encrypted));
  printRate("EncryptFile beside the original", encryptBeside, kFileBytes);

  EncryptFile(source.c_str(), nullptr, &key, nullptr, 0);
  const std::string decrypted = (dir / "decrypted.bin").string();
  auto decrypt = [&](const std::string& from, char* target, int keep) {
    ravelock::KeyRecord current = key;
    std::int32_t deleteOriginal = keep ? 0 : 1;
    return DecryptFile(from.c_str(), target, &current, nullptr, nullptr,
                       &deleteOriginal) == 0;
  };
  const double decryptBeside =
      medianSeconds([] {},
                    [&] {
                      char target[260] = {};
                      std::snprintf(target, sizeof target, "%s", decrypted.c_str());
                      return decrypt(encrypted, target, 1);
                    },
                    remove(decrypted));
  printRate("DecryptFile beside the original", decryptBeside, kFileBytes);

  const double encryptInPlace = medianSeconds(
      [&] { fs::copy_file(source, copy, fs::copy_options::overwrite_existing); },
      [&] { return EncryptFile(copy.c_str(), nullptr, &key, nullptr, 1) == 0; },
      remove(copyEncrypted));
  printRate("EncryptFile in place", encryptInPlace, kFileBytes);
  const double decryptInPlace = medianSeconds(
      [&] {
        fs::copy_file(encrypted, copyEncrypted, fs::copy_options::overwrite_existing);
      },
      [&] {
        char target[260] = {};
        return decrypt(copyEncrypted, target, 0);
      },
      remove(copy));
  printRate("DecryptFile in place", decryptInPlace, kFileBytes);
  fs::remove(encrypted);

  printShare("EncryptFile beside", encryptBeside, memory.memoryEncipher, 0.85);
  printShare("DecryptFile beside", decryptBeside, memory.memoryDecipher, 0.85);
  printShare("EncryptFile in place", encryptInPlace, memory.memoryEncipher, 0.85);
  printShare("DecryptFile in place", decryptInPlace, memory.memoryDecipher, 0.85);
}

struct Peer {
  const char* name;
  std::vector<std::string> encrypt, decrypt;
  std::string encryptedPath, decryptedPath;
};

void peers(const fs::path& dir, const fs::path& plain, const std::string& tool) {
  const std::string in = plain.string();
  // The tool decrypts only files named as it names them.
  const std::string out = (dir / "peer.rlk").string();
  const std::string back = (dir / "peer.back").string();
  const std::string keyFile = (dir / "pass.txt").string();
  std::ofstream(keyFile) << kPassPhrase << "\n";
  const std::string ageKey = (dir / "age.key").string();
  const std::string gpgHome = (dir / "gnupg").string();
  fs::create_directories(gpgHome);
  fs::permissions(gpgHome, fs::perms::owner_all);
  const bool haveAge = hasProgram("age") && hasProgram("age-keygen") &&
                       runProcess({"age-keygen", "-o", ageKey}).ok;
  std::string recipient;
  if (haveAge) {
    const std::string recipientFile = (dir / "age.pub").string();
    runProcess({"sh", "-c", "age-keygen -y '" + ageKey + "' > '" + recipientFile + "'"});
    std::ifstream(recipientFile) >> recipient;
  }
  const std::string backDir = (dir / "unpacked").string();
  const std::string gpgPass = std::string("--passphrase=") + kPassPhrase;

  std::vector<Peer> list = {
      {"ravelock",
       {tool, "encrypt", "--key-file", keyFile, "--output", out, "--overwrite", in},
       {tool, "decrypt", "--key-file", keyFile, "--output", back, "--overwrite", out},
       out,
       back},
      {"age (X25519)",
       {"age", "-r", recipient, "-o", out, in},
       {"age", "-d", "-i", ageKey, "-o", back, out},
       out,
       back},
      {"7-Zip AES, store",
       {"7zz", "a", "-mx0", std::string("-p") + kPassPhrase, "-bso0", "-bsp0",
        out + ".7z", in},
       {"7zz", "x", std::string("-p") + kPassPhrase, "-bso0", "-bsp0", "-y",
        "-o" + backDir, out + ".7z"},
       out + ".7z",
       backDir},
      {"gpg --symmetric AES-256",
       {"gpg", "--homedir", gpgHome, "--batch", "--yes", "--pinentry-mode", "loopback",
        gpgPass, "--symmetric", "--cipher-algo", "AES256", "--compress-algo", "none",
        "-o", out, in},
       {"gpg", "--homedir", gpgHome, "--batch", "--yes", "--pinentry-mode", "loopback",
        gpgPass, "-d", "-o", back, out},
       out,
       back},
      {"cp", {"cp", in, out}, {"cp", out, back}, out, back},
  };

  std::printf("\nWhole processes on the same %llu MiB file (median of %d):\n",
              static_cast<unsigned long long>(kFileBytes >> 20), kRuns);
  std::vector<std::pair<double, double>> times;
  for (const Peer& p : list) {
    if (!hasProgram(p.encrypt[0].c_str()) || (p.encrypt[0] == "age" && !haveAge)) {
      std::printf("  %-26s not installed\n", p.name);
      times.emplace_back(0, 0);
      continue;
    }
    const double enc = medianSeconds([&] { fs::remove(p.encryptedPath); },
                                     [&] { return runProcess(p.encrypt).ok; }, [] {});
    const double dec = medianSeconds([&] { fs::remove_all(p.decryptedPath); },
                                     [&] { return runProcess(p.decrypt).ok; },
                                     [&] { fs::remove_all(p.decryptedPath); });
    fs::remove(p.encryptedPath);
    times.emplace_back(enc, dec);
    std::printf("  %-26s encrypt %6.3f s   decrypt %6.3f s\n", p.name, enc, dec);
  }
  ::setenv("GNUPGHOME", gpgHome.c_str(), 1);
  runProcess({"gpgconf", "--kill", "gpg-agent"});

  std::printf("\nTheir time / ravelock's time (above 1: ravelock faster):\n");
  const auto [ourEnc, ourDec] = times[0];
  for (std::size_t i = 1; i + 1 < list.size(); ++i) {
    if (times[i].first == 0 || ourEnc == 0 || ourDec == 0)
      continue;
    std::printf("  %-26s encrypt %5.2fx   decrypt %5.2fx\n", list[i].name,
                times[i].first / ourEnc, times[i].second / ourDec);
  }
}

void peakMemory(const fs::path& dir, const std::string& tool) {
  const fs::path large = dir / "large.bin";
  makeFile(large, kLargeFileBytes);
  const std::string keyFile = (dir / "pass.txt").string();
  const std::string out = (dir / "large.rlk").string();
  const Child child = runProcess({tool, "encrypt", "--key-file", keyFile, "--output", out,
                                  "--overwrite", large.string()});
  std::printf("\nPeak memory of 'ravelock encrypt' on a 1 GiB file: %.1f MiB%s (target "
              "below 64 MiB)%s\n",
              child.peakKiB / 1024.0, child.ok ? "" : " (the run failed)",
              child.peakKiB < 64 * 1024 ? "" : "  MISSED");
  fs::remove(large);
  fs::remove(out);
}

} // namespace

int main(int, char** argv) {
  // The work files go beside the build, on a real disk (a temporary
  // directory may live in memory).
  const fs::path self = fs::canonical(fs::path(argv[0]));
  const fs::path dir = self.parent_path() / "file-bench";
  const std::string tool = (self.parent_path() / "ravelock").string();
  fs::remove_all(dir);
  fs::create_directories(dir);
  // The tool must not meet a key server the user runs.
  ::setenv("RAVELOCK_IPC_SCOPE", "file-bench", 1);

  const fs::path plain = dir / "plain.bin";
  makeFile(plain, kFileBytes);
  const Figures memory = inMemory();
  fileRoutines(dir, plain, memory);
  peers(dir, plain, tool);
  peakMemory(dir, tool);
  fs::remove_all(dir);
  return 0;
}
