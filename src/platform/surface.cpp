// Pixel surfaces and the blits between them. These run in the playback loop, so they work on
// rows and precomputed column tables, in integers only.
//
// Stretching walks each side of a blit from its origin pixel: with a positive extent n the
// pixels are origin, origin + 1, ..., origin + n - 1; with a negative one they are origin,
// origin - 1, ..., origin + n + 1 (so x = W - 1 with width -W is the whole row backwards).
// Destination pixel i of D along an axis takes source pixels of S on that axis as follows.
//
// COLORONCOLOR: the source pixel under the centre of destination pixel i,
//   u = floor((i + 1/2) * S / D) = floor((2i + 1) * S / (2D)).
// HALFTONE: destination pixel i covers the source interval [i * S / D, (i + 1) * S / D);
//   source pixel u weighs by its overlap with it, an exact integer in units of 1/D pixel
//   (divided by gcd(S, D) to keep the sums small). The weight of a source pixel for a
//   destination pixel is the product of its two axis weights, and each channel is
//   floor(sum(w * c) / sum(w) + 1/2): the area average rounded half up. Upscaling therefore
//   gives the covering source pixel, or a weighted mix where a destination pixel straddles
//   two source pixels.
//
// Clipping: only destination pixels inside the destination surface are written, and only
// source pixels inside the source surface take part. A COLORONCOLOR pixel whose source pixel
// is outside is left alone; a HALFTONE pixel averages the covered source pixels that are
// inside (left alone if there are none).
#include "platform/surface.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numeric>
#include <optional>
#include <type_traits>
#include <vector>

namespace plat {

namespace {

// Larger surfaces are refused rather than attempted: 4 GiB of pixels.
constexpr size_t kMaxSurfaceBytes = size_t{1} << 32;

inline uint32_t entryColor(const PaletteEntry& e) {
  return uint32_t{e.red} << 16 | uint32_t{e.green} << 8 | e.blue;
}

struct ColorTable {
  uint32_t rgb[256];
  explicit ColorTable(const Palette& p) {
    for (int i = 0; i < 256; ++i) rgb[i] = entryColor(p[i]);
  }
};

// nearestPaletteIndex behind a small direct-mapped cache: pictures repeat their colours.
class NearestIndex {
 public:
  explicit NearestIndex(const Palette& p) : pal_(p), keys_(kSlots, kEmpty), values_(kSlots) {}
  uint8_t operator()(uint32_t rgb) {
    rgb &= 0xFFFFFF;
    uint32_t slot = (rgb * 0x9E3779B1u) >> (32 - kSlotBits);
    if (keys_[slot] != rgb) {
      keys_[slot] = rgb;
      values_[slot] = nearestPaletteIndex(pal_, rgb);
    }
    return values_[slot];
  }

 private:
  static constexpr int kSlotBits = 12;
  static constexpr size_t kSlots = size_t{1} << kSlotBits;
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // no 0x00RRGGBB colour
  const Palette& pal_;
  std::vector<uint32_t> keys_;
  std::vector<uint8_t> values_;
};

// Clips one axis of a block copy: destination start d, source start s, length n.
bool clipCopyAxis(int64_t& d, int64_t& s, int64_t& n, int dLimit, int sLimit) {
  if (d < 0) { s -= d; n += d; d = 0; }
  if (s < 0) { d -= s; n += s; s = 0; }
  n = std::min({n, int64_t{dLimit} - d, int64_t{sLimit} - s});
  return n > 0;
}

// ---- Stretch geometry -------------------------------------------------------------------

// One axis of a stretch: destination pixel i (0 <= i < D) is dOrigin + dStep * i, source
// pixel u (0 <= u < S) is sOrigin + sStep * u.
struct Axis {
  int64_t dOrigin, D;
  int dStep;
  int64_t sOrigin, S;
  int sStep;
  int dLimit, sLimit;

  Axis(int d, int dn, int dLim, int s, int sn, int sLim)
      : dOrigin(d), D(dn < 0 ? -int64_t{dn} : dn), dStep(dn < 0 ? -1 : 1),
        sOrigin(s), S(sn < 0 ? -int64_t{sn} : sn), sStep(sn < 0 ? -1 : 1),
        dLimit(dLim), sLimit(sLim) {}

