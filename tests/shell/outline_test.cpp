// The fish's outline resources: the committed files as the script drew
// them, and data that lies about its point count.

#include "shell/droptarget/outline.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ravelock::droptarget {
namespace {

std::vector<unsigned char> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Outline, CommittedOutlinesFitTheirPictures) {
  const char* const names[] = {"small", "medium", "large"};
  for (unsigned i = 0; i < kSizeCount; ++i) {
    SCOPED_TRACE(names[i]);
    const auto data =
        readAll(std::string(RAVELOCK_PONDLET_RESOURCES) + "/fish_" + names[i] + ".obrys");
    const std::optional<Outline> outline = parseOutline(data);
    ASSERT_TRUE(outline);
    EXPECT_EQ(outline->width, kFishSizes[i].width);
    EXPECT_EQ(outline->height, kFishSizes[i].height);
    EXPECT_EQ(outline->points.size(), kFishSizes[i].points);
    EXPECT_EQ(data.size(), 6 + 4 * outline->points.size()); // nothing behind
    for (const OutlinePoint& p : outline->points) {
      EXPECT_LE(p.x, outline->width);
      EXPECT_LE(p.y, outline->height);
    }
  }
}

TEST(Outline, CountsBeyondTheDataAreRefused) {
  // 4 x 3, three points.
  std::vector<unsigned char> data = {4, 0, 3, 0, 3, 0, 0, 0, 0,
                                     0, 3, 0, 0, 0, 0, 0, 2, 0};
  const std::optional<Outline> good = parseOutline(data);
  ASSERT_TRUE(good);
  EXPECT_EQ(good->points[2].y, 2);
  data[4] = 4; // one point more than there is
  EXPECT_FALSE(parseOutline(data));
  data[4] = 0xFF;
  data[5] = 0xFF;
  EXPECT_FALSE(parseOutline(data));
  data[4] = 2; // no polygon
  data[5] = 0;
  EXPECT_FALSE(parseOutline(data));
  EXPECT_FALSE(parseOutline(std::span<const unsigned char>(data.data(), 5)));
}

} // namespace
} // namespace ravelock::droptarget
