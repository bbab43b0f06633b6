// Where the pixels of a stretch come from, one axis at a time. Internal to the platform.
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
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

// One axis of a stretch: destination pixel i (0 <= i < D) is dOrigin + dStep * i, source
// pixel u (0 <= u < S) is sOrigin + sStep * u.
struct Axis {
  int64_t dOrigin, D;
  int dStep;
  int64_t sOrigin, S;
  int sStep;
  int dLimit, sLimit;

  Axis(int d, int dn, int dLim, int s, int sn, int sLim)
      : dOrigin(d),
        D(dn < 0 ? -int64_t{dn} : dn),
        dStep(dn < 0 ? -1 : 1),
        sOrigin(s),
        S(sn < 0 ? -int64_t{sn} : sn),
        sStep(sn < 0 ? -1 : 1),
        dLimit(dLim),
        sLimit(sLim) {}

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
NearestMap nearestMap(const Axis& a);
// Column maps are kept left to right so that rows are written in memory order.
void sortColumns(NearestMap& m);

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
AreaMap areaMap(const Axis& a);

}  // namespace plat