  // The walk indices [lo, hi) whose pixel o + step * k lies in [0, limit).
  static void inside(int64_t o, int step, int64_t n, int limit, int64_t& lo, int64_t& hi) {
    if (step > 0) {
      lo = -o;
      hi = int64_t{limit} - o;
    } else {
      lo = o - limit + 1;
      hi = o + 1;
    }
    lo = std::max<int64_t>(lo, 0);
    hi = std::min<int64_t>(hi, n);
  }
  void destInside(int64_t& lo, int64_t& hi) const { inside(dOrigin, dStep, D, dLimit, lo, hi); }
  void sourceInside(int64_t& lo, int64_t& hi) const { inside(sOrigin, sStep, S, sLimit, lo, hi); }
  int destAt(int64_t i) const { return static_cast<int>(dOrigin + dStep * i); }
  int sourceAt(int64_t u) const { return static_cast<int>(sOrigin + sStep * u); }
};

// Nearest source pixel of every destination pixel along an axis that is written, in walk
// order: pairs (destination coordinate, source coordinate).
struct NearestMap {
  std::vector<int> dest, source;
};

NearestMap nearestMap(const Axis& a) {
  NearestMap m;
  int64_t lo, hi, ulo, uhi;
  a.destInside(lo, hi);
  a.sourceInside(ulo, uhi);
  if (lo >= hi || ulo >= uhi) return m;
  m.dest.reserve(hi - lo);
  m.source.reserve(hi - lo);
  const uint64_t S = a.S, twoD = 2 * static_cast<uint64_t>(a.D);
  for (int64_t i = lo; i < hi; ++i) {
    int64_t u = static_cast<int64_t>((2 * static_cast<uint64_t>(i) + 1) * S / twoD);
    if (u < ulo || u >= uhi) continue;
    m.dest.push_back(a.destAt(i));
    m.source.push_back(a.sourceAt(u));
  }
  return m;
}

// Covered source pixels of every destination pixel along an axis that is written, by
// ascending destination coordinate dest0, dest0 + 1, ... Pixel k covers the source pixels
// lowest[k], lowest[k] + 1, ... with the weights [first[k], first[k + 1]) in that order;
// total[k] is the sum of its weights.
struct AreaMap {
  int dest0 = 0;
  std::vector<int> lowest;
  std::vector<size_t> first{0};
  std::vector<uint32_t> weight;
  std::vector<uint64_t> total;
  uint64_t minTotal = UINT64_MAX, maxTotal = 0;
  bool unitWeights = true;  // every weight is 1
  size_t size() const { return lowest.size(); }
  size_t count(size_t k) const { return first[k + 1] - first[k]; }
  // The source coordinates [columnsBegin, columnsEnd) that the map reads.
  int columnsBegin() const { return *std::min_element(lowest.begin(), lowest.end()); }
  int columnsEnd() const {
    int end = 0;
    for (size_t k = 0; k < size(); ++k) end = std::max(end, lowest[k] + static_cast<int>(count(k)));
    return end;
  }
};

AreaMap areaMap(const Axis& a) {
  AreaMap m;
  int64_t lo, hi, ulo, uhi;
  a.destInside(lo, hi);
  a.sourceInside(ulo, uhi);
  if (lo >= hi || ulo >= uhi) return m;
  const int64_t S = a.S, D = a.D, g = std::gcd(S, D);
  std::vector<int> dest;
  for (int64_t i = lo; i < hi; ++i) {
    // In units of 1/D pixel: destination i covers [i * S, (i + 1) * S), source u [u * D, ...).
    const int64_t begin = i * S, end = (i + 1) * S;
    const int64_t u0 = std::max(begin / D, ulo), u1 = std::min((end - 1) / D + 1, uhi);
    if (u0 >= u1) continue;
    const size_t at = m.weight.size();
    uint64_t sum = 0;
    for (int64_t u = u0; u < u1; ++u) {
      auto w = static_cast<uint32_t>((std::min(end, (u + 1) * D) - std::max(begin, u * D)) / g);
      m.weight.push_back(w);
      m.unitWeights = m.unitWeights && w == 1;
      sum += w;
    }
    if (a.sStep < 0) std::reverse(m.weight.begin() + at, m.weight.end());
    dest.push_back(a.destAt(i));
    m.lowest.push_back(std::min(a.sourceAt(u0), a.sourceAt(u1 - 1)));
    m.first.push_back(m.weight.size());
    m.total.push_back(sum);
    m.minTotal = std::min(m.minTotal, sum);
    m.maxTotal = std::max(m.maxTotal, sum);
  }
  if (dest.empty()) return m;
  m.dest0 = std::min(dest.front(), dest.back());
  if (a.dStep < 0) {  // walked right to left: turn the map round
    AreaMap r;
    r.dest0 = m.dest0;
    r.minTotal = m.minTotal;
    r.maxTotal = m.maxTotal;
    r.unitWeights = m.unitWeights;
    for (size_t k = m.size(); k-- > 0;) {
      r.lowest.push_back(m.lowest[k]);
      r.weight.insert(r.weight.end(), m.weight.begin() + m.first[k], m.weight.begin() + m.first[k + 1]);
      r.first.push_back(r.weight.size());
      r.total.push_back(m.total[k]);
    }
    return r;
  }
  return m;
}

// Column maps are kept left to right so that rows are written in memory order.
void sortColumns(NearestMap& m) {
  if (m.dest.size() > 1 && m.dest.front() > m.dest.back()) {
    std::reverse(m.dest.begin(), m.dest.end());
    std::reverse(m.source.begin(), m.source.end());
  }
}

// ---- Source rows and destination rows in 32-bit colour ----------------------------------

// Gives rows of the source as 0x00RRGGBB words indexed by source column; 8-bit rows go
// through the palette into a scratch row (only the columns [lo, hi) that are read).
class SourceRows {
 public:
  SourceRows(const Surface& s, int lo, int hi) : src_(s), lo_(lo), hi_(hi), table_(s.palette()) {
    if (s.bits() == 8) scratch_.resize(static_cast<size_t>(s.width()));
  }
  // Whether rows are the surface's own memory (and so stay valid side by side).
  bool direct() const { return src_.bits() == 32; }
  const uint32_t* row(int y) {
    if (src_.bits() == 32) return src_.row32(y);
    const uint8_t* in = src_.row8(y);
    for (int x = lo_; x < hi_; ++x) scratch_[x] = table_.rgb[in[x]];
    return scratch_.data();
  }

