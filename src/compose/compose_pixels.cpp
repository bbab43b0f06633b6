#include "compose/compose_pixels.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>
#include <type_traits>

#include "compose/work_reader.h"

namespace compose {

namespace {

constexpr uint32_t kRed = 0x00FF0000u;
constexpr uint32_t kGreen = 0x0000FF00u;
constexpr uint32_t kBlue = 0x000000FFu;

// Below this many pixels a second thread costs more than it saves.
constexpr int64_t kSplitThreshold = 1 << 18;

// Runs fn(begin, end) over [0, count), on two threads when the job is big enough.
// The parts write disjoint rows, so the result does not depend on the split.
template <typename Fn>
void splitRows(int64_t count, int64_t pixelsPerRow, Fn fn) {
  if (count <= 1 || count * pixelsPerRow < kSplitThreshold ||
      std::thread::hardware_concurrency() < 2) {
    fn(int64_t{0}, count);
    return;
  }
  const int64_t mid = count / 2;
  std::thread second;
  try {
    second = std::thread([&] { fn(mid, count); });
  } catch (const std::system_error&) {
    fn(int64_t{0}, count);  // no thread to be had: all of it here
    return;
  }
  fn(int64_t{0}, mid);
  second.join();
}

uint32_t* rowOf(PixelBuffer b, int64_t y) {
  return b.pixels + static_cast<size_t>(y) * static_cast<size_t>(b.width);
}

// Where a composition mixes in the colour just before: entry k of `at` mixes with
// weight weight[k]. Kept apart from the reads so that those run in a tight loop.
struct BlendPoints {
  std::vector<int64_t> at;
  std::vector<double> weight;
  bool unitWeights = true;  // every weight in [0, 1)
  void add(int64_t i, double w) {
    at.push_back(i);
    weight.push_back(w);
    unitWeights = unitWeights && w >= 0 && w < 1;
  }
};

// Four doubles, four 32-bit integers: GCC's vector types, which take SSE2 or AVX2
// depending on the function they are compiled in.
typedef double Doubles4 __attribute__((vector_size(32)));
typedef int32_t Ints4 __attribute__((vector_size(16)));

// One channel of four mixes: trunc((1 - x) a + x b), as BlendColor works it out.
__attribute__((always_inline)) inline Ints4 mixChannel(Doubles4 x, Ints4 a, Ints4 b, int shift) {
  const Doubles4 ca = __builtin_convertvector((a >> shift) & 0xff, Doubles4);
  const Doubles4 cb = __builtin_convertvector((b >> shift) & 0xff, Doubles4);
  return __builtin_convertvector((1.0 - x) * ca + x * cb, Ints4);
}

// Mixes points k .. k + 3, none of which follows another, so that none reads a pixel
// another one writes.
__attribute__((always_inline)) inline void mixFour(uint32_t* px, const BlendPoints& b, size_t k) {
  // Built whole rather than lane by lane, which would go through memory.
  const int64_t* at = b.at.data() + k;
  const Ints4 a = {static_cast<int32_t>(px[at[0]]), static_cast<int32_t>(px[at[1]]),
                   static_cast<int32_t>(px[at[2]]), static_cast<int32_t>(px[at[3]])};
  const Ints4 before = {static_cast<int32_t>(px[at[0] - 1]), static_cast<int32_t>(px[at[1] - 1]),
                        static_cast<int32_t>(px[at[2] - 1]), static_cast<int32_t>(px[at[3] - 1])};
  Doubles4 x;
  std::memcpy(&x, b.weight.data() + k, sizeof x);
  const Ints4 mixed = mixChannel(x, a, before, 16) << 16 | mixChannel(x, a, before, 8) << 8 |
                      mixChannel(x, a, before, 0);
  for (int j = 0; j < 4; ++j) px[at[j]] = static_cast<uint32_t>(mixed[j]);
}

// Whether points k .. k + 3 exist and none of them follows the one before it.
inline bool fourApart(const BlendPoints& b, size_t k, int64_t last) {
  if (k + 4 > b.at.size()) return false;
  const int64_t* at = b.at.data() + k;
  return at[0] != last + 1 && at[1] != at[0] + 1 && at[2] != at[1] + 1 && at[3] != at[2] + 1;
}

// mixChained with every weight in [0, 1): every channel stays in 0..255, so along a
// chain the channels are carried apart, as BlendColor would unpack them again, which
// keeps the packing off the chain; four points apart from one another at a time. Same
// formula, same result.
__attribute__((always_inline)) inline void mixUnitWeights(uint32_t* px, const BlendPoints& b) {
  const size_t count = b.at.size();
  double r = 0, g = 0, bl = 0;
  int64_t last = -2;
  for (size_t k = 0; k < count;) {
    if (fourApart(b, k, last)) {
      mixFour(px, b, k);
      k += 4;
      last = -2;  // the next point reads what the last one wrote back
      continue;
    }
    const int64_t l = b.at[k];
    if (l != last + 1) {
      const uint32_t p = px[l - 1];
      r = static_cast<double>((p >> 16) & 0xff);
      g = static_cast<double>((p >> 8) & 0xff);
      bl = static_cast<double>(p & 0xff);
    }
    const double x = b.weight[k];
    const uint32_t a = px[l];
    const int mr = static_cast<int>((1.0 - x) * static_cast<double>((a >> 16) & 0xff) + x * r);
    const int mg = static_cast<int>((1.0 - x) * static_cast<double>((a >> 8) & 0xff) + x * g);
    const int mb = static_cast<int>((1.0 - x) * static_cast<double>(a & 0xff) + x * bl);
    px[l] = static_cast<uint32_t>(mr) << 16 | static_cast<uint32_t>(mg) << 8 |
            static_cast<uint32_t>(mb);
    r = mr;
    g = mg;
    bl = mb;
    last = l;
    ++k;
  }
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void mixUnitWeightsAvx2(uint32_t* px, const BlendPoints& b) {
  mixUnitWeights(px, b);
}
#endif

void mixUnitWeightsBaseline(uint32_t* px, const BlendPoints& b) {
  mixUnitWeights(px, b);
}

// Mixes each point, in order, with the pixel just before it as mixed so far: a chain
// when the points follow one another.
void mixChained(uint32_t* px, const BlendPoints& b) {
  if (!b.unitWeights) {
    for (size_t k = 0; k < b.at.size(); ++k) {
      const int64_t l = b.at[k];
      px[l] = BlendColor(b.weight[k], px[l], px[l - 1]);
    }
    return;
  }
#if defined(__x86_64__)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) {
    mixUnitWeightsAvx2(px, b);
    return;
  }
#endif
  mixUnitWeightsBaseline(px, b);
}

// One output row of the column-stripe method: channel j of pixel x is the matching
// channel of stripe 3x + j - offset, black where there is no such stripe.
void writeStripeRow(uint32_t* out, int64_t outWidth, const uint32_t* vals, int64_t count,
                    int64_t offset) {
  auto at = [vals, count](int64_t c) { return c >= 0 && c < count ? vals[c] : 0u; };
  auto edge = [&](int64_t x) {
    const int64_t c = 3 * x - offset;
    return (at(c) & kRed) | (at(c + 1) & kGreen) | (at(c + 2) & kBlue);
  };
  // Pixels whose three stripes all exist: 3x - offset >= 0 and 3x - offset + 2 < count.
  const int64_t first = std::min(outWidth, (offset + 2) / 3);
  const int64_t t = count - 3 + offset;
  const int64_t last = std::clamp<int64_t>(t < 0 ? 0 : t / 3 + 1, first, outWidth);
  int64_t x = 0;
  for (; x < first; ++x) out[x] = edge(x);
  // Indexed rather than a moving pointer: with no stripes at all vals may be null.
  for (int64_t c = 3 * x - offset; x < last; ++x, c += 3) {
    out[x] = (vals[c] & kRed) | (vals[c + 1] & kGreen) | (vals[c + 2] & kBlue);
  }
  for (; x < outWidth; ++x) out[x] = edge(x);
}

}  // namespace

void buildWorkPixels(ConstPixelBuffer multiView, PixelBuffer work, int viewWidth, int viewHeight,
                     int W, int H, int bands) {
  if (bands < 1 || W <= 0 || H <= 0 || !work.pixels || work.width <= 0) return;
  // The compositions that read the views directly use this same index.
  const ResampledViews views({multiView, viewWidth, viewHeight, W, H, bands});
  const int64_t cols = std::min<int64_t>(views.width(), work.width);
  const int64_t rows = std::min<int64_t>(H, work.height);
  if (cols <= 0 || rows <= 0) return;
  splitRows(rows, cols, [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      uint32_t* out = rowOf(work, y);
      const uint32_t* in = views.row(y);
      if (!in) {
        std::memset(out, 0, static_cast<size_t>(cols) * 4);
        continue;
      }
      views.readRow(in, cols, out);
    }
  });
}

