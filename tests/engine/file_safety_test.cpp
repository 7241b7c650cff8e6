// What a crash, another run, another writer, a link or a stray byte in a
// name must never do to a file: the result appears under its name only
// when complete, and the source is never lost or changed behind the run.

#include "engine/engine_test_util.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/encrypt_file.h"
#include "engine/files/file_note.h"
#include "engine/files/file_transform.h"
#include "engine/files/target_naming.h"
#include "engine/known_answers.h"
#include "engine/results.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "support/fault_hooks.h"
#include "support/key_record.h"
#include "support/scripted_link.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

namespace ravelock::engine {
namespace {

using platform::Op;
using test::readFile;
using test::ScriptedLink;
using test::TempDir;
using test::writeFile;

constexpr char kKey[] = "pass phrase";
constexpr char kKeyName[] = "Test key";

std::set<std::string> filesIn(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.insert(entry.path().filename().string());
  return names;
}

std::int32_t encrypt(const std::string& source, int deleteOriginal,
                     ProgressLink* link = nullptr) {
  const KeyRecord key = test::keyRecord(kKey, kKeyName);
  return EncryptFile(source.c_str(), nullptr, &key, link, deleteOriginal);
}

std::int32_t decrypt(const std::string& source, std::int32_t deleteOriginal,
                     ProgressLink* link = nullptr) {
  char target[kMaxPath] = {};
  KeyRecord current = test::keyRecord(kKey, kKeyName);
  return DecryptFile(source.c_str(), target, &current, nullptr, link, &deleteOriginal);
}

// Whether `bytes` holds any 32-byte run of `plain` (the plain text would be
// on the disk).
bool holdsPlainText(const std::string& bytes, const std::string& plain) {
  for (std::size_t at = 0; at + 32 <= plain.size(); at += 509)
    if (bytes.find(plain.substr(at, 32)) != std::string::npos)
      return true;
  return false;
}

bool isTemporary(const std::string& name) {
  return name.size() > sizeof kTemporarySuffix &&
         name.compare(name.size() - (sizeof kTemporarySuffix - 1), std::string::npos,
                      kTemporarySuffix) == 0;
}

// Answers every question about an existing target with "overwrite".
ScriptedLink overwriting() {
  ScriptedLink link;
  link.answer = [](const test::Message& m) -> std::intptr_t {
    return m.id == UM_TARGET_EXISTS ? std::intptr_t{TARGET_OVERWRITE} : 0;
  };
  return link;
}

// At every platform call of a run, what a crash there would leave: under
// the final name only the old target (or nothing), and in the encryption's
// temporary file never plain text.
TEST(FileSafety, NoHalfResultUnderItsNameAndNoPlainTextInTheTemporaryFile) {
  ScopedChunkBytes small(kTestChunkBytes);
  const std::string plain = test::knownPlain(kManyChunksBytes);
  struct Case {
    const char* what;
    bool decrypting;
    int deleteOriginal;
    bool targetExists;
  };
  for (const Case& c :
       {Case{"encrypt beside", false, 0, false},
        Case{"encrypt over an old target", false, 0, true},
        Case{"encrypt in place", false, 1, false}, Case{"decrypt beside", true, 0, false},
        Case{"decrypt in place", true, 1, false}}) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string plainFile = dir.file("f.txt");
    const std::string encrypted = dir.file("f.txt.rlk");
    writeFile(plainFile, plain);
    if (c.decrypting) {
      ASSERT_EQ(encrypt(plainFile, 1), 0);
    }
    const std::string source = c.decrypting ? encrypted : plainFile;
    const std::string target = c.decrypting ? plainFile : encrypted;
    if (c.targetExists)
      writeFile(target, "old");
    const std::string sourceBytes = readFile(source);
    int looks = 0;
    bool renamed = false;
    std::int32_t result;
    {
      test::WatchCalls watch([&](Op op, int) {
        ++looks;
        // Until the rename, the old target or none; after it, the result.
        if (!renamed && std::filesystem::exists(target)) {
          ASSERT_TRUE(readFile(target) == "old") << "call " << looks;
        }
        renamed = renamed || op == Op::Move;
        for (const std::string& name : filesIn(dir)) {
          if (name == "f.txt" || name == "f.txt.rlk")
            continue;
          ASSERT_TRUE(isTemporary(name)) << name;
          if (!c.decrypting) {
            ASSERT_FALSE(holdsPlainText(readFile(dir.file(name)), plain))
                << name << " at call " << looks;
          }
        }
      });
      ScriptedLink link = overwriting();
      result = c.decrypting ? decrypt(source, c.deleteOriginal, &link)
                            : encrypt(source, c.deleteOriginal, &link);
    }
    ASSERT_EQ(result, 0);
    EXPECT_GT(looks, 20);
    if (c.decrypting) {
      EXPECT_TRUE(readFile(target) == plain);
    } else {
      EXPECT_EQ(decrypt(target, 0), kResultOk); // over f.txt, when kept
      EXPECT_TRUE(readFile(plainFile) == plain);
    }
    for (const std::string& name : filesIn(dir))
      EXPECT_FALSE(isTemporary(name)) << name;
  }
}

// A crashed run's temporary files of the same target go; one that a run
// still holds stays.
TEST(FileSafety, StaleTemporaryFilesOfTheTargetAreRemoved) {
  TempDir dir;
  const std::string source = dir.file("s.txt");
  writeFile(source, "secret");
  writeFile(dir.file("s.txt.rlk.0.rlktmp"), "left by a crash");
  writeFile(dir.file("s.txt.rlk.7.rlktmp"), "left by a crash");
  writeFile(dir.file("s.txt.rlk.3.rlktmp"), "held");
  writeFile(dir.file("other.rlk.0.rlktmp"), "another file's");
  platform::File held =
      platform::File::open(dir.file("s.txt.rlk.3.rlktmp").c_str(), platform::Access::Read,
                           platform::Share::None, platform::Disposition::OpenExisting);
  ASSERT_TRUE(held.isOpen());
  ASSERT_EQ(encrypt(source, 0), 0);
  EXPECT_EQ(filesIn(dir), (std::set<std::string>{"other.rlk.0.rlktmp", "s.txt",
                                                 "s.txt.rlk", "s.txt.rlk.3.rlktmp"}));
  held.close();
  EXPECT_EQ(encrypt(source, 0), kResultOk); // over the first result
  EXPECT_EQ(filesIn(dir),
            (std::set<std::string>{"other.rlk.0.rlktmp", "s.txt", "s.txt.rlk"}));
}

// A second run on a file that a run holds fails at once and changes
// nothing, in every mode.
TEST(FileSafety, ASecondRunOnTheSameFileFails) {
  TempDir dir;
  const std::string plain = test::knownPlain(5000);
  writeFile(dir.file("a.txt"), plain);
  writeFile(dir.file("b.txt"), plain);
  ASSERT_EQ(encrypt(dir.file("b.txt"), 1), 0);
  const std::string encrypted = readFile(dir.file("b.txt.rlk"));
  for (int deleteOriginal : {0, 1}) {
    SCOPED_TRACE(deleteOriginal);
    for (const char* name : {"a.txt", "b.txt.rlk"}) {
      platform::File run = platform::File::open(
          dir.file(name).c_str(), platform::Access::Read, platform::Share::None,
          platform::Disposition::OpenExisting);
      ASSERT_TRUE(run.isOpen());
      // A decryption may be refused already when it reads the header.
      if (name[0] == 'b') {
        const std::int32_t result = decrypt(dir.file(name), deleteOriginal);
        EXPECT_TRUE(result == kTestOpenFailed || result == kDecryptOpenFailed) << result;
      } else {
        EXPECT_EQ(encrypt(dir.file(name), deleteOriginal), kEncryptOpenFailed);
      }
      EXPECT_EQ(lastFileNote().note, FileNote::SourceInUse);
      EXPECT_EQ(lastFileNote().path, dir.file(name));
    }
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"a.txt", "b.txt.rlk"}));
    EXPECT_TRUE(readFile(dir.file("a.txt")) == plain);
    EXPECT_TRUE(readFile(dir.file("b.txt.rlk")) == encrypted);
  }
}