 private:
  const Surface& src_;
  int lo_, hi_;
  ColorTable table_;
  std::vector<uint32_t> scratch_;
};

// ---- HALFTONE ---------------------------------------------------------------------------

// Channel sums packed in one 64-bit word, 21 bits a channel: blue, green << 21, red << 42.
// Exact while every sum stays below 2^21, i.e. a total weight of at most 8224.
struct PackedSums {
  static constexpr uint64_t kMaxTotal = ((uint64_t{1} << 21) - 1) / 255;
  uint64_t v = 0;
  static PackedSums of(uint32_t c) {
    return {(c & 0xFFu) | uint64_t{c & 0xFF00u} << 13 | uint64_t{c & 0xFF0000u} << 26};
  }
  void add(PackedSums x, uint64_t w) { v += x.v * w; }
  void add(PackedSums x) { v += x.v; }
  uint64_t blue() const { return v & 0x1FFFFF; }
  uint64_t green() const { return (v >> 21) & 0x1FFFFF; }
  uint64_t red() const { return v >> 42; }
  uint32_t word() const {  // sums that are single channel values
    return static_cast<uint32_t>(red() << 16 | green() << 8 | blue());
  }
};

// One sum a channel, for totals too big to pack.
template <class T>
struct ChannelSums {
  T b = 0, g = 0, r = 0;
  static ChannelSums of(uint32_t c) { return {c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu}; }
  void add(ChannelSums x, uint64_t w) {
    b += x.b * w;
    g += x.g * w;
    r += x.r * w;
  }
  void add(ChannelSums x) { add(x, 1); }
  T blue() const { return b; }
  T green() const { return g; }
  T red() const { return r; }
  uint32_t word() const { return static_cast<uint32_t>(r << 16 | g << 8 | b); }
};

__extension__ using Wide = unsigned __int128;

// floor(n / t + 1/2) for n <= 255 t as one multiplication and shift: with t < 2^b,
// k = 8 + 2b and m = ceil(2^k / t), floor(x * m / 2^k) = floor(x / t) for every x < 256 t.
struct Rounder {
  static constexpr uint64_t kMaxDivisor = uint64_t{1} << 23;
  uint64_t t = 1, half = 0, m = 0;
  unsigned k = 0;
  explicit Rounder(uint64_t total = 1) : t(total), half(total / 2) {
    if (t < kMaxDivisor) {
      k = 8 + 2 * static_cast<unsigned>(std::bit_width(t));
      m = ((uint64_t{1} << k) + t - 1) / t;
    }
  }
  template <class T>
  uint32_t operator()(T n) const {
    if (m) return static_cast<uint32_t>(((static_cast<uint64_t>(n) + half) * m) >> k);
    return static_cast<uint32_t>((n + half) / t);
  }
  template <class Sums>
  uint32_t average(const Sums& s) const {
    return (*this)(s.red()) << 16 | (*this)(s.green()) << 8 | (*this)(s.blue());
  }
};

// The same for packed sums whose total is 2^shift (shift <= 13): half is added to every
// channel at once and all three are shifted together; what the shift brings down from the
// channel above lands at bit 21 - shift >= 8 of the one below and is masked off.
inline uint32_t averageByShift(PackedSums s, uint64_t halves, unsigned shift) {
  const uint64_t x = (s.v + halves) >> shift;
  return static_cast<uint32_t>((x >> 26 & 0xFF0000) | (x >> 13 & 0xFF00) | (x & 0xFF));
}

// Adds up a run of pixels with red and blue sharing a 32-bit word (16 bits each) and green
// in another, two pixels a step; exact for runs of up to 257 pixels.
inline void addRun(const uint32_t* p, int count, uint32_t& rb, uint32_t& g) {
  uint64_t rb2 = 0, g2 = 0;
  int e = 0;
  for (; e + 2 <= count; e += 2) {
    uint64_t two;
    std::memcpy(&two, p + e, 8);
    rb2 += two & 0x00FF00FF00FF00FFu;
    g2 += two & 0x0000FF000000FF00u;
  }
  rb += static_cast<uint32_t>(rb2) + static_cast<uint32_t>(rb2 >> 32);
  g += static_cast<uint32_t>(g2) + static_cast<uint32_t>(g2 >> 32);
  if (e < count) {
    rb += p[e] & 0xFF00FFu;
    g += p[e] & 0xFF00u;
  }
}

inline PackedSums packRun(uint32_t rb, uint32_t g) {
  return {(rb & 0xFFFFu) | uint64_t{g} << 13 | uint64_t{rb >> 16} << 42};
}

// Area averaging, row by row of the destination. In general each covered source row is
// summed across into one value per destination column and those sums are weighed down the
// rows: as the rows stream by when downscaling, or kept for the two source rows used last
// when upscaling (neighbouring destination rows then share them). Whole boxes (an integer
// downscale both ways) are summed in one pass; a destination row with the same sources as
// the one before is copied.
template <class Sums>
class Halftone {
 public:
  Halftone(Surface& dst, const Surface& src, const AreaMap& cols, const AreaMap& rows,
           bool reuseRows)
      : dst_(dst), cols_(cols), rows_(rows), reuseRows_(reuseRows),
        reader_(src, cols.columnsBegin(), cols.columnsEnd()),
        acc_(cols.size()), out_(cols.size()), rounders_(cols.size()) {
    for (auto& slot : cache_) slot.sums.resize(cols.size());
    if (dst.bits() == 8) nearest_.emplace(dst.palette());
    findBoxes();
  }