StripePlan planStableStripes(double pitch, int views, int W, int outputWidth) {
  StripePlan plan;
  if (views < 1) return plan;
  const double d = pitch / views;
  // Stripes from here on start right of the picture and draw nothing; the loop ends
  // there even when no further boundary is ever reached (an infinite or huge pitch).
  const int64_t end = std::max<int64_t>(0, 3 * static_cast<int64_t>(outputWidth) - views / 2);
  const int64_t columns = 3 * static_cast<int64_t>(W);
  double g = d;
  double f = 0;
  bool blend = false;
  int64_t c = 0;
  while (c < columns) {
    int p = 0;
    while (p < views) {
      if (c >= end) return plan;
      plan.view.push_back(p);
      plan.blend.push_back(blend ? 1 : 0);
      plan.fraction.push_back(f);
      ++c;
      blend = false;
      if (reachesBoundary(c, g)) {
        ++p;
        blend = true;
        f = boundaryFraction(g);
        g += d;
      }
    }
  }
  return plan;
}

namespace {

// The column stripes, reading the work image through `work` (its pixels, or the views
// through the resampling index).
template <typename WorkReader>
int64_t composeStableFrom(const WorkReader& work, PixelBuffer output, const LentiParams& p,
                          int bands) {
  if (bands < 1 || p.views < 1 || !output.pixels || output.width <= 0 || output.height <= 0) {
    return 0;
  }
  const StripePlan plan = planStableStripes(p.pitch, p.views, p.width, output.width);
  const int64_t count = static_cast<int64_t>(plan.size());
  const int64_t shift = p.views / 2;
  const int64_t groups = std::max(0, p.height / 3);
  const int64_t band = work.width() / bands;
  const int64_t drawnRows = std::min<int64_t>(3 * groups, output.height);

  // Work column of each stripe in row group 0; row group r reads 3r further right.
  std::vector<int64_t> base(static_cast<size_t>(count));
  for (int64_t c = 0; c < count; ++c) base[c] = c + plan.view[c] * band;

  // The first stripe never mixes: there is nothing before it.
  BlendPoints blends;
  for (int64_t c = 1; c < count; ++c) {
    if (plan.blend[c]) blends.add(c, plan.fraction[c]);
  }

  splitRows(
      (drawnRows + 2) / 3, 3 * static_cast<int64_t>(output.width), [&](int64_t begin, int64_t end) {
        std::vector<uint32_t> raw(static_cast<size_t>(count)), vals(static_cast<size_t>(count));
        for (int64_t r = begin; r < end; ++r) {
          const uint32_t* in = work.row(3 * r);
          if (in) {
            for (int64_t c = 0; c < count; ++c) raw[c] = work.at(in, base[c] + 3 * r);
          } else {
            std::fill(raw.begin(), raw.end(), 0u);
          }
          // A stripe mixes the stripe before it as read, not as mixed.
          std::copy(raw.begin(), raw.end(), vals.begin());
          for (size_t k = 0; k < blends.at.size(); ++k) {
            const int64_t c = blends.at[k];
            vals[c] = BlendColor(blends.weight[k], raw[c], raw[c - 1]);
          }
          for (int64_t y = 3 * r; y < std::min(3 * r + 3, drawnRows); ++y) {
            writeStripeRow(rowOf(output, y), output.width, vals.data(), count, shift + y);
          }
        }
      });
  for (int64_t y = drawnRows; y < output.height; ++y) {
    std::memset(rowOf(output, y), 0, static_cast<size_t>(output.width) * 4);
  }
  return count;
}

}  // namespace

