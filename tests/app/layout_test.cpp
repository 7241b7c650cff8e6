// The main window's panels after a resize: who grows, who moves, who stays.

#include "app/layout.h"

#include <gtest/gtest.h>

namespace {

using ravelock::app::Box;
using ravelock::app::followResize;
using ravelock::app::PanelBoxes;
using ravelock::app::Size;

// The window's first layout: a top bar over everything, the left bar down
// the side, the header and the pages beside it, the picture at the bottom
// right, with a margin of 4 below and right of the pages and picture.
const Size kFirst{640, 480};
const PanelBoxes kPanels{
    .topBar = {0, 0, 640, 36},
    .leftBar = {0, 36, 135, 480},
    .header = {135, 36, 640, 70},
    .pages = {135, 70, 636, 380},
    .picture = {486, 390, 636, 476},
};

TEST(Layout, TheFirstSizeKeepsTheFirstPlaces) {
  EXPECT_EQ(followResize(kPanels, kFirst, kFirst), kPanels);
}

TEST(Layout, AWindowOneAndAHalfTimesAsLarge) {
  const PanelBoxes boxes = followResize(kPanels, kFirst, {960, 720});
  EXPECT_EQ(boxes.topBar, (Box{0, 0, 960, 36}));
  EXPECT_EQ(boxes.leftBar, (Box{0, 36, 135, 720}));
  EXPECT_EQ(boxes.header, (Box{135, 36, 960, 70}));
  EXPECT_EQ(boxes.picture, (Box{806, 630, 956, 716}));
  // The pages end 10 above the picture, as they did.
  EXPECT_EQ(boxes.pages, (Box{135, 70, 956, 620}));
}

// Smaller than at first: the bars shrink with it, but the picture stays
// where it was and the pages keep their distance above it.
TEST(Layout, APictureNeverMovesLeftOrAboveItsFirstPlace) {
  const PanelBoxes boxes = followResize(kPanels, kFirst, {600, 400});
  EXPECT_EQ(boxes.picture, kPanels.picture);
  EXPECT_EQ(boxes.pages, (Box{135, 70, 596, 380}));
  EXPECT_EQ(boxes.topBar.right, 600);
  EXPECT_EQ(boxes.leftBar.bottom, 400);
  // Wider only: the picture follows the right edge and keeps its height.
  const PanelBoxes wide = followResize(kPanels, kFirst, {800, 480});
  EXPECT_EQ(wide.picture, (Box{646, 390, 796, 476}));
  EXPECT_EQ(wide.pages.bottom, 380);
}

} // namespace