  void run() {
    const size_t n = cols_.size();
    uint64_t roundedFor = 0;  // the row total the rounders are made for
    bool unitTotals = false;  // every pixel of the row has total weight 1
    size_t previous = SIZE_MAX;
    for (size_t j = 0; j < rows_.size(); ++j) {
      if (previous != SIZE_MAX && sameSources(previous, j)) {
        copyRow(previous, j);
        continue;
      }
      previous = j;
      if (rows_.total[j] != roundedFor) {
        roundedFor = rows_.total[j];
        unitTotals = roundedFor == 1 && cols_.maxTotal == 1;
        shift_ = -1;
        const uint64_t t = cols_.minTotal * roundedFor;
        if (std::is_same_v<Sums, PackedSums> && cols_.minTotal == cols_.maxTotal &&
            std::has_single_bit(t) && t <= (uint64_t{1} << 13)) {
          shift_ = std::countr_zero(t);
          halves_ = (t / 2) * (1 | uint64_t{1} << 21 | uint64_t{1} << 42);
        }
        for (size_t k = 0; k < n; ++k) rounders_[k] = Rounder(cols_.total[k] * roundedFor);
      }
      const size_t e0 = rows_.first[j], e1 = rows_.first[j + 1];
      const int v0 = rows_.lowest[j];
      const int y = rows_.dest0 + static_cast<int>(j);
      uint32_t* out = dst_.bits() == 32 ? dst_.row32(y) + cols_.dest0 : out_.data();
      const Rounder* rounders = rounders_.data();
      const int shift = shift_;
      auto finish = [&](size_t k, const Sums& a) -> uint32_t {
        if constexpr (std::is_same_v<Sums, PackedSums>) {
          if (shift >= 0) return averageByShift(a, halves_, shift);
        }
        return rounders[k].average(a);
      };
      if (unitTotals) {  // one source pixel of weight 1 each: its colour as it is
        const uint32_t* in = reader_.row(v0);
        const int* lowest = cols_.lowest.data();
        for (size_t k = 0; k < n; ++k) out[k] = in[lowest[k]] & 0xFFFFFF;
      } else if (fusedBox_) {
        if constexpr (std::is_same_v<Sums, PackedSums>) fusedBoxRow(v0, e1 - e0, out, finish);
      } else if (reuseRows_) {
        // Upscaling down the rows: sums across are kept and shared by destination rows.
        const Sums* h = filtered(v0);
        if (e1 - e0 == 1) {
          const uint64_t w = rows_.weight[e0];
          for (size_t k = 0; k < n; ++k) {
            Sums a;
            a.add(h[k], w);
            out[k] = finish(k, a);
          }
        } else {
          Sums* acc = acc_.data();
          const uint64_t w0 = rows_.weight[e0];
          for (size_t k = 0; k < n; ++k) {
            acc[k] = Sums{};
            acc[k].add(h[k], w0);
          }
          for (size_t e = e0 + 1; e < e1; ++e) {
            const Sums* hv = filtered(v0 + static_cast<int>(e - e0));
            const uint64_t w = rows_.weight[e];
            for (size_t k = 0; k < n; ++k) acc[k].add(hv[k], w);
          }
          for (size_t k = 0; k < n; ++k) out[k] = finish(k, acc[k]);
        }
      } else if (e1 - e0 == 1) {
        // Each source row serves at most two destination rows: sum as the rows stream by.
        const uint64_t w = rows_.weight[e0];
        sumAcross(reader_.row(v0), [&](size_t k, Sums h) {
          Sums a;
          a.add(h, w);
          out[k] = finish(k, a);
        });
      } else {
        Sums* acc = acc_.data();
        const uint64_t w0 = rows_.weight[e0];
        sumAcross(reader_.row(v0), [&](size_t k, Sums h) {
          acc[k] = Sums{};
          acc[k].add(h, w0);
        });
        for (size_t e = e0 + 1; e + 1 < e1; ++e) {
          const uint64_t w = rows_.weight[e];
          sumAcross(reader_.row(v0 + static_cast<int>(e - e0)),
                    [&](size_t k, Sums h) { acc[k].add(h, w); });
        }
        const uint64_t wl = rows_.weight[e1 - 1];
        sumAcross(reader_.row(v0 + static_cast<int>(e1 - 1 - e0)), [&](size_t k, Sums h) {
          Sums a = acc[k];
          a.add(h, wl);
          out[k] = finish(k, a);
        });
      }
      if (dst_.bits() == 8) writeRow(j);
    }
  }

