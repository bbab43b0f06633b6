// The lenticular composition on plain 32-bit pixel buffers: resampling the views into
// the work image and interleaving the work image into the output picture. The player
// runs these on its image windows' buffers; direvo-compose runs them on its own.
//
// Pixels are words 0x00RRGGBB, rows top-down, `width` words per row. Sub-pixel s of a
// row is channel s mod 3 (red, green, blue) of pixel s div 3.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace compose {

struct PixelBuffer {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
};
// V views of one size side by side, as a picture of its own.
struct MultiViewPicture {
  std::vector<uint32_t> pixels;  // words 0x00RRGGBB, width words a row
  int width = 0;
  int height = 0;
  std::vector<int> unreadFrames;  // view frames that could not be read, in the order's order
};

struct ConstPixelBuffer {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
};

// The settings at start, and the limits the player and direvo-compose hold them to.
inline constexpr double kDefaultPitch = 17.319;
inline constexpr int kDefaultViews = 7;
inline constexpr int kDefaultWidth = 800;
inline constexpr int kDefaultHeight = 480;
inline constexpr int kMinViews = 2;
inline constexpr int kMaxViews = 180;
inline constexpr int kMaxWidth = 1920;
inline constexpr int kMaxHeight = 1240;

struct LentiParams {
  double pitch = kDefaultPitch;  // sub-pixel columns per lens
  int views = kDefaultViews;     // V
  int width = kDefaultWidth;     // W, output pixels per row
  int height = kDefaultHeight;   // H, output rows
};

// A real taken toward zero as a 64-bit integer, defined for every double: NaN gives 0,
// values beyond the 64-bit range give its ends.
inline int64_t truncToInt64(double v) {
  if (!(v == v)) return 0;
  if (v >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (v < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(v);
}

// Whether column or position c has reached the boundary at g. Compared as reals, so
// an infinite or NaN boundary behaves the same everywhere: +inf and NaN are never
// reached, -inf is reached at once.
inline bool reachesBoundary(int64_t c, double g) {
  return static_cast<double>(c) >= std::trunc(g);
}

// The fractional part of a boundary; 0 when that is not a finite number.
inline double boundaryFraction(double g) {
  const double f = g - std::trunc(g);
  return std::isfinite(f) ? f : 0.0;
}

// Per channel trunc((1 - x) * a + x * b), recombined as red * 65536 + green * 256 +
// blue; channel values outside 0..255 spill into their neighbours, and the sum wraps
// to 32 bits.
inline uint32_t BlendColor(double x, uint32_t a, uint32_t b) {
  auto channel = [x, a, b](int shift) {
    const double ca = static_cast<double>((a >> shift) & 0xff);
    const double cb = static_cast<double>((b >> shift) & 0xff);
    // The conversion itself truncates toward zero; no separate trunc is needed.
    return static_cast<uint64_t>(truncToInt64((1.0 - x) * ca + x * cb));
  };
  return static_cast<uint32_t>(channel(16) * 65536u + channel(8) * 256u + channel(0));
}

// The resampling that makes the work image from the multi-view picture: band k
// (columns [3W k, 3W (k+1))) is view k, viewWidth columns wide, stretched to 3W x H.
struct WorkResampling {
  ConstPixelBuffer multiView;
  int viewWidth = 0;
  int viewHeight = 0;
  int W = 0;
  int H = 0;
  int bands = 0;  // views the work image holds
};

// Work image: band k (columns [3W k, 3W (k+1))) is view k of the multi-view image,
// whose views are viewWidth columns wide, stretched to 3W x H by nearest neighbour.
// Writes columns below min(3W bands, work width) of rows below min(H, work height);
// reads outside the multi-view image give black.
void buildWorkPixels(ConstPixelBuffer multiView, PixelBuffer work, int viewWidth, int viewHeight,
                     int W, int H, int bands);

// The stripes of the column-stripe method that can reach an output `outputWidth`
// pixels wide, in order: the view of each and whether (and with what weight for the
// previous view) it mixes in the stripe before it.
struct StripePlan {
  std::vector<int32_t> view;
  std::vector<uint8_t> blend;
  std::vector<double> fraction;
  size_t size() const { return view.size(); }
};
StripePlan planStableStripes(double pitch, int views, int W, int outputWidth);

// Column stripes: output sub-pixel s of row y shows stripe s - trunc(V/2) - y; the
// whole output is black first, and rows from 3 trunc(H/3) on stay black. `bands` is
// the number of views the work image holds; its band width is work width / bands.
// Nothing happens when bands or V is below 1. Returns the number of stripes walked.
int64_t composeStablePixels(ConstPixelBuffer work, PixelBuffer output, const LentiParams& p,
                            int bands);
// The same, reading the work image that `views` would resample to, straight from the
// views: the same picture, without the work image.
int64_t composeStablePixels(const WorkResampling& views, PixelBuffer output, const LentiParams& p);

// The per-position tables of the row-group method, positions 0 .. 3W + H - 1.
struct BetaTables {
  std::vector<int32_t> view;
  std::vector<uint8_t> mark;
  std::vector<double> fraction;
};
BetaTables buildBetaTables(double pitch, int views, int W, int H);

// Row groups: the view of sub-pixel s of row y is view[s - y + 3 trunc(H/3)], read
// from bands 3W wide; only rows below 3 trunc(H/3) and pixels below W are written.
// Nothing happens when V is below 1.
void composeBetaPixels(ConstPixelBuffer work, PixelBuffer output, const LentiParams& p);
// The same, reading the work image straight from the views.
void composeBetaPixels(const WorkResampling& views, PixelBuffer output, const LentiParams& p);

}  // namespace compose
