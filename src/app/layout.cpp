#include "app/layout.h"

#include <algorithm>

namespace ravelock::app {

namespace {

// `box` with its right edge at the same distance from the new right edge.
Box keepRightMargin(Box box, Size first, Size client) {
  box.right = client.width - (first.width - box.right);
  return box;
}

} // namespace

PanelBoxes followResize(const PanelBoxes& first, Size firstClient, Size client) {
  PanelBoxes boxes = first;
  boxes.topBar = keepRightMargin(first.topBar, firstClient, client);
  boxes.header = keepRightMargin(first.header, firstClient, client);
  boxes.leftBar.bottom = client.height - (firstClient.height - first.leftBar.bottom);

  const Box& picture = first.picture;
  boxes.picture.left =
      std::max(picture.left, client.width - (firstClient.width - picture.left));
  boxes.picture.top =
      std::max(picture.top, client.height - (firstClient.height - picture.top));
  boxes.picture.right = boxes.picture.left + picture.width();
  boxes.picture.bottom = boxes.picture.top + picture.height();

  boxes.pages = keepRightMargin(first.pages, firstClient, client);
  boxes.pages.bottom = boxes.picture.top - (picture.top - first.pages.bottom);
  return boxes;
}

} // namespace ravelock::app
