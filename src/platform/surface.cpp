// Pixel surfaces, block copies between them, and filled and inverted rectangles.
#include "platform/surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/palette_lookup.h"

namespace plat {

namespace {

// Larger surfaces are refused rather than attempted: 4 GiB of pixels.
constexpr size_t kMaxSurfaceBytes = size_t{1} << 32;

// Clips one axis of a block copy: destination start d, source start s, length n.
bool clipCopyAxis(int64_t& d, int64_t& s, int64_t& n, int dLimit, int sLimit) {
  if (d < 0) {
    s -= d;
    n += d;
    d = 0;
  }
  if (s < 0) {
    d -= s;
    n += s;
    s = 0;
  }
  n = std::min({n, int64_t{dLimit} - d, int64_t{sLimit} - s});
  return n > 0;
}

// Clips a rectangle to a surface; false when nothing is left.
bool clipRect(const Surface& s, const Rect& r, int& x0, int& y0, int& x1, int& y1) {
  x0 = std::clamp(r.left, 0, s.width());
  x1 = std::clamp(r.right, 0, s.width());
  y0 = std::clamp(r.top, 0, s.height());
  y1 = std::clamp(r.bottom, 0, s.height());
  return x0 < x1 && y0 < y1;
}

}  // namespace

Palette greyPalette() {
  Palette p;
  for (int i = 0; i < 256; ++i) {
    auto v = static_cast<uint8_t>(i);
    p[i] = {v, v, v, 0};
  }
  return p;
}

Surface::Surface(int width, int height, int bits, size_t stride, uint8_t* data)
    : width_(width),
      height_(height),
      bits_(bits),
      stride_(stride),
      data_(data),
      palette_(greyPalette()) {}

Surface::~Surface() {
  std::free(data_);
}

MadeSurface Surface::create(int width, int height, int bits) {
  if (bits != 8 && bits != 32) return MadeSurface::failed(SurfaceError::BadDepth);
  if (width <= 0 || height <= 0) return MadeSurface::failed(SurfaceError::BadSize);
  const size_t w = static_cast<size_t>(width);
  const size_t stride = bits == 32 ? w * 4 : (w + 3) & ~size_t{3};
  if (stride > kMaxSurfaceBytes / static_cast<size_t>(height))
    return MadeSurface::failed(SurfaceError::TooLarge);
  auto* data = static_cast<uint8_t*>(std::calloc(stride * static_cast<size_t>(height), 1));
  if (!data) return MadeSurface::failed(SurfaceError::NoMemory);
  auto* s = new (std::nothrow) Surface(width, height, bits, stride, data);
  if (!s) {
    std::free(data);
    return MadeSurface::failed(SurfaceError::NoMemory);
  }
  return MadeSurface{std::unique_ptr<Surface>(s), SurfaceError::None};
}

uint8_t nearestPaletteIndex(const Palette& pal, uint32_t rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  int best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < 256; ++i) {
    const int dr = r - pal[i].red, dg = g - pal[i].green, db = b - pal[i].blue;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {  // the first of equally near entries wins
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

void bitBlt(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy) {
  int64_t x = dx, y = dy, u = sx, v = sy, cw = w, ch = h;
  if (!clipCopyAxis(x, u, cw, dst.width(), src.width())) return;
  if (!clipCopyAxis(y, v, ch, dst.height(), src.height())) return;
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const int u0 = static_cast<int>(u), v0 = static_cast<int>(v);
  const int n = static_cast<int>(cw), rows = static_cast<int>(ch);

  if (dst.bits() == src.bits()) {
    // Rows may overlap when a surface is copied onto itself: memmove within a row, and rows
    // bottom-up when moving down.
    const size_t bpp = dst.bits() / 8;
    const bool upward = &dst == &src && y0 > v0;
    for (int k = 0; k < rows; ++k) {
      const int r = upward ? rows - 1 - k : k;
      std::memmove(dst.row8(y0 + r) + x0 * bpp, src.row8(v0 + r) + u0 * bpp, n * bpp);
    }
  } else if (dst.bits() == 32) {
    const ColorTable table(src.palette());
    for (int r = 0; r < rows; ++r) {
      const uint8_t* s = src.row8(v0 + r) + u0;
      uint32_t* d = dst.row32(y0 + r) + x0;
      for (int k = 0; k < n; ++k) d[k] = table.rgb[s[k]];
    }
  } else {
    NearestIndex nearest(dst.palette());
    for (int r = 0; r < rows; ++r) {
      const uint32_t* s = src.row32(v0 + r) + u0;
      uint8_t* d = dst.row8(y0 + r) + x0;
      for (int k = 0; k < n; ++k) d[k] = nearest(s[k]);
    }
  }
}

void fillRect(Surface& dst, const Rect& r, uint32_t rgb) {
  if (dst.bits() == 8) {
    fillRectIndex(dst, r, nearestPaletteIndex(dst.palette(), rgb));
    return;
  }
  int x0, y0, x1, y1;
  if (!clipRect(dst, r, x0, y0, x1, y1)) return;
  const uint32_t word = rgb & 0xFFFFFF;
  for (int y = y0; y < y1; ++y) std::fill(dst.row32(y) + x0, dst.row32(y) + x1, word);
}

void fillRectIndex(Surface& dst, const Rect& r, uint8_t index) {
  if (dst.bits() == 32) {
    // A 32-bit surface takes the colour its palette gives the index.
    fillRect(dst, r, entryColor(dst.palette()[index]));
    return;
  }
  int x0, y0, x1, y1;
  if (!clipRect(dst, r, x0, y0, x1, y1)) return;
  for (int y = y0; y < y1; ++y) std::memset(dst.row8(y) + x0, index, x1 - x0);
}

void invertRect(Surface& dst, const Rect& r) {
  int x0, y0, x1, y1;
  if (!clipRect(dst, r, x0, y0, x1, y1)) return;
  for (int y = y0; y < y1; ++y) {
    if (dst.bits() == 32) {
      uint32_t* d = dst.row32(y);
      for (int x = x0; x < x1; ++x) d[x] ^= 0xFFFFFFu;
    } else {
      uint8_t* d = dst.row8(y);
      for (int x = x0; x < x1; ++x) d[x] = static_cast<uint8_t>(~d[x]);
    }
  }
}

}  // namespace plat
