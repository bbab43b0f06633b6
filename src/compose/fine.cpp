#include "compose/fine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "compose/row_split.h"

namespace compose {

namespace {

// The view of a phase times V: floor, V - 1 for V itself (a phase of exactly 1, which
// t - floor(t) gives for t just below an integer), 0 for NaN.
int viewOfScaledPhase(double scaled, int views) {
  const double v = std::floor(scaled);
  if (!(v >= 0)) return 0;
  return v >= views ? views - 1 : static_cast<int>(v);
}

uint32_t channelMask(int c) {
  return 0xFFu << (16 - 8 * c);
}

// The geometry both versions read with: views vw x vh; false when there is none.
struct ViewGeometry {
  int64_t vw = 0, vh = 0;
  double sx = 0, sy = 0;
  bool valid = false;
};

ViewGeometry viewGeometry(ConstPixelBuffer mv, const FineParams& p) {
  ViewGeometry g;
  if (p.views < 1 || !mv.pixels || mv.width < 1 || mv.height < 1 || p.width < 1 || p.height < 1)
    return g;
  g.vw = mv.width / p.views;
  g.vh = mv.height;
  if (g.vw < 1) return g;
  g.sx = static_cast<double>(g.vw) / static_cast<double>(3 * static_cast<int64_t>(p.width));
  g.sy = static_cast<double>(g.vh) / static_cast<double>(p.height);
  g.valid = true;
  return g;
}

// floor(t) for every double: through the integer conversion where t is small enough
// for it, t itself where t is already whole (or not finite).
inline double floorOf(double t) {
  if (!(std::fabs(t) < 4503599627370496.0)) return t;  // 2^52: whole, infinite or NaN
  const double f = static_cast<double>(static_cast<int64_t>(t));
  return f > t ? f - 1.0 : f;
}

std::atomic<bool> baselineOnly{false};

// Four doubles, four 32-bit integers: GCC's vector types, which take SSE2 or AVX2
// depending on the function they are compiled in.
typedef double Doubles4 __attribute__((vector_size(32)));
typedef int64_t Mask4 __attribute__((vector_size(32)));
typedef int32_t Ints4 __attribute__((vector_size(16)));

// What one row's views are computed from: t = (s - a - O) / P with a = S y.
struct RowViews {
  double a, offset, pitch, views;
  int viewCount;
  int32_t viewWidth;          // vw
  const int32_t* viewColumn;  // vx of each sub-pixel
};

inline double viewT(int64_t s, const RowViews& r) {
  return (static_cast<double>(s) - r.a - r.offset) / r.pitch;
}

// The view of sub-pixel s as fineView computes it, with the floors taken through the
// integer conversion.
inline int viewAt(double s, const RowViews& r) {
  const double t = (s - r.a - r.offset) / r.pitch;
  const double scaled = (t - floorOf(t)) * r.views;
  // phase V lies in [0, V]; the conversion floors it there. NaN gives view 0.
  return scaled >= 0 ? (scaled < r.views ? static_cast<int>(scaled) : r.viewCount - 1) : 0;
}

// The multi-view column of sub-pixel s: v vw + vx.
inline int32_t sourceAt(int64_t s, const RowViews& r) {
  return viewAt(static_cast<double>(s), r) * r.viewWidth + r.viewColumn[s];
}

// The multi-view columns of sub-pixels [begin, end) of a row whose every t is finite and below
// 2^51 in size, four at a time. floor(t) is t rounded to the nearest whole number by adding and
// taking away 1.5 2^52, less one where that came out above t; the same operations on the same
// doubles as viewAt, so the same views.
__attribute__((always_inline)) inline void rowViewsVector(const RowViews& r, int64_t begin,
                                                          int64_t end, int32_t* out) {
  const double magic = 6755399441055744.0;  // 1.5 2^52
  const Doubles4 step = {4, 4, 4, 4};
  const Doubles4 a = {r.a, r.a, r.a, r.a};
  const Doubles4 o = {r.offset, r.offset, r.offset, r.offset};
  const Doubles4 p = {r.pitch, r.pitch, r.pitch, r.pitch};
  const Doubles4 v = {r.views, r.views, r.views, r.views};
  const double last = r.views - 1;
  const Doubles4 top = {last, last, last, last};
  const Doubles4 m = {magic, magic, magic, magic};
  const Doubles4 one = {1, 1, 1, 1};
  const double b = static_cast<double>(begin);
  Doubles4 s = {b, b + 1, b + 2, b + 3};
  int64_t i = begin;
  for (; i + 4 <= end; i += 4, s += step) {
    const Doubles4 t = (s - a - o) / p;
    const Doubles4 nearest = (t + m) - m;
    const Mask4 above = nearest > t;
    const Doubles4 floor = nearest - (above ? one : one - one);
    Doubles4 scaled = (t - floor) * v;
    // floor(min(phase V, V - 1)) is floor(phase V), and V - 1 for a phase of 1.
    scaled = scaled < top ? scaled : top;
    Ints4 column;
    std::memcpy(&column, r.viewColumn + i, sizeof column);
    const Ints4 source = __builtin_convertvector(scaled, Ints4) * r.viewWidth + column;
    std::memcpy(out + i, &source, sizeof source);
  }
  for (; i < end; ++i) out[i] = sourceAt(i, r);
}

void rowViewsBaseline(const RowViews& r, int64_t count, int32_t* out) {
  rowViewsVector(r, 0, count, out);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void rowViewsAvx2(const RowViews& r, int64_t count, int32_t* out) {
  rowViewsVector(r, 0, count, out);
}

// A row's phases as fixed-point fractions of a lens (2^64 a turn): the phase at s = 0 and
// its step per sub-pixel, from which the views come by whole-number arithmetic. Off the
// double arithmetic of the definition by less than `margin` / 2^32 of a view, so where
// phase V lies further than that from a whole number both give the same view.
struct RowTurns {
  uint64_t start = 0, step = 0;
  uint32_t margin = 0;
  bool usable = false;
};

// A fraction of a turn as 2^64ths; t - floor(t) can round up to 1, which is 0.
uint64_t turnsOf(double t) {
  const double f = t - std::floor(t);
  return f < 1 ? static_cast<uint64_t>(f * 18446744073709551616.0) : 0;
}

RowTurns rowTurns(const RowViews& r, int64_t count) {
  // Every t of the row, and each rounding of it, is within mag 2^-51 of the real value;
  // the steps add mag 2^-53. Beyond 2^24 the margin would grow too wide to be worth it.
  const double mag =
      (static_cast<double>(count) + std::fabs(r.a) + std::fabs(r.offset)) / std::fabs(r.pitch);
  RowTurns turns;
  if (!(mag < 16777216.0)) return turns;  // also NaN
  turns.start = turnsOf(viewT(0, r));
  turns.step = turnsOf(1.0 / r.pitch);
  // In 2^-32 of a turn: mag 2^-17 for the roundings, 16 for truncations, times V.
  const double margin = r.viewCount * (std::ceil(mag / 65536.0) + 16) + 16;
  if (!(margin < 268435456.0)) return turns;  // 2^28: so many views leave too little between
  turns.margin = static_cast<uint32_t>(margin);
  turns.usable = true;
  return turns;
}

// Phase V of eight sub-pixels as fixed-point numbers of views, 2^22 to a view, so that a
// view is its top bits (180 views of 2^22 twice over stay below 2^31), stepped eight
// sub-pixels at a time by adding one vector and taking V away where that passes V: no lane
// multiplies. Each step truncates less than 2 2^-22 of a view, so the margin grows by two a
// step.
struct PhaseLanes {
  static constexpr int kBits = 22;
  __m256i phase, step, lens, margin, twoMargins, fraction;
};

__attribute__((target("avx2"))) PhaseLanes phaseLanes(const RowViews& r, const RowTurns& turns,
                                                      int64_t count) {
  // A turn's top 32 bits times V, in 2^-22 of a view: less than two of them truncated.
  const auto viewsOf = [&r](uint64_t turn) {
    return static_cast<int32_t>(((turn >> 32) * static_cast<uint64_t>(r.viewCount)) >>
                                (32 - PhaseLanes::kBits));
  };
  alignas(32) int32_t first[8];
  for (int j = 0; j < 8; ++j) first[j] = viewsOf(turns.start + j * turns.step);
  const int32_t margin = static_cast<int32_t>(turns.margin >> (32 - PhaseLanes::kBits)) + 4 +
                         static_cast<int32_t>(count / 4);
  return {_mm256_load_si256(reinterpret_cast<const __m256i*>(first)),
          _mm256_set1_epi32(viewsOf(8 * turns.step)),
          _mm256_set1_epi32(r.viewCount << PhaseLanes::kBits),
          _mm256_set1_epi32(margin),
          _mm256_set1_epi32(2 * margin),
          _mm256_set1_epi32((1 << PhaseLanes::kBits) - 1)};
}

// The lanes whose phase V lies within the margin of a whole number: a view boundary, or a
// lens boundary, where the fixed point may differ from the doubles.
__attribute__((target("avx2"), always_inline)) inline __m256i nearWhole(const PhaseLanes& l,
                                                                        __m256i phase) {
  const __m256i shifted = _mm256_and_si256(_mm256_add_epi32(phase, l.margin), l.fraction);
  return _mm256_cmpgt_epi32(l.twoMargins, shifted);
}

// The next eight sub-pixels' phases, V less where they pass it (phase - V wraps above
// phase below V).
__attribute__((target("avx2"), always_inline)) inline __m256i nextEight(const PhaseLanes& l,
                                                                        __m256i phase) {
  phase = _mm256_add_epi32(phase, l.step);
  return _mm256_min_epu32(phase, _mm256_sub_epi32(phase, l.lens));
}

// The multi-view columns of a row from its turns, eight sub-pixels at a time. Eight with
// a phase near a whole number are worked out again by rowViewsVector.
__attribute__((target("avx2"))) void rowViewsTurns(const RowViews& r, const RowTurns& turns,
                                                   int64_t count, int32_t* out) {
  const PhaseLanes lanes = phaseLanes(r, turns, count);
  const __m256i width = _mm256_set1_epi32(r.viewWidth);
  const int32_t* viewColumn = r.viewColumn;  // not read again after each store
  __m256i phase = lanes.phase;
  int64_t s = 0;
  for (; s + 8 <= count; s += 8) {
    const __m256i view = _mm256_srli_epi32(phase, PhaseLanes::kBits);
    const __m256i column = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(viewColumn + s));
    const __m256i source = _mm256_add_epi32(_mm256_mullo_epi32(view, width), column);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + s), source);
    const __m256i near = nearWhole(lanes, phase);
    if (!_mm256_testz_si256(near, near)) rowViewsVector(r, s, s + 8, out);
    phase = nextEight(lanes, phase);
  }
  rowViewsVector(r, s, count, out);
}
#endif

