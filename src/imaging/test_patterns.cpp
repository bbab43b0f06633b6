// The six test patterns, painted into the current image a row at a time. Each gives the
// same pixels as painting every pixel through the clipped pixel write (the straight
// versions beside them), and leaves the pen on the last pixel as that would.
#include <algorithm>
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

// Neighbouring columns share their value of a per-column quantity (the hue, a chroma
// coordinate) in runs, about 7 columns each across 1920 pixels; a colour that depends
// on the row and that quantity only is worked out once per run and then looked up.
struct ColumnRuns {
  std::vector<int> value;  // per run
  std::vector<int> runOf;  // per column
};
template <typename ValueOf>
ColumnRuns columnRuns(int width, ValueOf valueOf) {
  ColumnRuns runs;
  runs.runOf.resize(width);
  for (int j = 0; j < width; ++j) {
    const int v = valueOf(j);
    if (runs.value.empty() || runs.value.back() != v) runs.value.push_back(v);
    runs.runOf[j] = static_cast<int>(runs.value.size()) - 1;
  }
  return runs;
}

template <typename ColorOf>
void fillRuns(const ColumnRuns& runs, std::vector<uint32_t>& runColors, uint32_t* colors,
              ColorOf colorOf) {
  runColors.resize(runs.value.size());
  for (size_t r = 0; r < runs.value.size(); ++r) runColors[r] = colorOf(runs.value[r]);
  const int width = static_cast<int>(runs.runOf.size());
  for (int j = 0; j < width; ++j) colors[j] = runColors[runs.runOf[j]];
}

void chromaPattern(const ChromaPattern& pattern) {
  const CurrentPixels image = currentPixels();
  if (!image) return;
  const int W = image.width, H = image.height;
  const ColumnRuns runs = columnRuns(W, [W](int j) { return chromaAcross(j, W); });
  std::vector<uint32_t> runColors;
  paintRows(image, [&](int i, uint32_t* colors) {
    const int w = chromaDown(i, H);
    fillRuns(runs, runColors, colors, [&](int h) {
      const int L = radialLuma(w * w + h * h) * 65536;
      return rgbOf(chromaChannel(L, pattern.p[0] * h, pattern.q[0] * w),
                   chromaChannel(L, pattern.p[1] * h, pattern.q[1] * w),
                   chromaChannel(L, pattern.p[2] * h, pattern.q[2] * w));
    });
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
  const ColumnRuns runs = columnRuns(W, [W](int j) { return hsvHue(j, W); });
  std::vector<uint32_t> runColors;
  paintRows(image, [&](int i, uint32_t* colors) {
    const HsvRow row = hsvRow(i, H);
    fillRuns(runs, runColors, colors, [&](int hue) { return TAV_HsvToRgb(row.value, row.saturation, hue); });
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
