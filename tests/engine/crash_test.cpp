// A run killed at many points of a large file, in place and beside: each
// time the original or the complete result is there (never half of one
// under its name), the encryption's leftovers hold no plain text, and the
// next run leaves no temporary file behind.

#include "crash_child.h"
#include "engine/cipher/cipher.h"
#include "engine/files/buffer_crypto.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/encrypt_file.h"
#include "engine/files/file_transform.h"
#include "engine/format/header.h"
#include "engine/known_answers.h"
#include "platform/fault_injection.h"
#include "platform/filesystem.h"
#include "platform/module.h"
#include "platform/process.h"
#include "support/key_record.h"
#include "support/temp_dir.h"
#include "support/wine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace ravelock::engine {
namespace {

using platform::Op;
using test::readFile;
using test::TempDir;
using test::writeFile;

// Three chunks of the stream and a tail.
constexpr std::size_t kFileBytes = 2 * 1048576 + 1234;

std::string childProgram() {
  return platform::moduleFolder(reinterpret_cast<const void*>(&childProgram)) +
         platform::executableFileName("crash_child");
}

// Whether `file` is a complete encrypted file of `plain` under the test key.
bool encrypts(const std::string& file, const std::string& plain) {
  if (file.size() < kHeaderSize)
    return false;
  unsigned char raw[kHeaderSize];
  std::memcpy(raw, file.data(), kHeaderSize);
  const EncryptedFileHeader header = parseHeader(raw);
  if (checkHeader(header, file.size()) != 0)
    return false;
  std::string payload = file.substr(kHeaderSize);
  CipherState cipher;
  cipher.Init(reinterpret_cast<const unsigned char*>(test::kCrashChildKey),
              std::strlen(test::kCrashChildKey));
  return decipherPayload(cipher, reinterpret_cast<unsigned char*>(payload.data()),
                         payload.size(), nullptr, header.keyCheckCrc,
                         header.contentCrc) == 0 &&
         payload.compare(0, header.originalSize, plain) == 0 &&
         header.originalSize == plain.size();
}

bool holdsPlainText(const std::string& bytes, const std::string& plain) {
  for (std::size_t at = 0; at + 32 <= plain.size(); at += 65519)
    if (bytes.find(plain.substr(at, 32)) != std::string::npos)
      return true;
  return false;
}

std::vector<std::string> temporaryFiles(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 7 && name.compare(name.size() - 7, 7, kTemporarySuffix) == 0)
      names.push_back(name);
  }
  return names;
}

struct Scenario {
  const char* what;
  bool decrypting;
  int deleteOriginal;
};

std::int32_t runHere(const Scenario& s, const std::string& source) {
  KeyRecord key = test::keyRecord(test::kCrashChildKey, "crash");
  if (!s.decrypting)
    return EncryptFile(source.c_str(), nullptr, &key, nullptr, s.deleteOriginal);
  char target[platform::kMaxPath] = {};
  std::int32_t remove = s.deleteOriginal;
  return DecryptFile(source.c_str(), target, &key, nullptr, nullptr, &remove);
}

struct Tally {
  int kills = 0;
  int originalKept = 0;
  int resultComplete = 0;
  int temporaryLeft = 0;
};

TEST(Crash, KilledAnywhereTheOriginalOrTheWholeResultIsThere) {
  const std::string plain = test::knownPlain(kFileBytes);
  const bool slow = test::runningUnderWine(); // a process start costs ~0.5 s
  Tally tally;
  for (const Scenario& s :
       {Scenario{"encrypt beside", false, 0}, Scenario{"encrypt in place", false, 1},
        Scenario{"decrypt beside", true, 0}, Scenario{"decrypt in place", true, 1}}) {
    SCOPED_TRACE(s.what);
    std::unique_ptr<TempDir> dir;
    std::string source, target, sourceBytes;
    const auto prepare = [&] {
      dir = std::make_unique<TempDir>();
      const std::string plainFile = dir->file("big.txt");
      writeFile(plainFile, plain);
      if (s.decrypting) {
        ASSERT_EQ(runHere({"", false, 1}, plainFile), 0);
      }
      source = s.decrypting ? plainFile + ".rlk" : plainFile;
      target = s.decrypting ? plainFile : plainFile + ".rlk";
      sourceBytes = readFile(source);
    };
    const auto child = [&](Op op, int n) {
      platform::ChildProcess run = platform::ChildProcess::start(
          childProgram(),
          {s.decrypting ? "decrypt" : "encrypt", source, std::to_string(s.deleteOriginal),
           std::to_string(static_cast<int>(op)), std::to_string(n)});
      EXPECT_TRUE(run.isValid());
      return run;
    };

    int counts[static_cast<int>(Op::Count)] = {};
    {
      // Counted here, in this process: the same calls the child makes.
      prepare();
      struct Count : platform::FaultHook {
        std::atomic<int> calls[static_cast<int>(Op::Count)] = {};
        platform::Fault onCall(Op op) override {
          ++calls[static_cast<int>(op)];
          return platform::Fault::None;
        }
      } count;
      platform::installFaultHook(&count);
      const std::int32_t result = runHere(s, source);
      platform::installFaultHook(nullptr);
      ASSERT_EQ(result, 0);
      for (int op = 0; op < static_cast<int>(Op::Count); ++op)
        counts[op] = count.calls[op];
    }

    for (int op = 0; op < static_cast<int>(Op::Count); ++op) {
      const int stride = slow ? 3 : 1;
      for (int n = 1; n <= counts[op]; n += (n == counts[op] - 1) ? 1 : stride) {
        SCOPED_TRACE(testing::Message()
                     << platform::opName(static_cast<Op>(op)) << " call " << n);
        prepare();
        {
          platform::ChildProcess run = child(static_cast<Op>(op), n);
          ASSERT_EQ(run.wait(120000), test::kCrashChildKilled);
        }
        ++tally.kills;
        const bool originalKept =
            std::filesystem::exists(source) && readFile(source) == sourceBytes;
        const bool targetThere = std::filesystem::exists(target);
        const bool resultComplete =
            targetThere && (s.decrypting ? readFile(target) == plain
                                         : encrypts(readFile(target), plain));
        EXPECT_TRUE(!targetThere || resultComplete) << "half a result under its name";
        EXPECT_TRUE(originalKept || resultComplete) << "neither original nor result";
        tally.originalKept += originalKept;
        tally.resultComplete += resultComplete;
        const std::vector<std::string> left = temporaryFiles(*dir);
        tally.temporaryLeft += !left.empty();
        if (!s.decrypting) {
          for (const std::string& name : left)
            EXPECT_FALSE(holdsPlainText(readFile(dir->file(name)), plain)) << name;
        }

        // The next run.
        if (std::filesystem::exists(source)) {
          ASSERT_EQ(runHere(s, source), 0);
          EXPECT_TRUE(s.decrypting ? readFile(target) == plain
                                   : encrypts(readFile(target), plain));
        }
        EXPECT_TRUE(temporaryFiles(*dir).empty()) << "after the next run";
      }
    }
  }
  std::printf("%d kills: the original kept %d times, the result complete %d times, "
              "a temporary file left %d times and removed by the next run\n",
              tally.kills, tally.originalKept, tally.resultComplete, tally.temporaryLeft);
}

} // namespace
} // namespace ravelock::engine
