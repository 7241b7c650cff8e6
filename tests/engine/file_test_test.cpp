#include "engine/files/file_test.h"
#include "support/fault_hooks.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ravelock::engine {
namespace {

using test::FailNth;
using test::TempDir;
using test::writeFile;

std::string headerBytes(std::uint32_t identifier, std::uint32_t originalSize,
                        const char* name = "name") {
  EncryptedFileHeader h{identifier, originalSize, 0x11111111, 0x22222222, {}};
  std::strncpy(h.keyName, name, sizeof h.keyName);
  unsigned char raw[kHeaderSize];
  serializeHeader(h, raw);
  return std::string(reinterpret_cast<char*>(raw), kHeaderSize);
}

HeaderInfo untouched() {
  HeaderInfo info;
  std::memset(&info, 0xAB, sizeof info);
  return info;
}

TEST(FileTest, ResultCodesAndWhenTheRecordIsFilled) {
  TempDir dir;
  struct Case {
    const char* what;
    std::string content;
    std::int32_t expected;
    bool filled;
  } cases[] = {
      {"valid empty", headerBytes(kFileIdentifier, 0), 0, true},
      {"valid 13 bytes", headerBytes(kFileIdentifier, 13) + std::string(16, 'x'), 0,
       true},
      {"47 bytes", std::string(47, 'x'), 3, false},
      {"empty file", "", 3, false},
      {"wrong identifier", headerBytes(0x13121110, 0), 5, true},
      {"payload not whole blocks", headerBytes(kFileIdentifier, 3) + "abc", 6, true},
      {"payload too long", headerBytes(kFileIdentifier, 7) + std::string(16, 'x'), 7,
       true},
      {"48 bytes, size 1", headerBytes(kFileIdentifier, 1), 7, true},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("case.rlk");
    writeFile(path, c.content);
    HeaderInfo info = untouched();
    EXPECT_EQ(testEncryptedFile(path.c_str(), &info), c.expected) << c.what;
    if (c.filled) {
      EXPECT_EQ(info.identifier, c.expected == 5 ? 0x13121110u : kFileIdentifier)
          << c.what;
      EXPECT_STREQ(info.keyName, "name") << c.what;
      EXPECT_EQ(info.terminator, 0) << c.what;
    } else {
      const HeaderInfo before = untouched();
      EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0) << c.what;
    }
  }
  HeaderInfo info = untouched();
  EXPECT_EQ(testEncryptedFile(dir.file("missing.rlk").c_str(), &info), 1);
  EXPECT_EQ(testEncryptedFile(dir.path().string().c_str(), &info), 1); // a folder
}

TEST(FileTest, SystemFailuresGiveTheirCodes) {
  TempDir dir;
  const std::string path = dir.file("valid.rlk");
  writeFile(path, headerBytes(kFileIdentifier, 0));
  using platform::Fault;
  using platform::Op;
  struct Case {
    Op op;
    Fault fault;
    std::int32_t expected;
  } cases[] = {
      {Op::Open, Fault::Fail, 1},
      {Op::Size, Fault::Fail, 2},
      {Op::Read, Fault::Fail, 4},
      {Op::Read, Fault::Short, 0}, // a short read is completed by reading on
  };
  for (const Case& c : cases) {
    FailNth fault(c.op, 1, c.fault);
    HeaderInfo info = untouched();
    EXPECT_EQ(testEncryptedFile(path.c_str(), &info), c.expected)
        << platform::opName(c.op) << "/" << platform::faultName(c.fault);
  }
}

} // namespace
} // namespace ravelock::engine
