// The test patterns one clipped pixel at a time, as first written: the reference the row
// versions are checked against.
#include "imagewin/imagewin.h"
#include "imaging/current_pixels.h"
#include "imaging/imaging.h"
#include "imaging/pattern_formulas.h"
#include "straight_drawing.h"

namespace imaging {

namespace {

template <typename PixelColor>
void eachPixel(PixelColor colorAt) {
  const CurrentPixels image = currentPixels();
  if (!image) return;
  for (int i = 0; i < image.height; ++i)
    for (int j = 0; j < image.width; ++j)
      TAV_PutPixel(j, i, colorAt(i, j, image.width, image.height));
}

void chromaStraight(const ChromaPattern& pattern) {
  eachPixel([&](int i, int j, int W, int H) {
    const int h = chromaAcross(j, W);
    const int w = chromaDown(i, H);
    const int L = radialLuma(w * w + h * h) * 65536;
    int c[3];
    for (int k = 0; k < 3; ++k) c[k] = chromaChannel(L, pattern.p[k] * h, pattern.q[k] * w);
    return rgbOf(c[0], c[1], c[2]);
  });
}

}  // namespace

void patternRGBStraight() {
  eachPixel([](int i, int j, int W, int H) {
    return rgbOf(255 * j / W, 255 * i / H, 255 - 255 * (i + j) / (W + H));
  });
}

void patternHSVStraight() {
  eachPixel([](int i, int j, int W, int H) {
    const HsvRow row = hsvRow(i, H);
    return TAV_HsvToRgb(row.value, row.saturation, hsvHue(j, W));
  });
}

void patternYCrCbStraight() {
  chromaStraight(kYCrCbPattern);
}
void patternYuvStraight() {
  chromaStraight(kYuvPattern);
}
void patternYIQStraight() {
  chromaStraight(kYIQPattern);
}

void patternGreyStraight() {
  const CurrentPixels image = currentPixels();
  if (!image) return;
  if (image.bits == 8) {
    const plat::Palette grey = plat::greyPalette();
    TAV_SetPalette(grey.data(), 256);
  }
  const int W = image.width, H = image.height;
  for (int j = 0; j < W; ++j) {
    const uint32_t g = static_cast<uint32_t>(255 * j / W);
    drawLineStraight(g * 0x010101u, j, 0, j, H / 2 - 1);
    drawLineStraight(0xFFFFFFu - g * 0x010101u, j, H / 2, j, H - 1);
  }
}

}  // namespace imaging