 private:
  struct Slot {
    int row = -1;
    std::vector<Sums> sums;
  };

  // Whether destination rows i and j take the same source rows with the same weights.
  bool sameSources(size_t i, size_t j) const {
    const size_t a = rows_.first[i], b = rows_.first[j], n = rows_.count(i);
    return rows_.lowest[i] == rows_.lowest[j] && rows_.count(j) == n &&
           std::equal(rows_.weight.begin() + a, rows_.weight.begin() + a + n,
                      rows_.weight.begin() + b);
  }

  const Sums* filtered(int y) {
    for (int s = 0; s < 2; ++s) {
      if (cache_[s].row == y) {
        lastUsed_ = s;
        return cache_[s].sums.data();
      }
    }
    lastUsed_ = 1 - lastUsed_;
    Slot& slot = cache_[lastUsed_];
    slot.row = y;
    Sums* sums = slot.sums.data();
    sumAcross(reader_.row(y), [sums](size_t k, Sums h) { sums[k] = h; });
    return slot.sums.data();
  }

  // Sums of one source row for every destination column k, handed to visit(k, sums).
  template <class Visit>
  void sumAcross(const uint32_t* in, Visit&& visit) const {
    const size_t n = cols_.size();
    const int* lowest = cols_.lowest.data();
    const size_t* first = cols_.first.data();
    const uint32_t* weight = cols_.weight.data();
    if constexpr (std::is_same_v<Sums, PackedSums>) {
      if (boxWidth_ > 0) {
        // Whole boxes of boxWidth_ pixels side by side, every weight one.
        const uint32_t* p = in + lowest[0];
        const ptrdiff_t step = boxStep_;
        const int nb = boxWidth_;
        for (size_t k = 0; k < n; ++k, p += step) {
          uint32_t rb = 0, g = 0;
          addRun(p, nb, rb, g);
          visit(k, packRun(rb, g));
        }
        return;
      }
      if (cols_.maxTotal <= kNarrowTotal) {
        // Red and blue share a 32-bit word (16 bits each), green has its own.
        for (size_t k = 0; k < n; ++k) {
          const uint32_t* p = in + lowest[k];
          const uint32_t* w = weight + first[k];
          const size_t count = first[k + 1] - first[k];
          uint32_t rb = 0, g = 0;
          if (count == 1) {
            rb = (p[0] & 0xFF00FFu) * w[0];
            g = (p[0] & 0xFF00u) * w[0];
          } else if (cols_.unitWeights) {
            if (count == 2) {
              rb = (p[0] & 0xFF00FFu) + (p[1] & 0xFF00FFu);
              g = (p[0] & 0xFF00u) + (p[1] & 0xFF00u);
            } else {
              addRun(p, static_cast<int>(count), rb, g);
            }
          } else {
            for (size_t e = 0; e < count; ++e) {
              rb += (p[e] & 0xFF00FFu) * w[e];
              g += (p[e] & 0xFF00u) * w[e];
            }
          }
          visit(k, packRun(rb, g));
        }
        return;
      }
    }
    for (size_t k = 0; k < n; ++k) {
      const uint32_t* p = in + lowest[k];
      const uint32_t* w = weight + first[k];
      const size_t count = first[k + 1] - first[k];
      Sums s;
      for (size_t e = 0; e < count; ++e) s.add(Sums::of(p[e]), w[e]);
      visit(k, s);
    }
  }