// Two runs started together on one file, again and again: whichever wins,
// the encrypted file is whole and deciphers to the original, once.
TEST(FileSafety, RunsStartedTogetherNeverCorruptTheResult) {
  const std::string plain = test::knownPlain(200000);
  int bothSucceeded = 0, oneRefused = 0;
  constexpr int kRaces = 30;
  for (int race = 0; race < kRaces; ++race) {
    SCOPED_TRACE(race);
    TempDir dir;
    const std::string source = dir.file("r.txt");
    writeFile(source, plain);
    const int deleteOriginal = race % 2;
    std::int32_t results[2] = {};
    {
      std::thread other([&] {
        ScriptedLink link = overwriting();
        results[1] = encrypt(source, deleteOriginal, &link);
      });
      ScriptedLink link = overwriting();
      results[0] = encrypt(source, deleteOriginal, &link);
      other.join();
    }
    const bool ok0 = results[0] == 0, ok1 = results[1] == 0;
    ASSERT_TRUE(ok0 || ok1) << results[0] << " " << results[1];
    (ok0 && ok1 ? bothSucceeded : oneRefused) += 1;
    for (const std::int32_t r : results)
      EXPECT_TRUE(r == 0 || r == kEncryptOpenFailed) << r;
    ASSERT_EQ(decrypt(dir.file("r.txt.rlk"), 1), 0);
    EXPECT_TRUE(readFile(source) == plain);
    EXPECT_EQ(filesIn(dir), std::set<std::string>{"r.txt"});
  }
  std::printf("%d races: %d both ran in turn, %d with one run refused\n", kRaces,
              bothSucceeded, oneRefused);
}