// The multi-view columns of sub-pixels [0, count) of one row.
void rowViews(const RowViews& r, int64_t count, int32_t* out) {
  // t is monotonic in s, so its ends bound the whole row.
  const double first = std::fabs(viewT(0, r)), end = std::fabs(viewT(count - 1, r));
  if (first < 2251799813685248.0 && end < 2251799813685248.0) {  // 2^51; false for NaN
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && !baselineOnly.load(std::memory_order_relaxed)) {
      const RowTurns turns = rowTurns(r, count);
      if (turns.usable) {
        rowViewsTurns(r, turns, count, out);
      } else {
        rowViewsAvx2(r, count, out);
      }
      return;
    }
#endif
    rowViewsBaseline(r, count, out);
    return;
  }
  for (int64_t s = 0; s < count; ++s) out[s] = sourceAt(s, r);
}

// Sub-pixel k of a pixel carries channel c: the masks in physical order.
struct SubpixelMasks {
  uint32_t m0, m1, m2;
};

// One output row from its multi-view columns. The masks come by value, so that they stay
// in registers rather than being read again after every pixel written.
void readRow(const uint32_t* in, const int32_t* source, int64_t cols, SubpixelMasks masks,
             uint32_t* out) {
  const uint32_t m0 = masks.m0, m1 = masks.m1, m2 = masks.m2;
  for (int64_t x = 0; x < cols; ++x, source += 3) {
    out[x] = (in[source[0]] & m0) | (in[source[1]] & m1) | (in[source[2]] & m2);
  }
}

}  // namespace

