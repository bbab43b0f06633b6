#include "view_layout.h"

#include <algorithm>

namespace viewer {

std::string layoutRefusal(const ViewLayout& layout, int frameWidth, int frameHeight) {
  const std::string size = std::to_string(frameWidth) + " x " + std::to_string(frameHeight);
  if (layout.kind == ViewLayout::Kind::Grid) {
    if (frameWidth % layout.columns != 0 || frameHeight % layout.rows != 0) {
      return "a grid of " + std::to_string(layout.columns) + " x " + std::to_string(layout.rows) +
             " does not divide the " + size + " frame";
    }
    return {};
  }
  if (frameWidth < layout.views) {
    return "a " + size + " frame is narrower than its " + std::to_string(layout.views) + " views";
  }
  return {};
}

ViewsSize viewsSizeOf(const ViewLayout& layout, int frameWidth, int frameHeight) {
  if (layout.kind == ViewLayout::Kind::Grid) {
    return {frameWidth / layout.columns * layout.views, frameHeight / layout.rows};
  }
  return {frameWidth / layout.views * layout.views, frameHeight};
}

namespace {

// Copies a cell of w x h from (sx, sy) of `from` to (dx, 0) of `to`.
void copyCell(compose::ConstPixelBuffer from, int sx, int sy, compose::PixelBuffer to, int dx,
              int w, int h) {
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = from.pixels + static_cast<size_t>(sy + y) * from.width + sx;
    std::copy_n(row, w, to.pixels + static_cast<size_t>(y) * to.width + dx);
  }
}

}  // namespace

void arrangeViews(const ViewLayout& layout, compose::ConstPixelBuffer frame,
                  compose::PixelBuffer views) {
  const ViewsSize size = viewsSizeOf(layout, frame.width, frame.height);
  const int w = size.width / layout.views;
  for (int k = 0; k < layout.views; ++k) {
    int sx = 0;
    int sy = 0;
    if (layout.kind == ViewLayout::Kind::Grid) {
      const int row = k / layout.columns;
      sx = (k % layout.columns) * w;
      sy = (layout.bottomUp ? layout.rows - 1 - row : row) * size.height;
    } else {
      const bool swapped = layout.kind == ViewLayout::Kind::StereoPair && layout.crossed;
      sx = (swapped ? layout.views - 1 - k : k) * w;
    }
    copyCell(frame, sx, sy, views, k * w, w, size.height);
  }
}

}  // namespace viewer