// A writer that appends while the run reads: the source is neither removed
// nor replaced, and the run fails. Windows refuses the writer instead.
TEST(FileSafety, ASourceChangedDuringTheRunIsKept) {
  ScopedChunkBytes small(kTestChunkBytes);
  const std::string plain = test::knownPlain(kManyChunksBytes);
  for (int deleteOriginal : {0, 1}) {
    SCOPED_TRACE(deleteOriginal);
    TempDir dir;
    const std::string source = dir.file("log.txt");
    writeFile(source, plain);
    bool appended = false;
    std::int32_t result;
    {
      test::WatchCalls watch([&](Op op, int n) {
        if (op == Op::Write && n == 3) {
          std::ofstream out(source, std::ios::binary | std::ios::app);
          appended = static_cast<bool>(out << "one more line\n");
        }
      });
      result = encrypt(source, deleteOriginal);
    }
    if (!appended) {
      EXPECT_EQ(result, 0);
      continue;
    }
    EXPECT_EQ(result, kEncryptLoadFailed);
    EXPECT_EQ(lastFileNote().note, FileNote::SourceChanged);
    EXPECT_TRUE(readFile(source) == plain + "one more line\n");
    EXPECT_EQ(filesIn(dir), std::set<std::string>{"log.txt"});
  }
}

// Overwriting in place without room for a copy: a stop asked while it
// writes waits for its end, so the file is whole either way; and a caller
// may refuse the mode altogether.
TEST(FileSafety, OverwritingInPlaceIsNeverStoppedHalfWayAndCanBeRefused) {
  const std::string plain = test::knownPlain(600000);
  for (bool decrypting : {false, true}) {
    SCOPED_TRACE(decrypting);
    TempDir dir;
    const std::string plainFile = dir.file("p.txt");
    writeFile(plainFile, plain);
    if (decrypting) {
      ASSERT_EQ(encrypt(plainFile, 1), 0);
    }
    const std::string source = decrypting ? dir.file("p.txt.rlk") : plainFile;
    {
      // The temporary file refused: no room for the copy.
      test::FailNth noCopy(Op::Open, decrypting ? 3 : 2);
      ScriptedLink link;
      link.answer = [&](const test::Message& m) -> std::intptr_t {
        if (m.id == UM_SAVING)
          link.setStopState(STOP_FILE);
        return 0;
      };
      ASSERT_EQ(decrypting ? decrypt(source, 1, &link) : encrypt(source, 1, &link), 0);
      ASSERT_TRUE(noCopy.fired());
    }
    if (decrypting) {
      EXPECT_TRUE(readFile(plainFile) == plain);
    } else {
      ASSERT_EQ(decrypt(dir.file("p.txt.rlk"), 1), 0);
    }
    EXPECT_EQ(filesIn(dir), std::set<std::string>{"p.txt"});

    if (decrypting) {
      ASSERT_EQ(encrypt(plainFile, 1), 0);
    }
    const std::string kept = readFile(source);
    allowOverwriteWithoutCopy(false);
    std::int32_t refused;
    {
      test::FailNth noCopy(Op::Open, decrypting ? 3 : 2);
      refused = decrypting ? decrypt(source, 1) : encrypt(source, 1);
    }
    allowOverwriteWithoutCopy(true);
    EXPECT_EQ(refused, decrypting ? kDecryptNoSpace : kEncryptNoSpace);
    EXPECT_EQ(lastFileNote().note, FileNote::NoRoomForCopy);
    EXPECT_TRUE(readFile(source) == kept);
    EXPECT_EQ(filesIn(dir), std::set<std::string>{decrypting ? "p.txt.rlk" : "p.txt"});
  }
}

