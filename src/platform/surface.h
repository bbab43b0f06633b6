// Pixel surfaces and the blits between them.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/made.h"
#include "platform/types.h"

namespace plat {

// One palette entry in memory order blue, green, red, reserved.
struct PaletteEntry {
  uint8_t blue = 0, green = 0, red = 0, reserved = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};
using Palette = std::array<PaletteEntry, 256>;
Palette greyPalette();

// Width x height pixels, top-down rows. 32-bit: words 0x00RRGGBB, stride 4*width.
// 8-bit: palette indices, stride (width + 3) & ~3, with a 256-entry palette.
// The memory is zero when made and is addressed by the program directly.
class Surface;
enum class SurfaceError { None, BadDepth, BadSize, TooLarge, NoMemory };
using MadeSurface = Made<Surface, SurfaceError>;

class Surface {
 public:
  // Nothing made when the depth is not 8 or 32, the size is not positive or too large,
  // or the memory cannot be had.
  [[nodiscard]] static MadeSurface create(int width, int height, int bits);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  int bits() const { return bits_; }
  size_t stride() const { return stride_; }
  size_t byteSize() const { return stride_ * static_cast<size_t>(height_); }
  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  // Rows are checked against the height in debug builds only: they run per pixel row.
  uint32_t* row32(int y) { return reinterpret_cast<uint32_t*>(rowStart(y)); }
  const uint32_t* row32(int y) const { return reinterpret_cast<const uint32_t*>(rowStart(y)); }
  uint8_t* row8(int y) { return rowStart(y); }
  const uint8_t* row8(int y) const { return rowStart(y); }

  Palette& palette() { return palette_; }
  const Palette& palette() const { return palette_; }
  // Used when this surface is a stretch destination.
  StretchMode stretchMode() const { return stretchMode_; }
  void setStretchMode(StretchMode mode) {
    if (mode == kColorOnColor || mode == kHalftone) stretchMode_ = mode;
  }

 private:
  Surface(int width, int height, int bits, size_t stride, uint8_t* data);
  uint8_t* rowStart(int y) const {
    assert(y >= 0 && y < height_);
    return data_ + stride_ * static_cast<size_t>(y);
  }
  int width_, height_, bits_;
  size_t stride_;
  uint8_t* data_;
  Palette palette_;
  StretchMode stretchMode_ = kColorOnColor;
};

// Copies a w x h block from src (sx, sy) to dst (dx, dy), clipped to both surfaces.
// Between depths: 8 -> 32 through the source palette, 32 -> 8 by the nearest entry of
// the destination palette.
void bitBlt(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy);
// Stretches the source rectangle onto the destination rectangle with dst.stretchMode():
// COLORONCOLOR takes the nearest source pixel, HALFTONE averages the covered area.
// A negative width or height on one side mirrors that axis. Clipped to both surfaces.
void stretchBlt(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                int sw, int sh);
// Colours are 0xRRGGBB; on 8-bit surfaces the nearest palette index is used.
void fillRect(Surface& dst, const Rect& r, uint32_t rgb);
void fillRectIndex(Surface& dst, const Rect& r, uint8_t index);
void invertRect(Surface& dst, const Rect& r);
uint8_t nearestPaletteIndex(const Palette& pal, uint32_t rgb);

}  // namespace plat
