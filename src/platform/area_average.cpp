// Area averaging in integers: channel sums weighed by exact overlaps, rounded half up.
#include "platform/area_average.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <type_traits>
#include <vector>

#include "platform/palette_lookup.h"

namespace plat {

namespace {

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
// rows: as the rows stream by when downscaling (sumOneStreamedRow, sumStreamedRows), or kept
// for the two source rows used last when upscaling (sumKeptRows: neighbouring destination
// rows then share them). Whole boxes (an integer downscale both ways) are summed in one pass
// (fusedBoxRow); pixels that each take one source pixel whole copy it (copyCoveringPixels);
// a destination row with the same sources as the one before is copied.
template <class Sums>
class Halftone {
 public:
  Halftone(Surface& dst, const Surface& src, const AreaMap& cols, const AreaMap& rows,
           bool reuseRows)
      : dst_(dst),
        cols_(cols),
        rows_(rows),
        reuseRows_(reuseRows),
        reader_(src, cols.columnsBegin(), cols.columnsEnd()),
        acc_(cols.size()),
        out_(cols.size()),
        rounders_(cols.size()) {
    for (auto& slot : cache_) slot.sums.resize(cols.size());
    if (dst.bits() == 8) nearest_.emplace(dst.palette());
    findBoxes();
  }

  void run() {
    size_t previous = SIZE_MAX;
    for (size_t j = 0; j < rows_.size(); ++j) {
      if (previous != SIZE_MAX && sameSources(previous, j)) {
        copyRow(previous, j);
        continue;
      }
      previous = j;
      if (rows_.total[j] != roundedFor_) prepareRounding(rows_.total[j]);
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
      if (unitTotals_) {
        copyCoveringPixels(j, out);
      } else if (fusedBox_) {
        if constexpr (std::is_same_v<Sums, PackedSums>)
          fusedBoxRow(rows_.lowest[j], rows_.count(j), out, finish);
      } else if (reuseRows_) {
        sumKeptRows(j, out, finish);
      } else if (rows_.count(j) == 1) {
        sumOneStreamedRow(j, out, finish);
      } else {
        sumStreamedRows(j, out, finish);
      }
      if (dst_.bits() == 8) writeRow(j);
    }
  }

 private:
  // Rounders for a destination row whose source rows weigh rowTotal in all.
  void prepareRounding(uint64_t rowTotal) {
    roundedFor_ = rowTotal;
    unitTotals_ = rowTotal == 1 && cols_.maxTotal == 1;
    shift_ = -1;
    const uint64_t t = cols_.minTotal * rowTotal;
    if (std::is_same_v<Sums, PackedSums> && cols_.minTotal == cols_.maxTotal &&
        std::has_single_bit(t) && t <= (uint64_t{1} << 13)) {
      shift_ = std::countr_zero(t);
      halves_ = (t / 2) * (1 | uint64_t{1} << 21 | uint64_t{1} << 42);
    }
    for (size_t k = 0; k < cols_.size(); ++k) rounders_[k] = Rounder(cols_.total[k] * rowTotal);
  }

  // One source pixel of weight 1 for every destination pixel: its colour as it is.
  void copyCoveringPixels(size_t j, uint32_t* out) {
    const uint32_t* in = reader_.row(rows_.lowest[j]);
    const int* lowest = cols_.lowest.data();
    for (size_t k = 0; k < cols_.size(); ++k) out[k] = in[lowest[k]] & 0xFFFFFF;
  }

  // Upscaling down the rows: sums across are kept and shared by destination rows.
  template <class Finish>
  void sumKeptRows(size_t j, uint32_t* out, Finish& finish) {
    const size_t n = cols_.size();
    const size_t e0 = rows_.first[j], e1 = rows_.first[j + 1];
    const int v0 = rows_.lowest[j];
    const Sums* h = filtered(v0);
    if (e1 - e0 == 1) {
      const uint64_t w = rows_.weight[e0];
      for (size_t k = 0; k < n; ++k) {
        Sums a;
        a.add(h[k], w);
        out[k] = finish(k, a);
      }
      return;
    }
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

  // One source row for the destination row: it serves at most two destination rows, so it
  // is summed as the rows stream by.
  template <class Finish>
  void sumOneStreamedRow(size_t j, uint32_t* out, Finish& finish) {
    const uint64_t w = rows_.weight[rows_.first[j]];
    sumAcross(reader_.row(rows_.lowest[j]), [&](size_t k, Sums h) {
      Sums a;
      a.add(h, w);
      out[k] = finish(k, a);
    });
  }

  // Downscaling down the rows: the covered source rows are summed as they stream by.
  template <class Finish>
  void sumStreamedRows(size_t j, uint32_t* out, Finish& finish) {
    const size_t e0 = rows_.first[j], e1 = rows_.first[j + 1];
    const int v0 = rows_.lowest[j];
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
    if (boxWidth_ == 2 && count == 2)
      fusedBoxRow<2, 2>(v0, 2, out, finish);
    else
      fusedBoxRow<0, 0>(v0, count, out, finish);
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
    if (!std::is_same_v<Sums, PackedSums> || !cols_.unitWeights || cols_.maxTotal > kNarrowTotal)
      return;
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
  int boxWidth_ = 0;  // > 0: the columns are boxes of this width, boxStep_ apart
  ptrdiff_t boxStep_ = 0;
  bool fusedBox_ = false;  // boxes down the rows as well: one pass
  std::vector<const uint32_t*> boxRows_;
  uint64_t roundedFor_ = 0;  // the row total the rounders are made for
  bool unitTotals_ = false;  // every pixel of the row has total weight 1
  int shift_ = -1;           // >= 0: every total of the row is 2^shift_
  uint64_t halves_ = 0;      // then half of it in every channel
  std::optional<NearestIndex> nearest_;
};

}  // namespace

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
}  // namespace plat