// Names with bytes that are no characters: each such byte counts alone, so
// the extension is still seen.
TEST(FileSafety, NamesWithStrayBytesKeepTheirExtension) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows names are UTF-16: bytes that are no UTF-8 name no file there";
#endif
  TempDir dir;
  const std::string plainFile = dir.file("bad\xff\xfe");
  const std::string encrypted = plainFile + ".rlk";
  EXPECT_TRUE(hasEncryptedExtension(encrypted));
  EXPECT_EQ(withoutEncryptedExtension(encrypted), plainFile);
  writeFile(plainFile, "plain");
  ASSERT_EQ(encrypt(plainFile, 1), 0);
  EXPECT_TRUE(platform::pathExists(encrypted.c_str()));
  EXPECT_FALSE(platform::pathExists((encrypted + ".rlk").c_str()));
  ASSERT_EQ(decrypt(encrypted, 1), 0);
  EXPECT_FALSE(platform::pathExists(encrypted.c_str()));
  EXPECT_EQ(readFile(plainFile), "plain");
  EXPECT_EQ(filesIn(dir).size(), 1u);
}

// A decryption keeping its source never writes over it, even told to.
TEST(FileSafety, ADecryptionNeverReplacesTheSourceItKeeps) {
  TempDir dir;
  const std::string file = dir.file("b");
  writeFile(file, "bee");
  ASSERT_EQ(encrypt(file, 1), 0);
  std::filesystem::rename(dir.file("b.rlk"), file);
  const std::string encrypted = readFile(file);
  ScriptedLink link = overwriting();
  EXPECT_EQ(decrypt(file, 0, &link), kDecryptCreateFailed);
  EXPECT_TRUE(readFile(file) == encrypted);
  EXPECT_EQ(filesIn(dir), std::set<std::string>{"b"});
}

// A link is refused as a source, so nothing is written or removed at its
// target; paths are made absolute by name, never by resolving links, so a
// result is named beside the name the user gave.
TEST(FileSafety, LinksAreNeitherFollowedForWritingNorRemoved) {
#ifdef _WIN32
  GTEST_SKIP() << "links are the native build's case";
#endif
  TempDir dir;
  writeFile(dir.file("real.txt"), "secret");
  writeFile(dir.file("other.txt"), "other");
  ASSERT_EQ(encrypt(dir.file("other.txt"), 1), 0);
  std::filesystem::create_directory(dir.file("folder"));
  std::error_code error;
  std::filesystem::create_symlink("real.txt", dir.file("link.txt"), error);
  if (error)
    GTEST_SKIP() << "no symbolic links here: " << error.message();
  std::filesystem::create_symlink("other.txt.rlk", dir.file("link.rlk"));
  std::filesystem::create_directory_symlink("folder", dir.file("linked"));
  const std::string encrypted = readFile(dir.file("other.txt.rlk"));
  const std::set<std::string> before = filesIn(dir);

  for (int deleteOriginal : {0, 1}) {
    EXPECT_EQ(encrypt(dir.file("link.txt"), deleteOriginal), kEncryptOpenFailed);
    EXPECT_EQ(lastFileNote().note, FileNote::SourceIsLink);
    EXPECT_EQ(decrypt(dir.file("link.rlk"), deleteOriginal), kTestOpenFailed);
    EXPECT_EQ(lastFileNote().note, FileNote::SourceIsLink);
  }
  EXPECT_EQ(filesIn(dir), before);
  EXPECT_EQ(readFile(dir.file("real.txt")), "secret");
  EXPECT_TRUE(readFile(dir.file("other.txt.rlk")) == encrypted);

  char absolute[kMaxPath];
  const std::string inLinked = dir.file("linked") + "/a.txt";
  writeFile(inLinked, "a");
  ASSERT_GT(platform::getLongPath(inLinked.c_str(), absolute, sizeof absolute), 0u);
  EXPECT_EQ(std::string(absolute), inLinked);
  const std::string roundabout = dir.file("linked") + "/./../linked//a.txt";
  ASSERT_GT(platform::getLongPath(roundabout.c_str(), absolute, sizeof absolute), 0u);
  EXPECT_EQ(std::string(absolute), inLinked);
  ASSERT_EQ(encrypt(inLinked, 1), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.file("linked") + "/a.txt.rlk"));
}

} // namespace
} // namespace ravelock::engine
