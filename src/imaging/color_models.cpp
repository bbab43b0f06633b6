// Colour models in integers: hue, saturation and value, luma and the colour
// differences, exactly as the pixel readout prints them.
#include <algorithm>

#include "imaging/imaging.h"
#include "pixels/pixels.h"

namespace {

struct Channels {
  int r, g, b;
};
Channels channelsOf(uint32_t c) {
  return {static_cast<int>((c >> 16) & 255), static_cast<int>((c >> 8) & 255),
          static_cast<int>(c & 255)};
}

// One sector of the hue circle: where max and min are, and the hue there. The first row
// that matches wins, which settles ties (R = G > B is 60, G = B > R 180, R = B > G 300).
// The numerator of the second, fourth and sixth rows is measured from the maximum.
int hueOf(Channels c, int max, int min, int d) {
  if (max == c.r && min == c.b) return 60 * (c.g - c.b) / d;
  if (max == c.g && min == c.b) return 60 * (c.g - c.r) / d + 60;
  if (max == c.g && min == c.r) return 60 * (c.b - c.r) / d + 120;
  if (max == c.b && min == c.r) return 60 * (c.b - c.g) / d + 180;
  if (max == c.b && min == c.g) return 60 * (c.r - c.g) / d + 240;
  return 60 * (c.r - c.b) / d + 300;  // max = R, min = G
}

// (a R + b G + c B + 1/2) in 16.16 fixed point, the division truncating toward zero.
int weighted(uint32_t color, int a, int b, int c) {
  const Channels ch = channelsOf(color);
  return (a * ch.r + b * ch.g + c * ch.b + 32768) / 65536;
}

}  // namespace

void TAV_RgbToHsv(uint32_t color, int* hue, int* saturation, int* value) {
  const Channels c = channelsOf(color);
  const int max = std::max({c.r, c.g, c.b});
  const int min = std::min({c.r, c.g, c.b});
  const int d = max - min;
  if (hue) *hue = d == 0 ? 0 : hueOf(c, max, min, d);
  if (saturation) *saturation = d;
  if (value) *value = max;
}

int TAV_GetHue(uint32_t color) {
  int h = 0;
  TAV_RgbToHsv(color, &h, nullptr, nullptr);
  return h;
}

int TAV_GetSaturation(uint32_t color) {
  int s = 0;
  TAV_RgbToHsv(color, nullptr, &s, nullptr);
  return s;
}

int TAV_GetValue(uint32_t color) {
  int v = 0;
  TAV_RgbToHsv(color, nullptr, nullptr, &v);
  return v;
}

// Arguments beyond their ranges (V and S 0..255, H 0..359) are taken at the nearest end,
// so that no channel spills into its neighbour.
uint32_t TAV_HsvToRgb(int value, int saturation, int hue) {
  return pixels::hsvToRgb(value, saturation, hue);
}

namespace imaging {

int luma(uint32_t color) {
  return pixels::luma(color);
}
int colorCr(uint32_t color) {
  return weighted(color, 32768, -27460, -5308);
}
int colorCb(uint32_t color) {
  return weighted(color, -11076, -21692, 32768);
}
int colorU(uint32_t color) {
  return weighted(color, -9634, -18940, 28574);
}
int colorV(uint32_t color) {
  return weighted(color, 40305, -33751, -6554);
}
int colorI(uint32_t color) {
  return weighted(color, 39053, -18022, -21037);
}
int colorQ(uint32_t color) {
  return weighted(color, 13533, -32565, 19032);
}

}  // namespace imaging
