// Direct access to the current image's buffer, for operations that write whole rows
// instead of one checked pixel at a time (with the same result).
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging {

struct CurrentPixels {
  uint8_t* base = nullptr;  // null: no open current image
  size_t stride = 0;
  int width = 0;
  int height = 0;
  int bits = 0;

  explicit operator bool() const { return base != nullptr; }
  uint8_t* row8(int y) const { return base + stride * static_cast<size_t>(y); }
  uint32_t* row32(int y) const { return reinterpret_cast<uint32_t*>(row8(y)); }
  bool inside(int x, int y) const {
    return static_cast<unsigned>(x) < static_cast<unsigned>(width) &&
           static_cast<unsigned>(y) < static_cast<unsigned>(height);
  }
};

CurrentPixels currentPixels();

// The pixels xa..xb (either order) of row y that lie inside, set to the colour as
// TAV_PutPixelQuiet stores it, or inverted as TAV_XorPixelQuiet inverts them.
void fillRow(const CurrentPixels& image, int y, int xa, int xb, uint32_t color);
void invertRow(const CurrentPixels& image, int y, int xa, int xb);

// A 64-bit coordinate as an int; values beyond the int range become its ends, which lie
// outside every image.
int clampCoordinate(int64_t v);

}  // namespace imaging
