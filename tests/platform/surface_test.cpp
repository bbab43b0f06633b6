// Surfaces and blits, checked pixel by pixel against straight per-pixel versions.
#include "platform/surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace plat {
namespace {

__extension__ using Wide = unsigned __int128;

std::unique_ptr<Surface> make(int w, int h, int bits) {
  auto s = Surface::create(w, h, bits);
  EXPECT_TRUE(s) << w << "x" << h << "x" << bits;
  return s;
}

uint32_t entryRgb(const PaletteEntry& e) {
  return e.red << 16 | e.green << 8 | e.blue;
}

// The pixel as a colour: the word itself, or the palette colour of the index.
uint32_t colourAt(const Surface& s, int x, int y) {
  return s.bits() == 32 ? s.row32(y)[x] : entryRgb(s.palette()[s.row8(y)[x]]);
}

void put(Surface& s, int x, int y, uint32_t v) {
  if (s.bits() == 32)
    s.row32(y)[x] = v;
  else
    s.row8(y)[x] = static_cast<uint8_t>(v);
}

void randomise(Surface& s, std::mt19937& rng) {
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) put(s, x, y, rng() & (s.bits() == 32 ? 0xFFFFFF : 0xFF));
  if (s.bits() == 8)
    for (auto& e : s.palette()) e = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
}

std::unique_ptr<Surface> copyOf(const Surface& s) {
  auto c = Surface::create(s.width(), s.height(), s.bits());
  std::memcpy(c->data(), s.data(), s.byteSize());
  c->palette() = s.palette();
  c->setStretchMode(s.stretchMode());
  return c;
}

void expectSame(const Surface& a, const Surface& b) {
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      uint32_t va = a.bits() == 32 ? a.row32(y)[x] : a.row8(y)[x];
      uint32_t vb = b.bits() == 32 ? b.row32(y)[x] : b.row8(y)[x];
      ASSERT_EQ(va, vb) << "at " << x << "," << y;
    }
}

// ---- The straight per-pixel stretch: the oracle -------------------------------------------

// Walk index of coordinate p on a side starting at o with extent n, or -1 outside it.
int64_t walkIndex(int64_t p, int64_t o, int64_t n) {
  int64_t i = n > 0 ? p - o : o - p;
  return i >= 0 && i < (n > 0 ? n : -n) ? i : -1;
}

// For every destination coordinate: the source coordinates it covers and their overlap in
// units of 1/D pixel (destination i covers [i S, (i+1) S), source u covers [u D, (u+1) D)).
std::vector<std::vector<std::pair<int, int64_t>>> coverage(int d0, int dn, int dLim, int s0, int sn,
                                                           int sLim) {
  const int64_t D = dn < 0 ? -int64_t{dn} : dn, S = sn < 0 ? -int64_t{sn} : sn;
  std::vector<std::vector<std::pair<int, int64_t>>> out(dLim);
  for (int p = 0; p < dLim; ++p) {
    int64_t i = walkIndex(p, d0, dn);
    if (i < 0) continue;
    for (int q = 0; q < sLim; ++q) {
      int64_t u = walkIndex(q, s0, sn);
      if (u < 0) continue;
      int64_t w = std::min((i + 1) * S, (u + 1) * D) - std::max(i * S, u * D);
      if (w > 0) out[p].push_back({q, w});
    }
  }
  return out;
}

