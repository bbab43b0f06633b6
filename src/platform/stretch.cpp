// Stretching a block onto another: COLORONCOLOR here, HALFTONE by area averaging. These
// run in the playback loop, so they work on rows and precomputed column tables, in
// integers only; stretch_geometry.h says which source pixels each destination pixel takes.
#include <cstring>
#include <optional>

#include "platform/area_average.h"
#include "platform/palette_lookup.h"
#include "platform/stretch_geometry.h"
#include "platform/surface.h"

namespace plat {

namespace {

// COLORONCOLOR: every destination pixel takes the source pixel under its centre.
void stretchNearest(Surface& dst, const Surface& src, const Axis& ax, const Axis& ay) {
  NearestMap cols = nearestMap(ax);
  const NearestMap rows = nearestMap(ay);
  if (cols.dest.empty() || rows.dest.empty()) return;
  sortColumns(cols);
  const size_t n = cols.dest.size();
  const int x0 = cols.dest.front();
  const int* sx = cols.source.data();
  const size_t bpp = dst.bits() / 8;
  ColorTable table(src.palette());
  std::optional<NearestIndex> nearest;
  if (dst.bits() == 8 && src.bits() == 32) nearest.emplace(dst.palette());

  int previousDest = -1, previousSource = -1;
  for (size_t j = 0; j < rows.dest.size(); ++j) {
    const int y = rows.dest[j], v = rows.source[j];
    if (v == previousSource) {  // a repeated source row: the same destination row again
      std::memcpy(dst.row8(y) + x0 * bpp, dst.row8(previousDest) + x0 * bpp, n * bpp);
      previousDest = y;
      continue;
    }
    previousDest = y;
    previousSource = v;
    if (dst.bits() == 32) {
      uint32_t* d = dst.row32(y) + x0;
      if (src.bits() == 32) {
        const uint32_t* s = src.row32(v);
        for (size_t k = 0; k < n; ++k) d[k] = s[sx[k]];
      } else {
        const uint8_t* s = src.row8(v);
        for (size_t k = 0; k < n; ++k) d[k] = table.rgb[s[sx[k]]];
      }
    } else {
      uint8_t* d = dst.row8(y) + x0;
      if (src.bits() == 8) {
        const uint8_t* s = src.row8(v);
        for (size_t k = 0; k < n; ++k) d[k] = s[sx[k]];
      } else {
        const uint32_t* s = src.row32(v);
        for (size_t k = 0; k < n; ++k) d[k] = (*nearest)(s[sx[k]]);
      }
    }
  }
}

// A copy of a surface, for blits of a surface onto itself.
std::unique_ptr<Surface> duplicate(const Surface& s) {
  auto copy = Surface::create(s.width(), s.height(), s.bits());
  if (!copy) return nullptr;
  std::memcpy(copy->data(), s.data(), s.byteSize());
  copy->palette() = s.palette();
  return copy;
}

}  // namespace

void stretchBlt(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                int sw, int sh) {
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
  if (&dst == &src) {
    // Onto itself (a mirror in place, for instance): read from a copy.
    auto copy = duplicate(src);
    if (copy) stretchBlt(dst, dx, dy, dw, dh, *copy, sx, sy, sw, sh);
    return;
  }
  const Axis ax(dx, dw, dst.width(), sx, sw, src.width());
  const Axis ay(dy, dh, dst.height(), sy, sh, src.height());
  if (dst.stretchMode() == kHalftone) {
    stretchHalftone(dst, src, ax, ay);
  } else {
    stretchNearest(dst, src, ax, ay);
  }
}

}  // namespace plat
