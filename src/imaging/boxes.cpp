// Rectangles: outlines, filled boxes and their inverting forms. Rows are drawn as lines,
// so the pen ends where the last row or side ended.
#include <algorithm>
#include <utility>

#include "imaging/current_pixels.h"
#include "imaging/imaging.h"

namespace {

void orderCorners(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
}

// Rows first..last that lie inside the current image; rows outside have no pixels to
// touch, so a huge box costs no more than the picture.
std::pair<int, int> visibleRows(int first, int last) {
  const imaging::CurrentPixels image = imaging::currentPixels();
  return {std::max(first, 0), std::min(last, image.height - 1)};
}

}  // namespace

void TAV_DrawBox(int x1, int y1, int x2, int y2) {
  TAV_DrawLine(DrawColor, x2, y2, x1, y2);
  TAV_DrawLine(DrawColor, x1, y2, x1, y1);
  TAV_DrawLine(DrawColor, x1, y1, x2, y1);
  TAV_DrawLine(DrawColor, x2, y1, x2, y2);
}

void TAV_FillBox(int x1, int y1, int x2, int y2, uint32_t outline, uint32_t inside) {
  orderCorners(x1, y1, x2, y2);
  TAV_DrawLine(outline, x1, y1, x2, y1);
  TAV_DrawLine(outline, x2, y1, x2, y2);
  TAV_DrawLine(outline, x2, y2, x1, y2);
  TAV_DrawLine(outline, x1, y2, x1, y1);
  if (int64_t{x2} - x1 < 2 || int64_t{y2} - y1 < 2) return;  // no inside
  const auto [top, bottom] = visibleRows(y1 + 1, y2 - 1);
  for (int y = top; y <= bottom; ++y) TAV_DrawLine(inside, x1 + 1, y, x2 - 1, y);
  PenPosition = {x2 - 1, y2 - 1};
}

void TAV_XorBox(int x1, int y1, int x2, int y2) {
  orderCorners(x1, y1, x2, y2);
  TAV_XorLine(x1, y1, x2, y1);
  if (y2 != y1) TAV_XorLine(x1, y2, x2, y2);
  if (int64_t{y2} - y1 > 1) {
    // A box one column wide inverts that column twice: its sides cancel.
    TAV_XorLine(x1, y1 + 1, x1, y2 - 1);
    TAV_XorLine(x2, y1 + 1, x2, y2 - 1);
  }
}

void TAV_XorFillBox(int x1, int y1, int x2, int y2) {
  orderCorners(x1, y1, x2, y2);
  const auto [top, bottom] = visibleRows(y1, y2);
  for (int y = top; y <= bottom; ++y) TAV_XorLine(x1, y, x2, y);
  PenPosition = {x2, y2};
}