void useFineBaselineOnly(bool on) {
  baselineOnly.store(on, std::memory_order_relaxed);
}

int fineView(double s, double y, const FineParams& p) {
  const double t = (s - p.slant * y - p.offset) / p.pitch;
  const double phase = t - std::floor(t);
  return viewOfScaledPhase(phase * p.views, p.views);
}

void composeFineStraight(ConstPixelBuffer multiView, PixelBuffer output, const FineParams& p) {
  if (!output.pixels || output.width < 1 || output.height < 1) return;
  const int64_t rows = std::min(p.height, output.height), cols = std::min(p.width, output.width);
  const ViewGeometry g = viewGeometry(multiView, p);
  for (int64_t y = 0; y < rows; ++y) {
    uint32_t* out = output.pixels + y * output.width;
    for (int64_t x = 0; x < cols; ++x) {
      if (!g.valid) {
        out[x] = 0;
        continue;
      }
      uint32_t pixel = 0;
      for (int k = 0; k < 3; ++k) {
        const int64_t s = 3 * x + k;
        const int c = p.order == SubpixelOrder::Rgb ? k : 2 - k;
        const int v = fineView(static_cast<double>(s), static_cast<double>(y), p);
        // Below vw and vh for every s < 3W and y < H; the bounds only guard the reads.
        const int64_t vx = std::min(g.vw - 1, truncToInt64(static_cast<double>(s) * g.sx));
        const int64_t vy = std::min(g.vh - 1, truncToInt64(static_cast<double>(y) * g.sy));
        const uint32_t source = multiView.pixels[vy * multiView.width + v * g.vw + vx];
        pixel |= source & channelMask(c);
      }
      out[x] = pixel;
    }
  }
}