void referenceStretch(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx,
                      int sy, int sw, int sh) {
  if (!dw || !dh || !sw || !sh) return;
  auto store = [&](int x, int y, uint32_t rgb) {
    put(dst, x, y, dst.bits() == 32 ? rgb : nearestPaletteIndex(dst.palette(), rgb));
  };
  if (dst.stretchMode() == kColorOnColor) {
    auto nearest = [](int64_t i, int64_t dn, int64_t s0, int64_t sn) {
      int64_t D = dn < 0 ? -dn : dn, S = sn < 0 ? -sn : sn;
      int64_t u = static_cast<int64_t>(Wide(2 * i + 1) * S / (2 * D));  // floor((i + 1/2) S / D)
      return sn > 0 ? s0 + u : s0 - u;
    };
    for (int y = 0; y < dst.height(); ++y)
      for (int x = 0; x < dst.width(); ++x) {
        int64_t i = walkIndex(x, dx, dw), j = walkIndex(y, dy, dh);
        if (i < 0 || j < 0) continue;
        int64_t u = nearest(i, dw, sx, sw), v = nearest(j, dh, sy, sh);
        if (u < 0 || v < 0 || u >= src.width() || v >= src.height()) continue;
        if (src.bits() == 8 && dst.bits() == 8)
          put(dst, x, y, src.row8(v)[u]);
        else
          store(x, y, colourAt(src, u, v));
      }
    return;
  }
  auto cols = coverage(dx, dw, dst.width(), sx, sw, src.width());
  auto rows = coverage(dy, dh, dst.height(), sy, sh, src.height());
  for (int y = 0; y < dst.height(); ++y)
    for (int x = 0; x < dst.width(); ++x) {
      Wide sum[3] = {0, 0, 0}, total = 0;
      for (auto [v, wy] : rows[y])
        for (auto [u, wx] : cols[x]) {
          Wide w = Wide(wx) * Wide(wy);
          uint32_t c = src.bits() == 32 ? src.row32(v)[u] : colourAt(src, u, v);
          for (int k = 0; k < 3; ++k) sum[k] += w * ((c >> (8 * k)) & 0xFF);
          total += w;
        }
      if (total == 0) continue;
      uint32_t rgb = 0;  // each channel: floor(sum / total + 1/2)
      for (int k = 0; k < 3; ++k)
        rgb |= static_cast<uint32_t>((2 * sum[k] + total) / (2 * total)) << (8 * k);
      store(x, y, rgb);
    }
}

struct StretchCase {
  int dx, dy, dw, dh, sx, sy, sw, sh;
};

void checkAgainstReference(Surface& dst, const Surface& src, const StretchCase& c) {
  SCOPED_TRACE(testing::Message() << "mode " << dst.stretchMode() << " bits " << src.bits() << "->"
                                  << dst.bits() << " src " << src.width() << "x" << src.height()
                                  << " dst " << dst.width() << "x" << dst.height() << " d(" << c.dx
                                  << "," << c.dy << "," << c.dw << "," << c.dh << ") s(" << c.sx
                                  << "," << c.sy << "," << c.sw << "," << c.sh << ")");
  auto expected = copyOf(dst);
  referenceStretch(*expected, c.dx, c.dy, c.dw, c.dh, src, c.sx, c.sy, c.sw, c.sh);
  stretchBlt(dst, c.dx, c.dy, c.dw, c.dh, src, c.sx, c.sy, c.sw, c.sh);
  expectSame(dst, *expected);
}

// ---- Surfaces -----------------------------------------------------------------------------

TEST(Surface, NewSurfacesAreZeroedWithTheirStrideAndAGreyPalette) {
  for (int bits : {8, 32})
    for (int w : {1, 2, 3, 4, 5, 13}) {
      auto s = make(w, 3, bits);
      ASSERT_TRUE(s);
      EXPECT_EQ(s->stride(), bits == 32 ? size_t(4 * w) : size_t((w + 3) & ~3));
      EXPECT_EQ(s->byteSize(), s->stride() * 3);
      for (size_t k = 0; k < s->byteSize(); ++k) ASSERT_EQ(s->data()[k], 0);
      EXPECT_EQ(s->palette(), greyPalette());
      EXPECT_EQ(s->stretchMode(), kColorOnColor);
    }
  EXPECT_EQ(greyPalette()[200], (PaletteEntry{200, 200, 200, 0}));
}

TEST(Surface, RefusesAbsurdSizesAndDepths) {
  for (auto [w, h, bits] : {std::tuple{0, 10, 32},
                            {10, 0, 8},
                            {-1, 10, 32},
                            {10, -5, 8},
                            {10, 10, 24},
                            {10, 10, 0},
                            {1 << 30, 1 << 30, 32},
                            {0x7FFFFFFF, 0x7FFFFFFF, 32},
                            {0x7FFFFFFF, 0x7FFFFFFF, 8},
                            {0x7FFFFFFF, 3, 32}})
    EXPECT_FALSE(Surface::create(w, h, bits)) << w << "x" << h << "x" << bits;
}

