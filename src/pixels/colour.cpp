#include <algorithm>

#include "pixels/pixels.h"

namespace pixels {

uint32_t hsvToRgb(int value, int saturation, int hue) {
  const int v = std::clamp(value, 0, 255);
  const int s = std::clamp(saturation, 0, 255);
  const int h = std::clamp(hue, 0, 359);
  const int min = std::max(v - s, 0);
  const int d = v - min;
  int r, g, b;
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
  return static_cast<uint32_t>((r << 16) + (g << 8) + b);
}

int luma(uint32_t color) {
  const int r = static_cast<int>((color >> 16) & 255);
  const int g = static_cast<int>((color >> 8) & 255);
  const int b = static_cast<int>(color & 255);
  return (19595 * r + 38470 * g + 7471 * b + 32768) >> 16;
}

}  // namespace pixels