  // An 8-bit destination row from the colours made for it.
  void writeRow(size_t j) {
    uint8_t* d = dst_.row8(rows_.dest0 + static_cast<int>(j)) + cols_.dest0;
    for (size_t k = 0; k < out_.size(); ++k) d[k] = (*nearest_)(out_[k]);
  }

  void copyRow(size_t from, size_t to) {
    const size_t bpp = dst_.bits() / 8;
    std::memcpy(dst_.row8(rows_.dest0 + static_cast<int>(to)) + cols_.dest0 * bpp,
                dst_.row8(rows_.dest0 + static_cast<int>(from)) + cols_.dest0 * bpp,
                cols_.size() * bpp);
  }

  // Boxes down and across, all in one pass over the covered rows.
  // Halving both ways, the commonest case, has its sizes fixed at compile time (0: not fixed).
  template <class Finish>
  void fusedBoxRow(int v0, size_t count, uint32_t* out, Finish& finish) {
    if (boxWidth_ == 2 && count == 2) fusedBoxRow<2, 2>(v0, 2, out, finish);
    else fusedBoxRow<0, 0>(v0, count, out, finish);
  }
  template <int kWidth, int kRows, class Finish>
  void fusedBoxRow(int v0, size_t count, uint32_t* out, Finish& finish) {
    const size_t n = cols_.size();
    const int rowsInBox = kRows ? kRows : static_cast<int>(count);
    const int nb = kWidth ? kWidth : boxWidth_;
    for (int r = 0; r < rowsInBox; ++r) boxRows_[r] = reader_.row(v0 + r);
    const uint32_t* const* rowsOf = boxRows_.data();
    const ptrdiff_t step = boxStep_;
    ptrdiff_t offset = cols_.lowest[0];
    for (size_t k = 0; k < n; ++k, offset += step) {
      uint32_t rb = 0, g = 0;
      for (int r = 0; r < rowsInBox; ++r) addRun(rowsOf[r] + offset, nb, rb, g);
      out[k] = finish(k, packRun(rb, g));
    }
  }

  // Whether the columns are whole boxes of equal width (an integer downscale across) that
  // follow each other left to right or right to left.
  void findBoxes() {
    if (!std::is_same_v<Sums, PackedSums> || !cols_.unitWeights || cols_.maxTotal > kNarrowTotal) return;
    const size_t n = cols_.size();
    const int width = static_cast<int>(cols_.count(0));
    const ptrdiff_t step = n > 1 ? ptrdiff_t{cols_.lowest[1]} - cols_.lowest[0] : width;
    if (step != width && step != -width) return;
    for (size_t k = 0; k < n; ++k) {
      if (static_cast<int>(cols_.count(k)) != width ||
          cols_.lowest[k] != cols_.lowest[0] + static_cast<ptrdiff_t>(k) * step)
        return;
    }
    boxWidth_ = width;
    boxStep_ = step;
    // Whole boxes down the rows too, from a 32-bit source, with sums that fit the words.
    fusedBox_ = !reuseRows_ && rows_.unitWeights && reader_.direct() &&
                cols_.maxTotal * rows_.maxTotal <= kNarrowTotal;
    if (fusedBox_) boxRows_.resize(rows_.maxTotal);
  }

  // Weighted sums of 255 * 257 still fit 16 bits.
  static constexpr uint64_t kNarrowTotal = 257;

