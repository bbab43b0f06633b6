#include "imaging/current_pixels.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "imagewin/imagewin.h"

namespace imaging {

CurrentPixels currentPixels() {
  if (static_cast<unsigned>(CurrentImage) >= kImageWindowCount) return {};
  ImageWindowRecord& rec = ImageTable[CurrentImage];
  if (!rec.inUse) return {};
  return {rec.surface->data(), rec.surface->stride(), rec.width, rec.height, rec.bits};
}

namespace {

// The inside part [first, last] of the columns xa..xb; false when none is inside.
bool insideColumns(const CurrentPixels& image, int y, int xa, int xb, int& first, int& last) {
  if (!image || static_cast<unsigned>(y) >= static_cast<unsigned>(image.height)) return false;
  if (xa > xb) std::swap(xa, xb);
  first = std::max(xa, 0);
  last = std::min(xb, image.width - 1);
  return first <= last;
}

// Stores v in p[0..n): blocks of a fixed length, which the compiler writes with vector
// stores at the optimisation level we build with, then the rest one at a time.
template <typename Pixel>
void fillPixels(Pixel* p, int n, Pixel v) {
  constexpr int kBlock = 32;
  int i = 0;
  for (; i + kBlock <= n; i += kBlock)
    for (int k = 0; k < kBlock; ++k) p[i + k] = v;
  for (; i < n; ++i) p[i] = v;
}

}  // namespace

void fillRow(const CurrentPixels& image, int y, int xa, int xb, uint32_t color) {
  int first, last;
  if (!insideColumns(image, y, xa, xb, first, last)) return;
  if (image.bits == 32) {
    fillPixels(image.row32(y) + first, last + 1 - first, color);
  } else {
    std::memset(image.row8(y) + first, static_cast<uint8_t>(color),
                static_cast<size_t>(last + 1 - first));
  }
}

void invertRow(const CurrentPixels& image, int y, int xa, int xb) {
  int first, last;
  if (!insideColumns(image, y, xa, xb, first, last)) return;
  if (image.bits == 32) {
    for (uint32_t* p = image.row32(y) + first; p <= image.row32(y) + last; ++p) *p ^= 0xFFFFFFu;
  } else {
    for (uint8_t* p = image.row8(y) + first; p <= image.row8(y) + last; ++p) *p = ~*p;
  }
}

int clampCoordinate(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

}  // namespace imaging