void composeFinePixels(ConstPixelBuffer multiView, PixelBuffer output, const FineParams& p) {
  if (!output.pixels || output.width < 1 || output.height < 1) return;
  const int64_t rows = std::min(p.height, output.height), cols = std::min(p.width, output.width);
  const ViewGeometry g = viewGeometry(multiView, p);
  if (!g.valid) {
    for (int64_t y = 0; y < rows; ++y) {
      std::memset(output.pixels + y * output.width, 0, static_cast<size_t>(cols) * 4);
    }
    return;
  }
  const int64_t subpixels = 3 * cols;
  // Per column: the view column of each sub-pixel.
  std::vector<int32_t> viewColumn(static_cast<size_t>(subpixels));
  for (int64_t s = 0; s < subpixels; ++s) {
    viewColumn[s] =
        static_cast<int32_t>(std::min(g.vw - 1, truncToInt64(static_cast<double>(s) * g.sx)));
  }
  const bool rgb = p.order == SubpixelOrder::Rgb;
  const SubpixelMasks masks{channelMask(rgb ? 0 : 2), channelMask(1), channelMask(rgb ? 2 : 0)};
  const int32_t vw = static_cast<int32_t>(g.vw);
  splitRows(rows, cols, [&](int64_t begin, int64_t end) {
    std::vector<int32_t> source(static_cast<size_t>(subpixels));
    for (int64_t y = begin; y < end; ++y) {
      // The same operations as fineView, in the same order: (s - S y) - O, then / P.
      const RowViews r{p.slant * static_cast<double>(y),
                       p.offset,
                       p.pitch,
                       static_cast<double>(p.views),
                       p.views,
                       vw,
                       viewColumn.data()};
      rowViews(r, subpixels, source.data());
      const int64_t vy = std::min(g.vh - 1, truncToInt64(static_cast<double>(y) * g.sy));
      const uint32_t* in = multiView.pixels + vy * multiView.width;
      uint32_t* out = output.pixels + y * output.width;
      readRow(in, source.data(), cols, masks, out);
    }
  });
}

}  // namespace compose