int64_t composeStablePixels(ConstPixelBuffer work, PixelBuffer output, const LentiParams& p,
                            int bands) {
  return composeStableFrom(WorkPixels(work), output, p, bands);
}

int64_t composeStablePixels(const WorkResampling& views, PixelBuffer output, const LentiParams& p) {
  if (views.bands < 1) return 0;
  return composeStableFrom(ResampledViews(views), output, p, views.bands);
}

BetaTables buildBetaTables(double pitch, int views, int W, int H) {
  BetaTables t;
  if (views < 1) return t;
  const int64_t n = std::max<int64_t>(0, 3 * static_cast<int64_t>(W) + H);
  t.view.resize(static_cast<size_t>(n));
  t.mark.assign(static_cast<size_t>(n), 0);
  t.fraction.assign(static_cast<size_t>(n), 0.0);
  const double d = pitch / views;
  double e = d;
  int v = 0;
  for (int64_t j = 0; j < n; ++j) {
    t.view[j] = v;
    if (reachesBoundary(j, e)) {
      t.mark[j] = 1;
      t.fraction[j] = boundaryFraction(e);
      e += d;
      if (++v == views) v = 0;
    }
  }
  return t;
}

namespace {

// The carried blend of the row-group method: a sub-pixel after a view boundary mixes
// in the colour before it, across row groups too.
struct BetaCarry {
  bool blend = false;
  double held = 0;
  uint32_t heldColor = 0;
};

// The work pixel of every sub-pixel of row group g, black outside the work image.
// Independent of every other row group, so it can run ahead on another thread.
template <typename WorkReader>
void gatherBetaGroup(const WorkReader& work, const BetaTables& t, int views, int64_t columns,
                     int64_t groups, int64_t g, uint32_t* raw) {
  const uint32_t* in = work.row(3 * g);
  if (!in) {
    std::fill(raw, raw + columns, 0u);
    return;
  }
  const int32_t* view = t.view.data() + 3 * (groups - g);
  // Views run 0 .. V - 1; with bands for all of them inside the work image, the reads
  // need no test.
  if constexpr (std::is_same_v<WorkReader, WorkPixels>) {
    if (work.width() / columns >= static_cast<int64_t>(views)) {
      for (int64_t l = 0; l < columns; ++l)
        raw[l] = in[l + static_cast<int64_t>(view[l]) * columns];
      return;
    }
  }
  for (int64_t l = 0; l < columns; ++l) {
    raw[l] = work.at(in, l + static_cast<int64_t>(view[l]) * columns);
  }
}

// Where the row-group method mixes within a row group: sub-pixel l mixes in the
// colour before it when l - 1 reached a view boundary. The same in every row group.
BlendPoints PlanBetaBlends(const BetaTables& t, int64_t columns) {
  BlendPoints b;
  for (int64_t l = 1; l < columns; ++l) {
    if (t.mark[l - 1]) b.add(l, t.fraction[l - 1]);
  }
  return b;
}

// Blends row group g's gathered pixels in order (each boundary mixes into the next
// sub-pixel, the last one into the next row group's first) and writes the group's
// three output rows from them.
void finishBetaGroup(const BetaTables& t, const BlendPoints& blends, int64_t columns, int64_t g,
                     uint32_t* raw, BetaCarry& carry, PixelBuffer output, int64_t pixels) {
  if (carry.blend) raw[0] = BlendColor(carry.held, raw[0], carry.heldColor);
  mixChained(raw, blends);
  carry.blend = t.mark[columns - 1] != 0;
  carry.held = t.fraction[columns - 1];
  carry.heldColor = raw[columns - 1];
  const int64_t y0 = 3 * g;
  for (int q = 0; q < 3 && y0 + q < output.height; ++q) {
    uint32_t* out = rowOf(output, y0 + q);
    // Sub-pixel 3x + j of row y0 + q shows staged colour 3x + j - q; before the first
    // there is black.
    int64_t x = 0;
    for (; x < pixels && 3 * x - q < 0; ++x) {
      uint32_t v = 0;
      for (int j = 0; j < 3; ++j) {
        const int64_t l = 3 * x + j - q;
        if (l >= 0) v |= raw[l] & (0xFFu << (16 - 8 * j));
      }
      out[x] = v;
    }
    for (const uint32_t* s = raw + 3 * x - q; x < pixels; ++x, s += 3) {
      out[x] = (s[0] & kRed) | (s[1] & kGreen) | (s[2] & kBlue);
    }
  }
}

// The row groups, reading the work image through `work`.
template <typename WorkReader>
void composeBetaFrom(const WorkReader& work, PixelBuffer output, const LentiParams& p) {
  if (p.views < 1 || !output.pixels || output.width <= 0 || output.height <= 0) return;
  const int64_t columns = 3 * static_cast<int64_t>(p.width);
  const int64_t groups = p.height / 3;
  if (columns <= 0 || groups <= 0) return;
  // Nothing below the output is written, and the state carried from one row group to
  // the next only flows downwards, so the row groups under the picture can be left out.
  const int64_t drawnGroups = std::min<int64_t>(groups, (output.height + 2) / 3);
  const BetaTables t = buildBetaTables(p.pitch, p.views, p.width, p.height);
  const int64_t pixels = std::min<int64_t>(p.width, output.width);

  const BlendPoints blends = PlanBetaBlends(t, columns);
  BetaCarry carry;
  if (drawnGroups * columns < kSplitThreshold || std::thread::hardware_concurrency() < 2) {
    std::vector<uint32_t> raw(static_cast<size_t>(columns));
    for (int64_t g = 0; g < drawnGroups; ++g) {
      gatherBetaGroup(work, t, p.views, columns, groups, g, raw.data());
      finishBetaGroup(t, blends, columns, g, raw.data(), carry, output, pixels);
    }
    return;
  }
  // The blending runs through every row group in order, so it stays on this thread;
  // a second one gathers row groups ahead of it, and this one gathers too whenever
  // the group it needs next is not there yet. Either thread claims groups in order.
  std::vector<uint32_t> raw(static_cast<size_t>(drawnGroups * columns));
  std::vector<std::atomic<bool>> ready(static_cast<size_t>(drawnGroups));
  std::atomic<int64_t> nextToGather{0};
  auto gatherOne = [&] {
    const int64_t g = nextToGather.fetch_add(1, std::memory_order_relaxed);
    if (g >= drawnGroups) return false;
    gatherBetaGroup(work, t, p.views, columns, groups, g, raw.data() + g * columns);
    ready[g].store(true, std::memory_order_release);
    return true;
  };
  std::thread gatherer;
  try {
    gatherer = std::thread([&] {
      while (gatherOne()) {
      }
    });
  } catch (const std::system_error&) {
    // No second thread: this one gathers every group as it comes to it.
  }
  for (int64_t g = 0; g < drawnGroups; ++g) {
    while (!ready[g].load(std::memory_order_acquire)) {
      if (!gatherOne()) std::this_thread::yield();
    }
    finishBetaGroup(t, blends, columns, g, raw.data() + g * columns, carry, output, pixels);
  }
  if (gatherer.joinable()) gatherer.join();
}

}  // namespace

void composeBetaPixels(ConstPixelBuffer work, PixelBuffer output, const LentiParams& p) {
  composeBetaFrom(WorkPixels(work), output, p);
}

void composeBetaPixels(const WorkResampling& views, PixelBuffer output, const LentiParams& p) {
  composeBetaFrom(ResampledViews(views), output, p);
}

}  // namespace compose
