// The per-pixel formulas of the test patterns, shared by the pixel-by-pixel versions
// and the row versions that must give the same pixels.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace imaging {

inline uint32_t rgbOf(int r, int g, int b) {
  return static_cast<uint32_t>((r << 16) + (g << 8) + b);
}

// Saturation and value of row i of the "HSV" pattern: white at the top, full hues at the
// middle row, black at the bottom. A picture one row high has only its middle row.
struct HsvRow {
  int saturation, value;
};
inline HsvRow hsvRow(int i, int height) {
  const int n = height / 2;
  if (n == 0) return {255, 255};
  if (i < n) return {255 * i / n, 255};
  return {255, 255 - 255 * (i - n) / n};
}
inline int hsvHue(int j, int width) {
  return 359 * j / width;
}

// The chroma coordinates of the colour-difference patterns, about -127..127 each, and
// the luma that grows from the centre outward.
inline int chromaAcross(int j, int width) {
  return 255 * (j - width / 2) / width;
}
inline int chromaDown(int i, int height) {
  return 255 * (i - height / 2) / height;
}
inline int radialLuma(int squaredDistance) {
  return static_cast<int>(std::sqrt(5.0 * squaredDistance));
}

// Each channel is (L + p h + q w + 1/2) in 16.16 fixed point, truncated toward zero and
// clamped to 0..255; p and q per channel red, green, blue.
struct ChromaPattern {
  int p[3];
  int q[3];
};
inline constexpr ChromaPattern kYCrCbPattern{{0, -22544, 116130}, {-91881, 46793, 0}};
inline constexpr ChromaPattern kYuvPattern{{0, -25952, 132973}, {-74711, 38076, 0}};
inline constexpr ChromaPattern kYIQPattern{{42998, -44872, 118292}, {-62187, 17334, 73859}};

inline int chromaChannel(int lumaFixed, int ph, int qw) {
  return std::clamp((lumaFixed + ph + qw + 32768) / 65536, 0, 255);
}

}  // namespace imaging
