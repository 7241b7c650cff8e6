// Files streamed chunk by chunk give the bytes the whole-buffer way gives,
// at every size around the chunk's edges, with one progress bar and the
// damaged-content question only once every chunk is written.

#include "engine/engine_test_util.h"
#include "engine/files/buffer_crypto.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/encrypt_file.h"
#include "engine/files/target_naming.h"
#include "engine/format/header.h"
#include "engine/known_answers.h"
#include "support/fault_hooks.h"
#include "support/key_record.h"
#include "support/scripted_link.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace ravelock::engine {
namespace {

using platform::Op;
using test::FailNth;
using test::readFile;
using test::ScriptedLink;
using test::TempDir;
using test::writeFile;

constexpr char kKey[] = "stream key";
constexpr char kKeyName[] = "Test key";
constexpr std::size_t kChunk = kTestChunkBytes;

// The encrypted file built in memory in one pass over the padded content.
std::string encryptedInMemory(const std::string& plain) {
  std::string content = plain;
  content.resize(paddedLength(plain.size()), '\0');
  CipherState cipher;
  keyed(cipher, kKey);
  ContentCrcs crcs;
  EXPECT_EQ(encipherPadded(cipher, bytes(content), content.size(), nullptr, crcs), 0);
  EncryptedFileHeader header{kFileIdentifier,
                             static_cast<std::uint32_t>(plain.size()),
                             crcs.keyCheck,
                             crcs.content,
                             {}};
  std::memcpy(header.keyName, kKeyName, sizeof kKeyName);
  unsigned char raw[kHeaderSize];
  serializeHeader(header, raw);
  return std::string(reinterpret_cast<char*>(raw), kHeaderSize) + content;
}

std::int32_t decryptTo(const std::string& source, const std::string& target,
                       std::int32_t deleteOriginal, ProgressLink* link = nullptr) {
  char buffer[kMaxPath] = {};
  std::strcpy(buffer, target.c_str());
  KeyRecord current = test::keyRecord(kKey, kKeyName);
  return DecryptFile(source.c_str(), buffer, &current, nullptr, link, &deleteOriginal);
}

TEST(StreamedFile, EverySizeAroundTheChunksEdgesMatchesTheWholeBuffer) {
  ScopedChunkBytes small(kChunk);
  const KeyRecord key = test::keyRecord(kKey, kKeyName);
  for (std::size_t size :
       {std::size_t{0}, std::size_t{1}, std::size_t{127}, std::size_t{128}, kChunk - 1,
        kChunk, kChunk + 1, 4 * kChunk, 9 * kChunk + 5}) {
    SCOPED_TRACE(testing::Message() << size << " bytes");
    TempDir dir;
    const std::string plain = test::knownPlain(size);
    const std::string golden = encryptedInMemory(plain);

    writeFile(dir.file("a.txt"), plain);
    ASSERT_EQ(EncryptFile(dir.file("a.txt").c_str(), nullptr, &key, nullptr, 0), 0);
    EXPECT_TRUE(readFile(dir.file("a.txt.rlk")) == golden) << "streamed";

    // Overwriting in place: the temporary file refused, one whole buffer.
    writeFile(dir.file("b.txt"), plain);
    {
      FailNth noTemporary(Op::Open, 2);
      ASSERT_EQ(EncryptFile(dir.file("b.txt").c_str(), nullptr, &key, nullptr, 1), 0);
      ASSERT_TRUE(noTemporary.fired());
    }
    EXPECT_TRUE(readFile(dir.file("b.txt.rlk")) == golden) << "whole buffer";

    ASSERT_EQ(decryptTo(dir.file("a.txt.rlk"), dir.file("a.out"), 0), 0);
    EXPECT_TRUE(readFile(dir.file("a.out")) == plain) << "streamed";
    {
      FailNth noTemporary(Op::Open, 3);
      ASSERT_EQ(decryptTo(dir.file("b.txt.rlk"), "", 1), 0);
      ASSERT_TRUE(noTemporary.fired());
    }
    EXPECT_TRUE(readFile(dir.file("b.txt")) == plain) << "whole buffer";
  }
}

// The percentages sent after the source is named: never falling, each phase
// title in its place, 100 at the end.
void expectOneGrowingBar(const ScriptedLink& link) {
  const auto at = [&](std::uint32_t id) {
    return std::find_if(link.sent.begin(), link.sent.end(),
                        [&](const test::Message& m) { return m.id == id; });
  };
  const auto loading = at(UM_LOADING), source = at(UM_SET_SOURCE), saving = at(UM_SAVING);
  ASSERT_TRUE(loading < source && source < saving && saving != link.sent.end());
  std::vector<std::uintptr_t> values;
  for (auto m = source; m != saving; ++m)
    if (m->id == UM_SET_PROGRESS)
      values.push_back(m->wParam);
  ASSERT_GT(values.size(), 10u);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_EQ(values.back(), 100u);
  for (auto m = saving; m != link.sent.end(); ++m)
    EXPECT_NE(m->id, UM_SET_PROGRESS);
}

TEST(StreamedFile, OneProgressBarThatOnlyGrows) {
  ScopedChunkBytes small(kChunk);
  TempDir dir;
  writeFile(dir.file("p.txt"), test::knownPlain(kManyChunksBytes));
  const KeyRecord key = test::keyRecord(kKey, kKeyName);
  ScriptedLink encrypting;
  ASSERT_EQ(EncryptFile(dir.file("p.txt").c_str(), nullptr, &key, &encrypting, 1), 0);
  expectOneGrowingBar(encrypting);
  ScriptedLink decrypting;
  ASSERT_EQ(decryptTo(dir.file("p.txt.rlk"), "", 1, &decrypting), 0);
  expectOneGrowingBar(decrypting);
  EXPECT_TRUE(readFile(dir.file("p.txt")) == test::knownPlain(kManyChunksBytes));
}

TEST(StreamedFile, DamagedContentIsAskedAboutOnceEveryChunkIsWritten) {
  ScopedChunkBytes small(kChunk);
  const std::string plain = test::knownPlain(kManyChunksBytes);
  const KeyRecord key = test::keyRecord(kKey, kKeyName);
  for (std::intptr_t keep : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "keep " << keep);
    TempDir dir;
    writeFile(dir.file("d.txt"), plain);
    ASSERT_EQ(EncryptFile(dir.file("d.txt").c_str(), nullptr, &key, nullptr, 1), 0);
    std::string damaged = readFile(dir.file("d.txt.rlk"));
    damaged[kHeaderSize + 3 * kChunk + 10] ^= 0x40;
    writeFile(dir.file("d.txt.rlk"), damaged);

    ScriptedLink link;
    int asked = 0;
    link.answer = [&](const test::Message& m) -> std::intptr_t {
      if (m.id != UM_ASK_KEEP_BAD_CRC)
        return 0;
      ++asked;
      // Every chunk is written, still under the temporary name.
      EXPECT_FALSE(std::filesystem::exists(dir.file("d.txt")));
      EXPECT_EQ(std::filesystem::file_size(dir.file("d.txt.0.rlktmp")), plain.size());
      EXPECT_EQ(link.progressValues().back(), 100u);
      return keep;
    };
    EXPECT_EQ(decryptTo(dir.file("d.txt.rlk"), "", 0, &link), keep ? 0 : 820);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(std::filesystem::exists(dir.file("d.txt")), keep != 0);
    if (keep) {
      const std::string result = readFile(dir.file("d.txt"));
      EXPECT_EQ(result.size(), plain.size());
      // One block differs, the one that was damaged.
      EXPECT_NE(result.substr(3 * kChunk, 16), plain.substr(3 * kChunk, 16));
      EXPECT_TRUE(result.substr(4 * kChunk) == plain.substr(4 * kChunk));
    }
    EXPECT_TRUE(readFile(dir.file("d.txt.rlk")) == damaged);
  }
}

} // namespace
} // namespace ravelock::engine
