#include "engine/engine_test_util.h"
#include "engine/files/buffer_crypto.h"
#include "engine/files/encrypt_file.h"
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

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

namespace ravelock::engine {
namespace {

using platform::Fault;
using platform::Op;
using test::FailNth;
using test::readFile;
using test::ScriptedLink;
using test::TempDir;
using test::writeFile;

constexpr char kKeyName[] = "Test key";

// Deciphers an encrypted file's bytes with the engine and checks both CRCs.
std::string decrypted(const std::string& file, const std::string& key,
                      EncryptedFileHeader* headerOut = nullptr) {
  EXPECT_GE(file.size(), kHeaderSize);
  unsigned char raw[kHeaderSize];
  std::memcpy(raw, file.data(), kHeaderSize);
  const EncryptedFileHeader header = parseHeader(raw);
  EXPECT_EQ(checkHeader(header, file.size()), 0);
  std::string payload = file.substr(kHeaderSize);
  CipherState c;
  keyed(c, key);
  EXPECT_EQ(decipherPayload(c, bytes(payload), payload.size(), nullptr,
                            header.keyCheckCrc, header.contentCrc),
            0);
  if (headerOut)
    *headerOut = header;
  return payload.substr(0, header.originalSize);
}

std::set<std::string> filesIn(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(EncryptFile, BesideOrInPlaceForEverySize) {
  for (std::size_t size : {0u, 7u, 8u, 121u, 127u, 128u, 300001u}) {
    for (int deleteOriginal : {0, 1}) {
      SCOPED_TRACE(testing::Message() << size << " bytes, delete " << deleteOriginal);
      TempDir dir;
      const std::string source = dir.file("a.txt");
      const std::string plain = test::knownPlain(size);
      writeFile(source, plain);
      const KeyRecord key = test::keyRecord("pass phrase", kKeyName);
      ScriptedLink link;
      ASSERT_EQ(EncryptFile(source.c_str(), nullptr, &key, &link, deleteOriginal), 0);
      const std::string result = readFile(source + ".rlk");
      EXPECT_EQ(result.size(), kHeaderSize + paddedLength(size));
      EncryptedFileHeader header;
      EXPECT_EQ(decrypted(result, "pass phrase", &header), plain);
      EXPECT_STREQ(std::string(header.keyName, 32).c_str(), "Test key");
      const std::set<std::string> expected =
          deleteOriginal ? std::set<std::string>{"a.txt.rlk"}
                         : std::set<std::string>{"a.txt", "a.txt.rlk"};
      EXPECT_EQ(filesIn(dir), expected);
    }
  }
}

TEST(EncryptFile, MessagesInTheDialogsOrder) {
  TempDir dir;
  const std::string source = dir.file("m.txt");
  writeFile(source, std::string(1000, 'm'));
  const KeyRecord key = test::keyRecord("k", kKeyName);
  ScriptedLink link;
  ASSERT_EQ(EncryptFile(source.c_str(), nullptr, &key, &link, 0), 0);
  std::vector<std::uint32_t> ids;
  for (const auto& m : link.sent)
    ids.push_back(m.id);
  const std::vector<std::uint32_t> expected = {
      UM_FILE_SIZE,    UM_LOADING,      UM_SET_TARGET, UM_SET_SOURCE,
      UM_SET_PROGRESS, UM_SET_PROGRESS, UM_SAVING};
  EXPECT_EQ(ids, expected);
  EXPECT_EQ(link.sent[0].wParam, 1000u);
  // Reading, enciphering and writing go together: 126 blocks, 51 % after
  // the 64th, 100 % once the last is written.
  EXPECT_EQ(link.progressValues(), (std::vector<std::uintptr_t>{51, 100}));
}

// Overwriting in place (no room for a temporary file) still goes phase by
// phase through one buffer.
TEST(EncryptFile, MessagesOfTheWholeBufferInPlace) {
  TempDir dir;
  const std::string source = dir.file("m.txt");
  writeFile(source, std::string(1000, 'm'));
  const KeyRecord key = test::keyRecord("k", kKeyName);
  ScriptedLink link;
  FailNth noTemporary(Op::Open, 2);
  ASSERT_EQ(EncryptFile(source.c_str(), nullptr, &key, &link, 1), 0);
  std::vector<std::uint32_t> ids;
  for (const auto& m : link.sent)
    ids.push_back(m.id);
  const std::vector<std::uint32_t> expected = {
      UM_FILE_SIZE,    UM_LOADING,      UM_SET_TARGET,  UM_SET_PROGRESS,
      UM_SET_PROGRESS, UM_SET_PROGRESS, UM_SET_SOURCE,  UM_SET_PROGRESS,
      UM_SAVING,       UM_SET_PROGRESS, UM_SET_PROGRESS};
  EXPECT_EQ(ids, expected);
  // Reading: 0, 100 %, 0; enciphering: 51 %; writing: 0, 100 %.
  EXPECT_EQ(link.progressValues(), (std::vector<std::uintptr_t>{0, 100, 0, 51, 0, 100}));
}

TEST(EncryptFile, TimesAndAttributesCarryOver) {
  for (int deleteOriginal : {0, 1}) {
    TempDir dir;
    const std::string source = dir.file("t.txt");
    writeFile(source, "times");
    ASSERT_TRUE(test::setFileTimes(source, test::kKnownTimes));
    std::uint32_t attributes = platform::kAttrReadOnly;
#ifdef _WIN32
    attributes |= platform::kAttrHidden | platform::kAttrArchive;
#endif
    ASSERT_TRUE(platform::setAttributes(source.c_str(), attributes));
    const KeyRecord key = test::keyRecord("k", kKeyName);
    ASSERT_EQ(EncryptFile(source.c_str(), nullptr, &key, nullptr, deleteOriginal), 0);
    const std::string target = source + ".rlk";
    EXPECT_EQ(platform::getAttributes(target.c_str()), attributes);
    EXPECT_TRUE(test::sameTimes(test::fileTimes(target), test::kKnownTimes));
    platform::setAttributes(target.c_str(), platform::kAttrNormal);
    if (!deleteOriginal)
      platform::setAttributes(source.c_str(), platform::kAttrNormal);
  }
}

TEST(EncryptFile, RequestedTargetsGetTheExtensionOnce) {
  TempDir dir;
  const std::string source = dir.file("s.txt");
  writeFile(source, "abc");
  const KeyRecord key = test::keyRecord("k", kKeyName);
  ASSERT_EQ(EncryptFile(source.c_str(), dir.file("x").c_str(), &key, nullptr, 0), 0);
  ASSERT_EQ(EncryptFile(source.c_str(), dir.file("y.RLK").c_str(), &key, nullptr, 0), 0);
  EXPECT_EQ(filesIn(dir), (std::set<std::string>{"s.txt", "x.rlk", "y.RLK"}));
}

TEST(EncryptFile, ConflictAnswers) {
  const KeyRecord key = test::keyRecord("k", kKeyName);
  struct Case {
    const char* what;
    std::intptr_t answer;
    const char* newName; // written into the buffer for answer 2
    std::int32_t result;
    std::set<std::string> files;
    std::string decryptsFrom; // the file holding the new result
  } cases[] = {
      {"overwrite", 0, nullptr, 0, {"a.txt", "a.txt.rlk"}, "a.txt.rlk"},
      {"skip", 1, nullptr, 817, {"a.txt", "a.txt.rlk"}, ""},
      {"new name", 2, "renamed", 0, {"a.txt", "a.txt.rlk", "renamed.rlk"}, "renamed.rlk"},
      {"new name with extension",
       2,
       "other.rlk",
       0,
       {"a.txt", "a.txt.rlk", "other.rlk"},
       "other.rlk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string source = dir.file("a.txt");
    writeFile(source, "plain");
    writeFile(source + ".rlk", "old target");
    ScriptedLink link;
    link.answer = [&](const test::Message& m) -> std::intptr_t {
      if (m.id != UM_TARGET_EXISTS)
        return 0;
      auto* buffer = reinterpret_cast<char*>(m.wParam);
      EXPECT_STREQ(buffer, (source + ".rlk").c_str());
      if (c.newName)
        std::strcpy(buffer, dir.file(c.newName).c_str());
      return c.answer;
    };
    EXPECT_EQ(EncryptFile(source.c_str(), nullptr, &key, &link, 0), c.result);
    EXPECT_EQ(filesIn(dir), c.files);
    if (!c.decryptsFrom.empty())
      EXPECT_EQ(decrypted(readFile(dir.file(c.decryptsFrom)), "k"), "plain");
    else
      EXPECT_EQ(readFile(source + ".rlk"), "old target");
  }
}

TEST(EncryptFile, ReencryptingAnEncryptedFileInPlace) {
  TempDir dir;
  const std::string source = dir.file("b.rlk");
  writeFile(source, "already encrypted");
  const KeyRecord key = test::keyRecord("k", kKeyName);
  ScriptedLink link;
  int asked = 0;
  link.answer = [&](const test::Message& m) -> std::intptr_t {
    asked += m.id == UM_TARGET_EXISTS;
    return 0;
  };
  ASSERT_EQ(EncryptFile(source.c_str(), nullptr, &key, &link, 1), 0);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(filesIn(dir), std::set<std::string>{"b.rlk"});
  EXPECT_EQ(decrypted(readFile(source), "k"), "already encrypted");
}

TEST(EncryptFile, NoKeyAndMissingSource) {
  TempDir dir;
  KeyRecord none{};
  EXPECT_EQ(EncryptFile(dir.file("x").c_str(), nullptr, nullptr, nullptr, 0), 818);
  EXPECT_EQ(EncryptFile(dir.file("x").c_str(), nullptr, &none, nullptr, 0), 818);
  const KeyRecord key = test::keyRecord("k", kKeyName);
  EXPECT_EQ(EncryptFile(dir.file("missing").c_str(), nullptr, &key, nullptr, 0), 3);
  EXPECT_TRUE(filesIn(dir).empty());
}

TEST(EncryptFile, DefaultKeyNameIsTheLocalTime) {
  const KeyRecord unnamed = test::keyRecord("k", "");
  char name[kKeyNameBytes];
  headerKeyName(unnamed, name);
  const std::string text(name, strnlen(name, sizeof name));
  EXPECT_EQ(text.rfind("My key ", 0), 0u) << text;
  EXPECT_EQ(text.size(), std::strlen("My key 2026/12/10-00:00:00"));
  KeyRecord longName = test::keyRecord("k", "");
  std::memset(longName.name, 'n', sizeof longName.name); // no terminator at all
  headerKeyName(longName, name);
  EXPECT_EQ(std::string(name, 32), std::string(32, 'n'));
}

// The ways one call can run, each with the files it starts from.
struct Scenario {
  const char* what;
  int deleteOriginal;
  bool targetExists;
  int failTemporaryAt; // the Open call that creates the temporary file (0: none)
};

constexpr Scenario kScenarios[] = {
    {"beside, keep", 0, false, 0},
    {"beside, remove original", 1, true, 0},
    {"in place through a temporary file", 1, false, 0},
    {"in place, overwriting", 1, false, 2},
};

void prepare(const TempDir& dir, const Scenario& s, const std::string& plain) {
  writeFile(dir.file("f.txt"), plain);
  platform::setAttributes(dir.file("f.txt").c_str(), platform::kAttrReadOnly);
  if (s.targetExists)
    writeFile(dir.file("f.txt.rlk"), "old");
}

// After a failure the source is as it was, and nothing else is left but
// what was there before (a replaced old target may be gone).
void expectUntouched(const TempDir& dir, const Scenario& s, const std::string& plain,
                     std::int32_t result) {
  const std::string source = dir.file("f.txt");
  EXPECT_TRUE(readFile(source) == plain) << "source changed, result " << result;
  EXPECT_NE(platform::getAttributes(source.c_str()) & platform::kAttrReadOnly, 0u)
      << result;
  std::set<std::string> files = filesIn(dir);
  files.erase("f.txt");
  if (s.targetExists && files.count("f.txt.rlk") &&
      readFile(dir.file("f.txt.rlk")) == "old")
    files.erase("f.txt.rlk");
  EXPECT_TRUE(files.empty()) << *files.begin();
  platform::setAttributes(source.c_str(), platform::kAttrNormal);
}

// Calls whose failure the routine may survive with a correct result.
bool mayStillSucceed(Op op, Fault fault, const Scenario& s) {
  return fault == Fault::Short || op == Op::SetTimes || op == Op::GetTimes ||
         op == Op::SetAttributes || op == Op::GetAttributes || op == Op::Delete ||
         op == Op::MapFile ||
         // Seeking back to the start of the source is not needed by a reader.
         (op == Op::Seek) ||
         // In place: the source refused for writing or its size unreadable,
         // two files instead; the temporary file refused, overwriting instead.
         ((op == Op::Open || op == Op::Size) && s.deleteOriginal);
}

// Drives every platform call a clean run makes to fail, one at a time.
void expectEveryInjectedFailureLeavesTheSourceWhole(const std::string& plain) {
  const KeyRecord key = test::keyRecord("k", kKeyName);
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.what);
    std::unique_ptr<TempDir> dir;
    test::forEveryFailurePoint(
        s.failTemporaryAt,
        [&] {
          dir = std::make_unique<TempDir>();
          prepare(*dir, s, plain);
        },
        [&] {
          return EncryptFile(dir->file("f.txt").c_str(), nullptr, &key, nullptr,
                             s.deleteOriginal);
        },
        [&](Op which, int n, Fault fault, std::int32_t result) {
          // A disk that fills is the target's failure, never the source's.
          if (which == Op::Write && fault == Fault::NoSpace) {
            EXPECT_EQ(result, kEncryptWriteFailed);
          }
          if (result == 0) {
            EXPECT_TRUE(mayStillSucceed(which, fault, s))
                << "a failure reported as success";
            EXPECT_EQ(decrypted(readFile(dir->file("f.txt.rlk")), "k"), plain);
            for (const char* f : {"f.txt", "f.txt.rlk"})
              platform::setAttributes(dir->file(f).c_str(), platform::kAttrNormal);
            return;
          }
          // Overwriting in place has no copy to fall back on once writing
          // began: the file then holds the encrypted bytes under its old name.
          if (s.failTemporaryAt && (which == Op::Write || which == Op::SetEnd ||
                                    which == Op::Move || (which == Op::Seek && n > 1)))
            return;
          expectUntouched(*dir, s, plain, result);
        });
  }
}

// Cancels at the first and last polls and at every `stride`-th between.
void expectCancelAtEveryPollLeavesTheSourceWhole(const std::string& plain, int minPolls,
                                                 int stride) {
  const KeyRecord key = test::keyRecord("k", kKeyName);
  for (const Scenario& s : kScenarios) {
    if (s.failTemporaryAt)
      continue; // overwriting in place: cancelling the write is covered below
    SCOPED_TRACE(s.what);
    int polls = 0;
    {
      TempDir dir;
      prepare(dir, s, plain);
      ScriptedLink link;
      ASSERT_EQ(
          EncryptFile(dir.file("f.txt").c_str(), nullptr, &key, &link, s.deleteOriginal),
          0);
      polls = link.polls;
    }
    ASSERT_GT(polls, minPolls);
    for (int k = 1; k <= polls; k += (k < 5 || k > polls - 5) ? 1 : stride) {
      TempDir dir;
      prepare(dir, s, plain);
      ScriptedLink link;
      link.stopAtPoll = k;
      EXPECT_EQ(
          EncryptFile(dir.file("f.txt").c_str(), nullptr, &key, &link, s.deleteOriginal),
          817)
          << "poll " << k;
      expectUntouched(dir, s, plain, 817);
      EXPECT_EQ(link.sent.back().id, UM_CLEANING_UP);
    }
  }
}

TEST(EncryptFile, EveryInjectedFailureLeavesTheSourceWhole) {
  expectEveryInjectedFailureLeavesTheSourceWhole(test::knownPlain(300000));
}

// Every read, write, seek and flush between the first chunk and the last.
TEST(EncryptFile, EveryInjectedFailureInManyChunksLeavesTheSourceWhole) {
  ScopedChunkBytes small(kTestChunkBytes);
  expectEveryInjectedFailureLeavesTheSourceWhole(test::knownPlain(kManyChunksBytes));
}

TEST(EncryptFile, CancelAtEveryPollLeavesTheSourceWhole) {
  // 586 cipher polls
  expectCancelAtEveryPollLeavesTheSourceWhole(test::knownPlain(300000), 500, 97);
}

TEST(EncryptFile, CancelInManyChunksLeavesTheSourceWhole) {
  ScopedChunkBytes small(kTestChunkBytes);
  expectCancelAtEveryPollLeavesTheSourceWhole(test::knownPlain(kManyChunksBytes), 40, 3);
}

} // namespace
} // namespace ravelock::engine
