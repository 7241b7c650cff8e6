#pragma once
// The outline that shapes the fish window (resource type "OBRYS"): 16-bit
// little-endian width, height and point count n, then n points (x, y) in
// the picture's pixels. Portable, so that the committed outlines are
// checked natively too.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ravelock::droptarget {

struct OutlinePoint {
  std::uint16_t x, y;
};

struct Outline {
  std::uint16_t width = 0, height = 0;
  std::vector<OutlinePoint> points;
};

// Nothing when the data is shorter than its count says, or the count
// makes no polygon (under three points).
std::optional<Outline> parseOutline(std::span<const unsigned char> data);

// The three sizes of the fish: index, menu command, picture and outline.
struct FishSize {
  unsigned command;
  int bitmap;
  int outline;
  unsigned width, height, points;
};
inline constexpr unsigned kSizeCount = 3;
inline constexpr FishSize kFishSizes[kSizeCount] = {
    {32773, 138, 142, 68, 54, 83},    // small
    {32774, 135, 143, 131, 102, 170}, // medium
    {32775, 137, 141, 265, 208, 310}, // large
};

} // namespace ravelock::droptarget