TEST(Surface, ARefusalSaysWhy) {
  EXPECT_EQ(Surface::create(10, 10, 24).reason, SurfaceError::BadDepth);
  EXPECT_EQ(Surface::create(0, 10, 8).reason, SurfaceError::BadSize);
  EXPECT_EQ(Surface::create(10, -1, 32).reason, SurfaceError::BadSize);
  EXPECT_EQ(Surface::create(0x7FFFFFFF, 0x7FFFFFFF, 32).reason, SurfaceError::TooLarge);
  auto made = Surface::create(3, 2, 8);
  ASSERT_TRUE(made);
  EXPECT_EQ(made.reason, SurfaceError::None);
  std::unique_ptr<Surface> kept = std::move(made);  // callers may keep just the object
  EXPECT_EQ(kept->width(), 3);
}

TEST(Surface, FillsAndInvertsClippedRectangles) {
  auto s32 = make(6, 4, 32);
  auto s8 = make(6, 4, 8);
  s8->palette()[77] = {30, 20, 10, 0};
  fillRect(*s32, {-3, 1, 2, 99}, 0x123456);
  fillRect(*s8, {-3, 1, 2, 99}, 0x0B1520);  // nearest entry: 77
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      bool in = x < 2 && y >= 1;
      EXPECT_EQ(s32->row32(y)[x], in ? 0x123456u : 0u);
      EXPECT_EQ(s8->row8(y)[x], in ? 77 : 0);
    }
  fillRectIndex(*s32, {5, 3, 6, 4}, 77);  // a 32-bit surface takes the palette colour
  EXPECT_EQ(s32->row32(3)[5], 0x4D4D4Du);
  fillRect(*s32, {4, 0, 99, 1}, 0xFFFFFF);  // stops at the row's end
  fillRectIndex(*s8, {4, 0, 99, 1}, 9);
  EXPECT_EQ(s32->row32(1)[0], 0x123456u);
  EXPECT_EQ(s8->row8(0)[6], 0);  // the padding of the 8-bit row
  EXPECT_EQ(s8->row8(1)[0], 77);

  std::mt19937 rng(7);
  for (auto* s : {s32.get(), s8.get()}) {
    randomise(*s, rng);
    auto before = copyOf(*s);
    invertRect(*s, {1, 1, 50, 3});
    EXPECT_EQ(colourAt(*s, 0, 0), colourAt(*before, 0, 0));
    if (s->bits() == 32)
      EXPECT_EQ(s->row32(2)[4], before->row32(2)[4] ^ 0xFFFFFF);
    else
      EXPECT_EQ(s->row8(2)[4], 255 - before->row8(2)[4]);
    invertRect(*s, {1, 1, 50, 3});
    expectSame(*s, *before);
  }
}

TEST(Surface, NearestPaletteIndexTakesTheClosestFirstEntry) {
  Palette p{};  // every entry black
  p[9] = {0, 0, 200, 0};
  p[10] = {0, 0, 200, 0};
  p[3] = {250, 250, 250, 0};
  EXPECT_EQ(nearestPaletteIndex(p, 0xC00000), 9);  // red 192: nearest 200, first of two
  EXPECT_EQ(nearestPaletteIndex(p, 0xF0F0F0), 3);
  EXPECT_EQ(nearestPaletteIndex(p, 0x100000), 0);
  EXPECT_EQ(nearestPaletteIndex(greyPalette(), 0x818181), 0x81);
}

// ---- Block copies -------------------------------------------------------------------------

