#pragma once
// Where the main window's panels go when the window is resized: each keeps
// its first distances to the window's edges as its rule says. Client
// coordinates in pixels.

namespace ravelock::app {

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const Box&, const Box&) = default;
};

struct Size {
  int width = 0, height = 0;
};

struct PanelBoxes {
  Box topBar, leftBar, header, pages, picture;
  friend bool operator==(const PanelBoxes&, const PanelBoxes&) = default;
};

// The panels in a client area of `client`, given where they were in the
// first one:
// - the top bar and the header keep their right margins (fixed height);
// - the left bar keeps its bottom margin (fixed width);
// - the picture panel keeps its size and its right and bottom margins, but
//   never moves left of or above its first place;
// - the page area keeps its right margin, and its bottom its first distance
//   above the picture panel's top.
PanelBoxes followResize(const PanelBoxes& first, Size firstClient, Size client);

} // namespace ravelock::app
