// The six test patterns, painted into the current image a row at a time. Each gives the
// same pixels as painting every pixel through the clipped pixel write (the straight
// versions beside them), and leaves the pen on the last pixel as that would.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imagewin/imagewin.h"
#include "imaging/current_pixels.h"
#include "imaging/imaging.h"
#include "imaging/pattern_formulas.h"

namespace {

using namespace imaging;

// Paints every row i with the colours buildRow(i, colors) makes, stored as the pixel write
// would: whole words, or their low bytes as indices. A row whose keyOf(i) is that of the
// row above has its colours (the patterns change from row to row in steps), so it is
// copied from there, which costs hardly more than writing it at all.
template <typename KeyOf, typename BuildRow>
void paintRows(const CurrentPixels& image, KeyOf keyOf, BuildRow buildRow) {
  const size_t rowBytes = static_cast<size_t>(image.width) * (image.bits == 32 ? 4 : 1);
  std::vector<uint32_t> scratch(image.bits == 8 ? image.width : 0);
  for (int i = 0; i < image.height; ++i) {
    if (i > 0 && keyOf(i) == keyOf(i - 1)) {
      std::memcpy(image.row8(i), image.row8(i - 1), rowBytes);
      continue;
    }
    uint32_t* colors = image.bits == 32 ? image.row32(i) : scratch.data();
    buildRow(i, colors);
    if (image.bits == 8) {
      uint8_t* row = image.row8(i);
      for (int j = 0; j < image.width; ++j) row[j] = static_cast<uint8_t>(colors[j]);
    }
  }
  PenPosition = {image.width - 1, image.height - 1};
}

// Neighbouring columns share their value of a per-column quantity (the hue, a chroma
// coordinate) in runs, about 7 columns each across 1920 pixels; a colour that depends
// on the row and that quantity only is worked out once per run.
struct ColumnRuns {
  std::vector<int> value;  // per run
  std::vector<int> start;  // per run, and then the width
};
template <typename ValueOf>
ColumnRuns columnRuns(int width, ValueOf valueOf) {
  ColumnRuns runs;
  for (int j = 0; j < width; ++j) {
    const int v = valueOf(j);
    if (runs.value.empty() || runs.value.back() != v) {
      runs.value.push_back(v);
      runs.start.push_back(j);
    }
  }
  runs.start.push_back(width);
  return runs;
}

// Writes each run's colour over its columns eight at a time, which the compiler makes
// vector stores. The last eight of a run may reach into the runs after it, which are
// written later; only where eight would go past the row are the pixels written singly.
void fillRuns(const ColumnRuns& runs, const std::vector<uint32_t>& runColors, uint32_t* colors) {
  const int width = runs.start.back();
  for (size_t r = 0; r < runs.value.size(); ++r) {
    const uint32_t color = runColors[r];
    const int end = runs.start[r + 1];  // held here: the stores could alias the int vector
    for (int j = runs.start[r]; j < end; j += 8) {
      if (j + 8 <= width) {
        for (int k = 0; k < 8; ++k) colors[j + k] = color;
      } else {
        for (int k = j; k < end; ++k) colors[k] = color;
      }
    }
  }
}

// TAV_HsvToRgb for a value and saturation within 0..255, as the pattern has them: each
// channel is min + t (v - min) / 60 for a step t of 0..60 that depends on the hue only,
// 60 for the channel at the value, 0 for the one at the minimum and the ramp between for
// the third. The steps are worked out once per hue, the channels per row.
struct Steps {
  unsigned red, green, blue;
};
Steps stepsOf(unsigned h) {
  if (h < 60) return {60, h, 0};
  if (h < 120) return {120 - h, 60, 0};
  if (h < 180) return {0, 60, h - 120};
  if (h < 240) return {0, 240 - h, 60};
  if (h < 300) return {h - 240, 0, 60};
  return {60, 0, 360 - h};
}
struct HueSteps {
  std::vector<unsigned> red, green, blue;  // per run of one hue
  void add(int hue) {
    const Steps t = stepsOf(static_cast<unsigned>(hue));
    red.push_back(t.red);
    green.push_back(t.green);
    blue.push_back(t.blue);
  }
};

void chromaPattern(const ChromaPattern& pattern) {
  const CurrentPixels image = currentPixels();
  if (!image) return;
  const int W = image.width, H = image.height;
  const ColumnRuns runs = columnRuns(W, [W](int j) { return chromaAcross(j, W); });
  const std::vector<int>& h = runs.value;
  // The luma depends on w² + h² only: rows w and -w, and columns h and -h, share it, so
  // it is worked out once for each pair |w|, |h| (both at most 127) that is met.
  constexpr int kNone = -1;
  std::vector<int> lumaOf(128 * 128, kNone);
  auto luma = [&](int w, int across) {
    int& L = lumaOf[std::abs(w) * 128 + std::abs(across)];
    if (L == kNone) L = radialLuma(w * w + across * across);
    return L;
  };
  std::vector<int> lumas(h.size());
  std::vector<uint32_t> runColors(h.size());
  auto rowKey = [H](int i) { return chromaDown(i, H); };
  paintRows(image, rowKey, [&](int i, uint32_t* colors) {
    const int w = chromaDown(i, H);
    for (size_t r = 0; r < h.size(); ++r) lumas[r] = luma(w, h[r]) * 65536;
    // No calls or branches here: the compiler makes this vector code.
    const int qw[3] = {pattern.q[0] * w, pattern.q[1] * w, pattern.q[2] * w};
    for (size_t r = 0; r < h.size(); ++r) {
      runColors[r] = rgbOf(chromaChannel(lumas[r], pattern.p[0] * h[r], qw[0]),
                           chromaChannel(lumas[r], pattern.p[1] * h[r], qw[1]),
                           chromaChannel(lumas[r], pattern.p[2] * h[r], qw[2]));
    }
    fillRuns(runs, runColors, colors);
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
  auto everyRow = [](int i) { return i; };
  paintRows(image, everyRow, [&](int i, uint32_t* colors) {
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
  std::vector<uint32_t> runColors(runs.value.size());
  HueSteps steps;
  for (int hue : runs.value) steps.add(hue);
  auto rowKey = [H](int i) {
    const HsvRow row = hsvRow(i, H);
    return row.saturation * 256 + row.value;
  };
  paintRows(image, rowKey, [&](int i, uint32_t* colors) {
    const HsvRow row = hsvRow(i, H);
    const unsigned min = std::max(row.value - row.saturation, 0), d = row.value - min;
    // No calls or branches here: the compiler makes this vector code.
    for (size_t r = 0; r < runColors.size(); ++r) {
      runColors[r] = (min + steps.red[r] * d / 60) << 16 | (min + steps.green[r] * d / 60) << 8 |
                     (min + steps.blue[r] * d / 60);
    }
    fillRuns(runs, runColors, colors);
  });
}

void TAV_PatternYCrCb() {
  chromaPattern(kYCrCbPattern);
}
void TAV_PatternYuv() {
  chromaPattern(kYuvPattern);
}
void TAV_PatternYIQ() {
  chromaPattern(kYIQPattern);
}

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
  auto half = [H](int i) { return i < H / 2; };
  paintRows(image, half, [&](int i, uint32_t* colors) {
    const std::vector<uint32_t>& source = i < H / 2 ? top : bottom;
    std::copy(source.begin(), source.end(), colors);
  });
}
