// The six test patterns, painted into the current image a row at a time. Each gives the
// same pixels as painting every pixel through the clipped pixel write (the straight
// versions beside them), and leaves the pen on the last pixel as that would.
#include <vector>

#include "imagewin/imagewin.h"
#include "imaging/current_pixels.h"
#include "imaging/imaging.h"
#include "imaging/pattern_formulas.h"

namespace {

using namespace imaging;

// Fills every row with fillRow(i, colours) and stores the colours as the pixel write
// would: whole words, or their low bytes as indices.
template <typename FillRow>
void paintRows(const CurrentPixels& image, FillRow fillRow) {
  std::vector<uint32_t> scratch(image.bits == 8 ? image.width : 0);
  for (int i = 0; i < image.height; ++i) {
    uint32_t* colors = image.bits == 32 ? image.row32(i) : scratch.data();
    fillRow(i, colors);
    if (image.bits == 8) {
      uint8_t* row = image.row8(i);
      for (int j = 0; j < image.width; ++j) row[j] = static_cast<uint8_t>(colors[j]);
    }
  }
  PenPosition = {image.width - 1, image.height - 1};
}

void chromaPattern(const ChromaPattern& pattern) {
  const CurrentPixels image = currentPixels();
  if (!image) return;
  const int W = image.width, H = image.height;
  // Both coordinates depend on one axis only; the luma on the sum of their squares,
  // which is looked up in a table of the same square roots.
  std::vector<int> across(W), acrossSquared(W), p0(W), p1(W), p2(W);
  int maxAcrossSquared = 0, maxDownSquared = 0;
  for (int j = 0; j < W; ++j) {
    const int h = chromaAcross(j, W);
    across[j] = h;
    acrossSquared[j] = h * h;
    p0[j] = pattern.p[0] * h;
    p1[j] = pattern.p[1] * h;
    p2[j] = pattern.p[2] * h;
    maxAcrossSquared = std::max(maxAcrossSquared, h * h);
  }
  for (int i = 0; i < H; ++i) maxDownSquared = std::max(maxDownSquared, chromaDown(i, H) * chromaDown(i, H));
  std::vector<int> lumaFixed(maxAcrossSquared + maxDownSquared + 1);
  for (size_t s = 0; s < lumaFixed.size(); ++s) lumaFixed[s] = radialLuma(static_cast<int>(s)) * 65536;

  paintRows(image, [&](int i, uint32_t* colors) {
    const int w = chromaDown(i, H);
    const int q0 = pattern.q[0] * w, q1 = pattern.q[1] * w, q2 = pattern.q[2] * w;
    const int* L = lumaFixed.data() + w * w;
    for (int j = 0; j < W; ++j) {
      const int l = L[acrossSquared[j]];
      colors[j] = rgbOf(chromaChannel(l, p0[j], q0), chromaChannel(l, p1[j], q1),
                        chromaChannel(l, p2[j], q2));
    }
  });
}

}  // namespace

void TAV_PatternRGB() {
  const CurrentPixels image = currentPixels();
  if (!image) return;
  const int W = image.width, H = image.height;
  // Red follows the column, green the row, blue the diagonal i + j.
  std::vector<uint32_t> red(W), blue(W + H - 1);
  for (int j = 0; j < W; ++j) red[j] = rgbOf(255 * j / W, 0, 0);
  for (int d = 0; d < W + H - 1; ++d) blue[d] = static_cast<uint32_t>(255 - 255 * d / (W + H));
  paintRows(image, [&](int i, uint32_t* colors) {
    const uint32_t green = rgbOf(0, 255 * i / H, 0);
    const uint32_t* diagonal = blue.data() + i;
    for (int j = 0; j < W; ++j) colors[j] = red[j] + green + diagonal[j];
  });
}

void TAV_PatternHSV() {
  const CurrentPixels image = currentPixels();
  if (!image) return;
  const int W = image.width, H = image.height;
  std::vector<int> hue(W);
  for (int j = 0; j < W; ++j) hue[j] = hsvHue(j, W);
  paintRows(image, [&](int i, uint32_t* colors) {
    const HsvRow row = hsvRow(i, H);
    // Neighbouring columns mostly share their hue: convert once per hue.
    int lastHue = -1;
    uint32_t color = 0;
    for (int j = 0; j < W; ++j) {
      if (hue[j] != lastHue) {
        lastHue = hue[j];
        color = TAV_HsvToRgb(row.value, row.saturation, lastHue);
      }
      colors[j] = color;
    }
  });
}

void TAV_PatternYCrCb() { chromaPattern(kYCrCbPattern); }
void TAV_PatternYuv() { chromaPattern(kYuvPattern); }
void TAV_PatternYIQ() { chromaPattern(kYIQPattern); }

// Every column is one grey from black to white in the top half and its complement in the
// bottom half (a picture one row high has only the bottom half, as the column's second
// line overdraws its first).
void TAV_PatternGrey() {
  const CurrentPixels image = currentPixels();
  if (!image) return;
  if (image.bits == 8) {
    const plat::Palette grey = plat::greyPalette();
    TAV_SetPalette(grey.data(), 256);
  }
  const int W = image.width, H = image.height;
  std::vector<uint32_t> top(W), bottom(W);
  for (int j = 0; j < W; ++j) {
    const uint32_t g = static_cast<uint32_t>(255 * j / W);
    top[j] = g * 0x010101u;
    bottom[j] = 0xFFFFFFu - g * 0x010101u;
  }
  paintRows(image, [&](int i, uint32_t* colors) {
    const std::vector<uint32_t>& source = i < H / 2 ? top : bottom;
    std::copy(source.begin(), source.end(), colors);
  });
}