  Surface& dst_;
  const AreaMap& cols_;
  const AreaMap& rows_;
  bool reuseRows_;  // source rows serve several destination rows
  SourceRows reader_;
  std::vector<Sums> acc_;
  std::vector<uint32_t> out_;
  std::vector<Rounder> rounders_;
  Slot cache_[2];
  int lastUsed_ = 0;
  int boxWidth_ = 0;     // > 0: the columns are boxes of this width, boxStep_ apart
  ptrdiff_t boxStep_ = 0;
  bool fusedBox_ = false;  // boxes down the rows as well: one pass
  std::vector<const uint32_t*> boxRows_;
  int shift_ = -1;       // >= 0: every total of the row is 2^shift_
  uint64_t halves_ = 0;  // then half of it in every channel
  std::optional<NearestIndex> nearest_;
};

void stretchHalftone(Surface& dst, const Surface& src, const Axis& ax, const Axis& ay) {
  const AreaMap cols = areaMap(ax), rows = areaMap(ay);
  if (cols.size() == 0 || rows.size() == 0) return;
  const bool reuse = ay.S < ay.D;
  // Channel sums reach 255 times the total weight, plus half of it when rounded.
  const Wide total = Wide{cols.maxTotal} * rows.maxTotal;
  if (total <= PackedSums::kMaxTotal) {
    Halftone<PackedSums>(dst, src, cols, rows, reuse).run();
  } else if (total * 256 < (Wide{1} << 64)) {
    Halftone<ChannelSums<uint64_t>>(dst, src, cols, rows, reuse).run();
  } else {
    Halftone<ChannelSums<Wide>>(dst, src, cols, rows, reuse).run();
  }
}

// ---- COLORONCOLOR -----------------------------------------------------------------------

void stretchNearest(Surface& dst, const Surface& src, const Axis& ax, const Axis& ay) {
  NearestMap cols = nearestMap(ax);
  const NearestMap rows = nearestMap(ay);
  if (cols.dest.empty() || rows.dest.empty()) return;
  sortColumns(cols);
  const size_t n = cols.dest.size();
  const int x0 = cols.dest.front();
  const int* sx = cols.source.data();
  const size_t bpp = dst.bits() / 8;
  ColorTable table(src.palette());
  std::optional<NearestIndex> nearest;
  if (dst.bits() == 8 && src.bits() == 32) nearest.emplace(dst.palette());

  int previousDest = -1, previousSource = -1;
  for (size_t j = 0; j < rows.dest.size(); ++j) {
    const int y = rows.dest[j], v = rows.source[j];
    if (v == previousSource) {  // a repeated source row: the same destination row again
      std::memcpy(dst.row8(y) + x0 * bpp, dst.row8(previousDest) + x0 * bpp, n * bpp);
      previousDest = y;
      continue;
    }
    previousDest = y;
    previousSource = v;
    if (dst.bits() == 32) {
      uint32_t* d = dst.row32(y) + x0;
      if (src.bits() == 32) {
        const uint32_t* s = src.row32(v);
        for (size_t k = 0; k < n; ++k) d[k] = s[sx[k]];
      } else {
        const uint8_t* s = src.row8(v);
        for (size_t k = 0; k < n; ++k) d[k] = table.rgb[s[sx[k]]];
      }
    } else {
      uint8_t* d = dst.row8(y) + x0;
      if (src.bits() == 8) {
        const uint8_t* s = src.row8(v);
        for (size_t k = 0; k < n; ++k) d[k] = s[sx[k]];
      } else {
        const uint32_t* s = src.row32(v);
        for (size_t k = 0; k < n; ++k) d[k] = (*nearest)(s[sx[k]]);
      }
    }
  }
}

// A copy of a surface, for blits of a surface onto itself.
std::unique_ptr<Surface> duplicate(const Surface& s) {
  auto copy = Surface::create(s.width(), s.height(), s.bits());
  if (!copy) return nullptr;
  std::memcpy(copy->data(), s.data(), s.byteSize());
  copy->palette() = s.palette();
  return copy;
}

// Clips a rectangle to a surface; false when nothing is left.
bool clipRect(const Surface& s, const Rect& r, int& x0, int& y0, int& x1, int& y1) {
  x0 = std::clamp(r.left, 0, s.width());
  x1 = std::clamp(r.right, 0, s.width());
  y0 = std::clamp(r.top, 0, s.height());
  y1 = std::clamp(r.bottom, 0, s.height());
  return x0 < x1 && y0 < y1;
}

}  // namespace

// ---- Surfaces ---------------------------------------------------------------------------

Palette greyPalette() {
  Palette p;
  for (int i = 0; i < 256; ++i) {
    auto v = static_cast<uint8_t>(i);
    p[i] = {v, v, v, 0};
  }
  return p;
}

Surface::Surface(int width, int height, int bits, size_t stride, uint8_t* data)
    : width_(width), height_(height), bits_(bits), stride_(stride), data_(data),
      palette_(greyPalette()) {}

Surface::~Surface() { std::free(data_); }

MadeSurface Surface::create(int width, int height, int bits) {
  if (bits != 8 && bits != 32) return MadeSurface::failed(SurfaceError::BadDepth);
  if (width <= 0 || height <= 0) return MadeSurface::failed(SurfaceError::BadSize);
  const size_t w = static_cast<size_t>(width);
  const size_t stride = bits == 32 ? w * 4 : (w + 3) & ~size_t{3};
  if (stride > kMaxSurfaceBytes / static_cast<size_t>(height))
    return MadeSurface::failed(SurfaceError::TooLarge);
  auto* data = static_cast<uint8_t*>(std::calloc(stride * static_cast<size_t>(height), 1));
  if (!data) return MadeSurface::failed(SurfaceError::NoMemory);
  auto* s = new (std::nothrow) Surface(width, height, bits, stride, data);
  if (!s) {
    std::free(data);
    return MadeSurface::failed(SurfaceError::NoMemory);
  }
  return MadeSurface{std::unique_ptr<Surface>(s), SurfaceError::None};
}

uint8_t nearestPaletteIndex(const Palette& pal, uint32_t rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  int best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < 256; ++i) {
    const int dr = r - pal[i].red, dg = g - pal[i].green, db = b - pal[i].blue;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {  // the first of equally near entries wins
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

// ---- Blits ------------------------------------------------------------------------------

void bitBlt(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy) {
  int64_t x = dx, y = dy, u = sx, v = sy, cw = w, ch = h;
  if (!clipCopyAxis(x, u, cw, dst.width(), src.width())) return;
  if (!clipCopyAxis(y, v, ch, dst.height(), src.height())) return;
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const int u0 = static_cast<int>(u), v0 = static_cast<int>(v);
  const int n = static_cast<int>(cw), rows = static_cast<int>(ch);

  if (dst.bits() == src.bits()) {
    // Rows may overlap when a surface is copied onto itself: memmove within a row, and rows
    // bottom-up when moving down.
    const size_t bpp = dst.bits() / 8;
    const bool upward = &dst == &src && y0 > v0;
    for (int k = 0; k < rows; ++k) {
      const int r = upward ? rows - 1 - k : k;
      std::memmove(dst.row8(y0 + r) + x0 * bpp, src.row8(v0 + r) + u0 * bpp, n * bpp);
    }
  } else if (dst.bits() == 32) {
    const ColorTable table(src.palette());
    for (int r = 0; r < rows; ++r) {
      const uint8_t* s = src.row8(v0 + r) + u0;
      uint32_t* d = dst.row32(y0 + r) + x0;
      for (int k = 0; k < n; ++k) d[k] = table.rgb[s[k]];
    }
  } else {
    NearestIndex nearest(dst.palette());
    for (int r = 0; r < rows; ++r) {
      const uint32_t* s = src.row32(v0 + r) + u0;
      uint8_t* d = dst.row8(y0 + r) + x0;
      for (int k = 0; k < n; ++k) d[k] = nearest(s[k]);
    }
  }
}

void stretchBlt(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                int sw, int sh) {
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
  if (&dst == &src) {
    // Onto itself (a mirror in place, for instance): read from a copy.
    auto copy = duplicate(src);
    if (copy) stretchBlt(dst, dx, dy, dw, dh, *copy, sx, sy, sw, sh);
    return;
  }
  const Axis ax(dx, dw, dst.width(), sx, sw, src.width());
  const Axis ay(dy, dh, dst.height(), sy, sh, src.height());
  if (dst.stretchMode() == kHalftone) {
    stretchHalftone(dst, src, ax, ay);
  } else {
    stretchNearest(dst, src, ax, ay);
  }
}

void fillRect(Surface& dst, const Rect& r, uint32_t rgb) {
  if (dst.bits() == 8) {
    fillRectIndex(dst, r, nearestPaletteIndex(dst.palette(), rgb));
    return;
  }
  int x0, y0, x1, y1;
  if (!clipRect(dst, r, x0, y0, x1, y1)) return;
  const uint32_t word = rgb & 0xFFFFFF;
  for (int y = y0; y < y1; ++y) std::fill(dst.row32(y) + x0, dst.row32(y) + x1, word);
}

void fillRectIndex(Surface& dst, const Rect& r, uint8_t index) {
  if (dst.bits() == 32) {
    // A 32-bit surface takes the colour its palette gives the index.
    fillRect(dst, r, entryColor(dst.palette()[index]));
    return;
  }
  int x0, y0, x1, y1;
  if (!clipRect(dst, r, x0, y0, x1, y1)) return;
  for (int y = y0; y < y1; ++y) std::memset(dst.row8(y) + x0, index, x1 - x0);
}

void invertRect(Surface& dst, const Rect& r) {
  int x0, y0, x1, y1;
  if (!clipRect(dst, r, x0, y0, x1, y1)) return;
  for (int y = y0; y < y1; ++y) {
    if (dst.bits() == 32) {
      uint32_t* d = dst.row32(y);
      for (int x = x0; x < x1; ++x) d[x] ^= 0xFFFFFFu;
    } else {
      uint8_t* d = dst.row8(y);
      for (int x = x0; x < x1; ++x) d[x] = static_cast<uint8_t>(~d[x]);
    }
  }
}

}  // namespace plat
