#include "engine/engine_test_util.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/encrypt_file.h"
#include "engine/files/target_naming.h"
#include "engine/format/header.h"
#include "engine/known_answers.h"
#include "engine/results.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "support/fault_hooks.h"
#include "support/file_times.h"
#include "support/key_record.h"
#include "support/scripted_link.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

namespace ravelock::engine {
namespace {

using platform::Fault;
using platform::Op;
using test::readFile;
using test::ScriptedLink;
using test::TempDir;
using test::writeFile;

constexpr char kKeyName[] = "Test key";

std::set<std::string> filesIn(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.insert(entry.path().filename().string());
  return names;
}

void encryptTo(const std::string& path, const std::string& plain,
               const std::string& key) {
  writeFile(path, plain);
  const KeyRecord record = test::keyRecord(key, kKeyName);
  ASSERT_EQ(EncryptFile(path.c_str(), nullptr, &record, nullptr, 1), 0);
}

// Decrypts with `key` as the current key and no dialog answers.
std::int32_t decryptWith(const std::string& source, const std::string& key,
                         std::int32_t deleteOriginal, ProgressLink* link = nullptr,
                         char* target = nullptr) {
  char buffer[kMaxPath] = {};
  KeyRecord current = test::keyRecord(key, kKeyName);
  return DecryptFile(source.c_str(), target ? target : buffer, &current, nullptr, link,
                     &deleteOriginal);
}

TEST(DecryptFile, FilesOfTheIndependentImplementation) {
  TempDir dir;
  for (const auto& v : test::kKnownAnswers) {
    if (v.keyLength > kMaxKeyLength)
      continue; // a key record holds at most 56 bytes
    SCOPED_TRACE(testing::Message()
                 << "key " << v.keyLength << " plain " << v.plainLength);
    EncryptedFileHeader h{kFileIdentifier,
                          static_cast<std::uint32_t>(v.plainLength),
                          v.keyCheckCrc,
                          v.contentCrc,
                          {}};
    unsigned char raw[kHeaderSize];
    serializeHeader(h, raw);
    const std::string path = dir.file("v.bin.rlk");
    writeFile(path, std::string(reinterpret_cast<char*>(raw), kHeaderSize) +
                        std::string(v.cipherText));
    char target[kMaxPath] = {};
    ASSERT_EQ(decryptWith(path, test::knownKey(v.keyLength), 1, nullptr, target), 0);
    EXPECT_EQ(std::string(target), dir.file("v.bin"));
    EXPECT_TRUE(readFile(dir.file("v.bin")) == test::knownPlain(v.plainLength));
    EXPECT_EQ(filesIn(dir), std::set<std::string>{"v.bin"});
    std::filesystem::remove(dir.file("v.bin"));
  }
}

TEST(DecryptFile, RoundTripBesideAndInPlaceWithTimesAndAttributes) {
  for (std::size_t size : {0u, 7u, 128u, 300001u}) {
    for (std::int32_t deleteOriginal : {0, 1}) {
      SCOPED_TRACE(testing::Message() << size << " bytes, delete " << deleteOriginal);
      TempDir dir;
      const std::string plain = test::knownPlain(size);
      encryptTo(dir.file("a.txt"), plain, "key");
      const std::string source = dir.file("a.txt.rlk");
      ASSERT_TRUE(test::setFileTimes(source, test::kKnownTimes));
      ASSERT_TRUE(platform::setAttributes(source.c_str(), platform::kAttrReadOnly));
      ScriptedLink link;
      ASSERT_EQ(decryptWith(source, "key", deleteOriginal, &link), 0);
      EXPECT_TRUE(readFile(dir.file("a.txt")) == plain);
      EXPECT_NE(platform::getAttributes(dir.file("a.txt").c_str()) &
                    platform::kAttrReadOnly,
                0u);
      EXPECT_EQ(test::fileTimes(dir.file("a.txt")).lastWrite,
                test::kKnownTimes.lastWrite);
      const std::set<std::string> expected =
          deleteOriginal ? std::set<std::string>{"a.txt"}
                         : std::set<std::string>{"a.txt", "a.txt.rlk"};
      EXPECT_EQ(filesIn(dir), expected);
      EXPECT_EQ(link.sent.back().id, UM_QUERY_REMEMBER);
      for (const char* name : {"a.txt", "a.txt.rlk"})
        platform::setAttributes(dir.file(name).c_str(), platform::kAttrNormal);
    }
  }
}

TEST(DecryptFile, KeySearchOrder) {
  struct Case {
    const char* what;
    std::string current;            // "" = length 0
    std::string named;              // "" = none
    std::string namedName;          // the named key's name
    std::vector<std::string> typed; // answers to UM_ASK_KEY in order ("" = cancel)
    std::int32_t result;
    int asked, badKeys;
  } cases[] = {
      {"current fits", "right", "", "", {}, 0, 0, 0},
      {"named fits after the current", "wrong", "right", "Other", {}, 0, 0, 0},
      {"named under the current key's name is not tried",
       "wrong",
       "right",
       "Test key",
       {"right"},
       0,
       1,
       0},
      {"no current key: named tried before asking", "", "right", "Other", {}, 0, 0, 0},
      {"no current key, named does not fit", "", "wrong", "Other", {"right"}, 0, 1, 0},
      {"asked again after a wrong key", "", "", "", {"bad", "right"}, 0, 2, 1},
      {"cancelled", "wrong", "", "", {"bad", ""}, 817, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    encryptTo(dir.file("k.txt"), "secret text", "right");
    KeyRecord current =
        c.current.empty() ? KeyRecord{} : test::keyRecord(c.current, kKeyName);
    KeyRecord named =
        c.named.empty() ? KeyRecord{} : test::keyRecord(c.named, c.namedName);
    ScriptedLink link;
    std::size_t nextAnswer = 0;
    int asked = 0, badKeys = 0;
    link.answer = [&](const test::Message& m) -> std::intptr_t {
      if (m.id == UM_BAD_KEY)
        ++badKeys;
      if (m.id != UM_ASK_KEY)
        return 0;
      ++asked;
      auto* request = reinterpret_cast<KeyRequest*>(m.wParam);
      EXPECT_STREQ(request->key->name, "Test key");
      if (asked > 1) { // the rejected key is handed back
        EXPECT_EQ(std::string(request->key->key, request->key->length),
                  c.typed[asked - 2]);
      }
      const std::string& answer = c.typed.at(nextAnswer++);
      if (answer.empty())
        return 0;
      std::memcpy(request->key->key, answer.data(), answer.size());
      request->key->length = static_cast<std::uint32_t>(answer.size());
      return 1;
    };
    char target[kMaxPath] = {};
    std::int32_t keep = 0;
    EXPECT_EQ(DecryptFile(dir.file("k.txt.rlk").c_str(), target, &current, &named, &link,
                          &keep),
              c.result);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(badKeys, c.badKeys);
    if (c.result == 0) {
      EXPECT_EQ(std::string(current.key, current.length), "right");
      EXPECT_EQ(readFile(dir.file("k.txt")), "secret text");
    } else {
      EXPECT_EQ(filesIn(dir), std::set<std::string>{"k.txt.rlk"}); // nothing created
    }
  }
}

TEST(DecryptFile, TargetConflictsAndNamesWithoutTheExtension) {
  TempDir dir;
  encryptTo(dir.file("a.txt"), "new", "k");
  writeFile(dir.file("a.txt"), "old");
  ScriptedLink link;
  int asked = 0;
  link.answer = [&](const test::Message& m) -> std::intptr_t {
    asked += m.id == UM_TARGET_EXISTS;
    return m.id == UM_TARGET_EXISTS ? 1 : 0;
  };
  EXPECT_EQ(decryptWith(dir.file("a.txt.rlk"), "k", 0, &link), 817);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(readFile(dir.file("a.txt")), "old");

  // A file without ".rlk" decrypts onto itself, in place, when allowed.
  encryptTo(dir.file("b"), "bee", "k");
  std::filesystem::rename(dir.file("b.rlk"), dir.file("b"));
  ScriptedLink overwrite;
  EXPECT_EQ(decryptWith(dir.file("b"), "k", 1, &overwrite), 0);
  EXPECT_EQ(readFile(dir.file("b")), "bee");
}

TEST(DecryptFile, DamagedContentIsKeptOnlyWhenTheUserSaysSo) {
  for (std::intptr_t keep : {0, 1}) {
    TempDir dir;
    encryptTo(dir.file("d.txt"), std::string(1000, 'd'), "k");
    std::string bytes = readFile(dir.file("d.txt.rlk"));
    bytes[600] ^= 0x40;
    writeFile(dir.file("d.txt.rlk"), bytes);
    ScriptedLink link;
    link.answer = [&](const test::Message& m) -> std::intptr_t {
      return m.id == UM_ASK_KEEP_BAD_CRC ? keep : 0;
    };
    EXPECT_EQ(decryptWith(dir.file("d.txt.rlk"), "k", 0, &link), keep ? 0 : 820);
    const std::set<std::string> expected =
        keep ? std::set<std::string>{"d.txt", "d.txt.rlk"}
             : std::set<std::string>{"d.txt.rlk"};
    EXPECT_EQ(filesIn(dir), expected);
  }
}

TEST(DecryptFile, RepeatedEncryption) {
  // Not kept: the once-decrypted result simply becomes a.txt.rlk again.
  {
    TempDir dir;
    encryptTo(dir.file("a.txt"), "twice", "k");
    // Encrypting a.txt.rlk again keeps its name (in place).
    encryptTo(dir.file("a.txt.rlk"), readFile(dir.file("a.txt.rlk")), "k");
    char target[kMaxPath] = {};
    ASSERT_EQ(decryptWith(dir.file("a.txt.rlk"), "k", 1, nullptr, target), 0);
    EXPECT_EQ(std::string(target), dir.file("a.txt.rlk"));
    EXPECT_EQ(filesIn(dir), std::set<std::string>{"a.txt.rlk"});
    ASSERT_EQ(decryptWith(dir.file("a.txt.rlk"), "k", 1), 0);
    EXPECT_EQ(readFile(dir.file("a.txt")), "twice");
  }
  // Kept: the name is taken by the original, so the user is asked.
  for (std::intptr_t answer : {0, 1}) {
    TempDir dir;
    encryptTo(dir.file("a.txt"), "twice", "k");
    // Encrypting a.txt.rlk again keeps its name (in place).
    encryptTo(dir.file("a.txt.rlk"), readFile(dir.file("a.txt.rlk")), "k");
    const std::string outer = readFile(dir.file("a.txt.rlk"));
    ScriptedLink link;
    std::string asked;
    link.answer = [&](const test::Message& m) -> std::intptr_t {
      if (m.id != UM_ASK_REPEATED)
        return 0;
      asked = reinterpret_cast<char*>(m.wParam);
      if (answer)
        std::strcpy(reinterpret_cast<char*>(m.wParam), dir.file("inner.rlk").c_str());
      return answer;
    };
    char target[kMaxPath] = {};
    EXPECT_EQ(decryptWith(dir.file("a.txt.rlk"), "k", 0, &link, target),
              answer ? 0 : 817);
    EXPECT_EQ(asked, dir.file("a.txt.rlk"));
    EXPECT_EQ(readFile(dir.file("a.txt.rlk")), outer);
    if (answer) {
      EXPECT_EQ(std::string(target), dir.file("inner.rlk"));
      EXPECT_EQ(filesIn(dir), (std::set<std::string>{"a.txt.rlk", "inner.rlk"}));
    } else {
      EXPECT_EQ(filesIn(dir), std::set<std::string>{"a.txt.rlk"});
    }
  }
}

struct Scenario {
  const char* what;
  std::int32_t deleteOriginal;
  int failTemporaryAt; // the Open call that creates the temporary file
};

constexpr Scenario kScenarios[] = {
    {"beside, keep", 0, 0},
    {"in place through a temporary file", 1, 0},
    {"in place, overwriting", 1, 3},
};

void expectEveryInjectedFailureLeavesTheSourceWhole(const std::string& plain) {
  TempDir original;
  encryptTo(original.file("f.txt"), plain, "k");
  const std::string encrypted = readFile(original.file("f.txt.rlk"));
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.what);
    std::unique_ptr<TempDir> dir;
    test::forEveryFailurePoint(
        s.failTemporaryAt,
        [&] {
          dir = std::make_unique<TempDir>();
          writeFile(dir->file("f.txt.rlk"), encrypted);
        },
        [&] { return decryptWith(dir->file("f.txt.rlk"), "k", s.deleteOriginal); },
        [&](Op which, int n, Fault fault, std::int32_t result) {
          // A disk that fills is the target's failure, never the source's.
          if (which == Op::Write && fault == Fault::NoSpace) {
            EXPECT_EQ(result, kDecryptWriteFailed);
          }
          if (result == 0) {
            EXPECT_TRUE(readFile(dir->file("f.txt")) == plain);
            return;
          }
          if (s.failTemporaryAt && (which == Op::Write || which == Op::SetEnd ||
                                    which == Op::Move || (which == Op::Seek && n > 2)))
            return; // overwriting in place: no copy once writing began
          EXPECT_TRUE(readFile(dir->file("f.txt.rlk")) == encrypted)
              << "source changed, result " << result;
          EXPECT_EQ(filesIn(*dir), std::set<std::string>{"f.txt.rlk"}) << result;
        });
  }
}

// Cancels at the first and last polls and at every `stride`-th between.
void expectCancelAtEveryPollLeavesTheSourceWhole(const std::string& plain, int stride) {
  TempDir original;
  encryptTo(original.file("f.txt"), plain, "k");
  const std::string encrypted = readFile(original.file("f.txt.rlk"));
  for (const Scenario& s : kScenarios) {
    if (s.failTemporaryAt)
      continue;
    SCOPED_TRACE(s.what);
    int polls = 0;
    {
      TempDir dir;
      writeFile(dir.file("f.txt.rlk"), encrypted);
      ScriptedLink link;
      ASSERT_EQ(decryptWith(dir.file("f.txt.rlk"), "k", s.deleteOriginal, &link), 0);
      polls = link.polls;
    }
    for (int k = 1; k <= polls; k += (k < 5 || k > polls - 5) ? 1 : stride) {
      TempDir dir;
      writeFile(dir.file("f.txt.rlk"), encrypted);
      ScriptedLink link;
      link.stopAtPoll = k;
      EXPECT_EQ(decryptWith(dir.file("f.txt.rlk"), "k", s.deleteOriginal, &link), 817)
          << "poll " << k;
      EXPECT_TRUE(readFile(dir.file("f.txt.rlk")) == encrypted);
      EXPECT_EQ(filesIn(dir), std::set<std::string>{"f.txt.rlk"});
    }
  }
}

TEST(DecryptFile, EveryInjectedFailureLeavesTheSourceWhole) {
  expectEveryInjectedFailureLeavesTheSourceWhole(test::knownPlain(300000));
}

// Every read, write, seek and flush between the first chunk and the last.
TEST(DecryptFile, EveryInjectedFailureInManyChunksLeavesTheSourceWhole) {
  ScopedChunkBytes small(kTestChunkBytes);
  expectEveryInjectedFailureLeavesTheSourceWhole(test::knownPlain(kManyChunksBytes));
}

TEST(DecryptFile, CancelAtEveryPollLeavesTheSourceWhole) {
  expectCancelAtEveryPollLeavesTheSourceWhole(test::knownPlain(300000), 97);
}

TEST(DecryptFile, CancelInManyChunksLeavesTheSourceWhole) {
  ScopedChunkBytes small(kTestChunkBytes);
  expectCancelAtEveryPollLeavesTheSourceWhole(test::knownPlain(kManyChunksBytes), 3);
}

} // namespace
} // namespace ravelock::engine