TEST(BitBlt, CopiesClippedToBothSurfacesInEveryDepthPair) {
  std::mt19937 rng(11);
  for (int from : {8, 32})
    for (int to : {8, 32})
      for (auto [dx, dy, w, h, sx, sy] : {std::tuple{-2, 1, 9, 9, 0, 0},
                                          {3, -1, 4, 4, -2, 1},
                                          {0, 0, 99, 99, 0, 0},
                                          {5, 5, -3, 2, 0, 0}}) {
        auto src = make(7, 5, from);
        auto dst = make(6, 6, to);
        randomise(*src, rng);
        randomise(*dst, rng);
        auto expected = copyOf(*dst);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            int u = sx + x, v = sy + y, p = dx + x, q = dy + y;
            if (u < 0 || v < 0 || u >= 7 || v >= 5 || p < 0 || q < 0 || p >= 6 || q >= 6) continue;
            if (from == 8 && to == 8)
              put(*expected, p, q, src->row8(v)[u]);  // indices as they are
            else if (to == 32)
              put(*expected, p, q, colourAt(*src, u, v));
            else
              put(*expected, p, q, nearestPaletteIndex(dst->palette(), colourAt(*src, u, v)));
          }
        bitBlt(*dst, dx, dy, w, h, *src, sx, sy);
        SCOPED_TRACE(testing::Message() << from << "->" << to << " at " << dx << "," << dy);
        expectSame(*dst, *expected);
      }
}

TEST(BitBlt, OverlappingCopyOntoItselfReadsTheOldPixels) {
  std::mt19937 rng(3);
  for (auto [dx, dy] : {std::pair{2, 3}, {-2, -3}, {3, 0}, {-3, 0}, {0, 2}, {1, -1}}) {
    auto s = make(12, 10, 32);
    randomise(*s, rng);
    auto old = copyOf(*s);
    auto expected = copyOf(*s);
    bitBlt(*expected, 1 + dx, 2 + dy, 8, 6, *old, 1, 2);
    bitBlt(*s, 1 + dx, 2 + dy, 8, 6, *s, 1, 2);
    expectSame(*s, *expected);
  }
}

// ---- Stretching ---------------------------------------------------------------------------

TEST(StretchBlt, RulesOnSmallKnownCases) {
  auto src = make(4, 1, 32);
  for (int x = 0; x < 4; ++x) src->row32(0)[x] = 0x000010u * (x + 1);  // blue 16, 32, 48, 64
  auto dst = make(2, 1, 32);
  stretchBlt(*dst, 0, 0, 2, 1, *src, 0, 0, 4, 1);  // centres 1 and 3
  EXPECT_EQ(dst->row32(0)[0], 0x20u);
  EXPECT_EQ(dst->row32(0)[1], 0x40u);
  dst->setStretchMode(kHalftone);
  stretchBlt(*dst, 0, 0, 2, 1, *src, 0, 0, 4, 1);  // (16 + 32) / 2, (48 + 64) / 2
  EXPECT_EQ(dst->row32(0)[0], 0x18u);
  EXPECT_EQ(dst->row32(0)[1], 0x38u);
  stretchBlt(*dst, 0, 0, 2, 1, *src, 0, 0, 3, 1);  // weights 2:1 and 1:2
  EXPECT_EQ(dst->row32(0)[0], (2 * 16 + 32 + 1) / 3u);
  EXPECT_EQ(dst->row32(0)[1], (32 + 2 * 48 + 1) / 3u);
  src->row32(0)[0] = 1;
  src->row32(0)[1] = 2;
  stretchBlt(*dst, 0, 0, 1, 1, *src, 0, 0, 2, 1);  // 1.5 rounds up to 2
  EXPECT_EQ(dst->row32(0)[0], 2u);

  auto up = make(3, 1, 32);  // 2 -> 3: pure, mixed half and half, pure
  up->setStretchMode(kHalftone);
  src->row32(0)[0] = 0x000000;
  src->row32(0)[1] = 0x0000C8;
  stretchBlt(*up, 0, 0, 3, 1, *src, 0, 0, 2, 1);
  EXPECT_EQ(up->row32(0)[0], 0x00u);
  EXPECT_EQ(up->row32(0)[1], 0x64u);
  EXPECT_EQ(up->row32(0)[2], 0xC8u);
}

TEST(StretchBlt, IntegerUpscaleRepeatsTheSourceInBothModes) {
  std::mt19937 rng(5);
  auto src = make(9, 7, 32);
  randomise(*src, rng);
  for (StretchMode mode : {kColorOnColor, kHalftone}) {
    auto dst = make(27, 14, 32);
    dst->setStretchMode(mode);
    stretchBlt(*dst, 0, 0, 27, 14, *src, 0, 0, 9, 7);
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 27; ++x) ASSERT_EQ(dst->row32(y)[x], src->row32(y / 2)[x / 3]);
  }
}

