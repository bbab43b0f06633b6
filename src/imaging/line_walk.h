// The stepping of a straight line, shared by the drawing and the inverting line.
#pragma once

#include <cstdint>
#include <utility>

namespace imaging {

// Visits every pixel of the line (x1, y1)-(x2, y2) once, both end points included, in
// integer steps with a running error term. The arithmetic is 64-bit so that lines between
// far-apart coordinates do not overflow.
template <typename Plot>
void walkLine(int x1, int y1, int x2, int y2, Plot plot) {
  if (x1 == x2) {
    if (y1 > y2) std::swap(y1, y2);
    for (int64_t y = y1; y <= y2; ++y) plot(x1, static_cast<int>(y));
    return;
  }
  if (y1 == y2) {
    if (x1 > x2) std::swap(x1, x2);
    for (int64_t x = x1; x <= x2; ++x) plot(static_cast<int>(x), y1);
    return;
  }
  if (x1 > x2) {  // the line runs to the right
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const int64_t dx = int64_t{x2} - x1;
  const int64_t dy = y2 > y1 ? int64_t{y2} - y1 : int64_t{y1} - y2;
  const int s = y2 > y1 ? 1 : -1;
  int x = x1, y = y1;
  plot(x, y);
  if (dx >= dy) {
    int64_t e = (dx + 1) / 2;
    while (x != x2) {
      e -= dy;
      ++x;
      if (e <= 0) {
        e += dx;
        y += s;
      }
      plot(x, y);
    }
  } else {
    int64_t e = (dy + 1) / 2;
    while (y != y2) {
      e -= dx;
      y += s;
      if (e <= 0) {
        e += dy;
        ++x;
      }
      plot(x, y);
    }
  }
}

}  // namespace imaging