namespace ravelock::engine {
namespace {

// The path limit counts bytes of UTF-8: a path of fewer than 260
// characters but more bytes gets the designed error both ways, and no
// file of a cut name appears.
TEST(PathLimit, LongerInUtf8ThanTheLimitIsRefusedWhole) {
  TempDir dir;
  std::string folderName, fileName;
  for (int i = 0; i < 60; ++i) {
    folderName += "\xC3\xA9"; // é
    fileName += "\xC3\xB6";   // ö
  }
  const std::filesystem::path folder = dir.path() / test::fileSystemPath(folderName);
  std::filesystem::create_directory(folder);
  const std::string plain =
      test::utf8Of(folder / test::fileSystemPath(fileName + ".txt"));
  ASSERT_GE(plain.size() + 4, kMaxPath);
  writeFile(plain, "text");
  const KeyRecord record = test::keyRecord("k", kKeyName);
  EXPECT_EQ(EncryptFile(plain.c_str(), nullptr, &record, nullptr, 0),
            kEncryptCreateFailed);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
  EXPECT_EQ(readFile(plain), "text");

  encryptTo(dir.file("short.txt"), "secret", "k");
  const std::string encrypted = plain + ".rlk";
  std::filesystem::rename(test::fileSystemPath(dir.file("short.txt.rlk")),
                          test::fileSystemPath(encrypted));
  std::filesystem::remove(test::fileSystemPath(plain));
  EXPECT_EQ(decryptWith(encrypted, "k", 0), kDecryptCreateFailed);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
  EXPECT_TRUE(std::filesystem::exists(test::fileSystemPath(encrypted)));
}

} // namespace
} // namespace ravelock::engine
