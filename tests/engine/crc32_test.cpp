#include "engine/cipher/crc32.h"
#include "engine/engine_test_util.h"
#include "engine/known_answers.h"

#include <gtest/gtest.h>

namespace ravelock::engine {
namespace {

TEST(Crc32, StandardCheckValue) {
  std::string check = "123456789";
  EXPECT_EQ(crc32(bytes(check), check.size()), 0xCBF43926u);
  EXPECT_EQ(crc32(nullptr, 0), 0u);
}

TEST(Crc32, SlicedEqualsBytewiseAtEveryLengthAndAlignment) {
  std::string data = test::knownPlain(300);
  for (std::size_t offset = 0; offset < 8; ++offset)
    for (std::size_t length = 0; offset + length <= data.size(); length += 7)
      EXPECT_EQ(crc32Update(kCrcInitial, bytes(data) + offset, length),
                crc32UpdateBytewise(kCrcInitial, bytes(data) + offset, length))
          << offset << "+" << length;
}

TEST(Crc32, RunningFormEqualsWholeRange) {
  std::string data = test::knownPlain(1000);
  const std::uint32_t whole = crc32(bytes(data), data.size());
  for (std::size_t split : {0u, 1u, 8u, 15u, 16u, 17u, 999u, 1000u}) {
    std::uint32_t running = crc32Update(kCrcInitial, bytes(data), split);
    running = crc32Update(running, bytes(data) + split, data.size() - split);
    EXPECT_EQ(crc32Final(running), whole) << split;
  }
}

} // namespace
} // namespace ravelock::engine
