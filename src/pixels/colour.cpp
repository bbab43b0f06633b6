#include <algorithm>

#include "pixels/pixels.h"

namespace pixels {

uint32_t hsvToRgb(int value, int saturation, int hue) {
  // In 64 bits the formula cannot overflow for any int arguments: |min| < 2^32,
  // |d| = |min(S, V)| <= 2^31 and every hue factor is below 2^31 + 361, so each product
  // stays below 2^63.
  const int64_t v = value;
  const int64_t h = hue;
  const int64_t min = std::max<int64_t>(v - saturation, 0);
  const int64_t d = v - min;
  int64_t r, g, b;
  if (h < 60) {
    r = v, g = min + h * d / 60, b = min;
  } else if (h < 120) {
    r = min + (120 - h) * d / 60, g = v, b = min;
  } else if (h < 180) {
    r = min, g = v, b = min + (h - 120) * d / 60;
  } else if (h < 240) {
    r = min, g = min + (240 - h) * d / 60, b = v;
  } else if (h < 300) {
    r = min + (h - 240) * d / 60, g = min, b = v;
  } else {
    r = v, g = min, b = min + (360 - h) * d / 60;
  }
  // Recombined in unsigned arithmetic, which wraps: a channel beyond 0..255 spills
  // into its neighbours as (R << 16) + (G << 8) + B does, without overflow.
  const auto u = [](int64_t c) { return static_cast<uint64_t>(c); };
  return static_cast<uint32_t>((u(r) << 16) + (u(g) << 8) + u(b));
}

int luma(uint32_t color) {
  const int r = static_cast<int>((color >> 16) & 255);
  const int g = static_cast<int>((color >> 8) & 255);
  const int b = static_cast<int>(color & 255);
  return (19595 * r + 38470 * g + 7471 * b + 32768) >> 16;
}

}  // namespace pixels