TEST(StretchBlt, MirrorsOntoItselfInPlace) {
  std::mt19937 rng(9);
  for (int bits : {8, 32}) {
    auto s = make(7, 5, bits);
    randomise(*s, rng);
    auto old = copyOf(*s);
    stretchBlt(*s, 6, 0, -7, 5, *s, 0, 0, 7, 5);  // horizontal flip
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(colourAt(*s, x, y), colourAt(*old, 6 - x, y));
    stretchBlt(*s, 0, 4, 7, -5, *s, 0, 0, 7, 5);  // vertical flip
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(colourAt(*s, x, y), colourAt(*old, 6 - x, 4 - y));
  }
}

TEST(StretchBlt, MatchesTheStraightVersionOverRandomCases) {
  std::mt19937 rng(20240601);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int n = 0; n < 600; ++n) {
    const StretchMode mode = n % 2 ? kHalftone : kColorOnColor;
    auto src = make(pick(1, 24), pick(1, 24), pick(0, 3) ? 32 : 8);
    auto dst = make(pick(1, 40), pick(1, 40), pick(0, 3) ? 32 : 8);
    randomise(*src, rng);
    randomise(*dst, rng);
    dst->setStretchMode(mode);
    // Sizes up and down, either sign, origins that put parts outside either surface.
    StretchCase c{
        pick(-8, dst->width() + 2), pick(-8, dst->height() + 2), pick(1, 48), pick(1, 48),
        pick(-6, src->width() + 1), pick(-6, src->height() + 1), pick(1, 30), pick(1, 30)};
    if (pick(0, 2) == 0) c.dw = -c.dw;
    if (pick(0, 2) == 0) c.dh = -c.dh;
    if (pick(0, 2) == 0) c.sw = -c.sw;
    if (pick(0, 2) == 0) c.sh = -c.sh;
    checkAgainstReference(*dst, *src, c);
    if (HasFatalFailure()) return;
  }
}

TEST(StretchBlt, MatchesTheStraightVersionOnLargeRatiosAndSums) {
  std::mt19937 rng(77);
  auto src = make(60, 50, 32);
  randomise(*src, rng);
  auto src8 = make(60, 50, 8);
  randomise(*src8, rng);
  const StretchCase cases[] = {
      {0, 0, 6, 5, 0, 0, 60, 50},                    // tenfold down
      {0, 0, 15, 12, 0, 0, 30, 24},                  // twofold down: totals of 4
      {1, 1, 8, 8, 0, 0, 32, 32},                    // fourfold down: totals of 16
      {14, 11, -15, -12, 0, 0, 30, 24},              // twofold down, mirrored destination
      {0, 0, 10, 8, 59, 47, -60, -48},               // sixfold down, mirrored source
      {0, 0, 1, 1, 0, 0, 60, 50},                    // one pixel of 3000
      {0, 0, 7, 1, 0, 0, 300, 1},                    // totals of 300 across, 1 down
      {0, 0, 7, 7, 0, 0, 300, 300},                  // totals of 90000: one sum a channel
      {0, 0, 7, 3, 0, 0, -60, 50},                   // uneven, mirrored source
      {-5, 0, 40, 37, 59, 49, -7, -5},               // up, both mirrored, clipped
      {0, 0, 16, 16, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF},  // huge source rectangle, clipped to 60x50
      {3, 2, 0x40000000, 0x40000001, 0, 0, 0x7FFFFFFF, 0x7FFFFFFD},  // sums past 64 bits
      {0, 0, -0x7FFFFFFF - 1, 9, 0, 0, 5, 5},                        // the most negative width
  };
  for (StretchMode mode : {kColorOnColor, kHalftone})
    for (const auto& c : cases)
      for (const Surface* s : {src.get(), src8.get()})
        for (int bits : {32, 8}) {
          auto dst = make(16, 16, bits);
          randomise(*dst, rng);
          dst->setStretchMode(mode);
          checkAgainstReference(*dst, *s, c);
          if (HasFatalFailure()) return;
        }
}

}  // namespace
}  // namespace plat
