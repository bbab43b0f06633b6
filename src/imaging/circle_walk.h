// The stepping of a circle over one octant, shared by outlines and discs.
#pragma once

#include <cstdint>

namespace imaging {

// Steps i from 0 along one octant of the circle of radius r, k falling from r as the
// error term runs out; calls round(i, k, kSteps) once per round, kSteps telling whether
// k falls by one after this round. The stepping stops past 5r/7 (just beyond the
// diagonal) or once i passes k.
template <typename Round>
void walkCircle(int64_t r, Round round) {
  const int64_t lim = 5 * r / 7;
  int64_t i = 0, k = r, e = r;
  for (;;) {
    e -= 2 * i + 1;
    const bool kSteps = e <= 0;
    round(i, k, kSteps);
    if (kSteps) {
      e += 2 * k - 2;
      --k;
    }
    ++i;
    if (i > lim || i > k) return;
  }
}

// The rows of the disc of radius r around row cy, each once, with the half-width of its
// span (the outline's leftmost and rightmost pixel on that row): span(y, half). A disc
// of radius 0 gives its centre row twice.
template <typename Span>
void walkDiscRows(int64_t cy, int64_t r, Span span) {
  if (r < 0) return;  // the rows cy - r .. cy + r: none
  int64_t lastI = 0, lastK = 0;
  bool lastStepped = false;
  walkCircle(r, [&](int64_t i, int64_t k, bool kSteps) {
    if (i < k) {
      span(cy + i, k);
      if (i != 0) span(cy - i, k);
    }
    if (kSteps) {  // the rows at this k get no wider
      span(cy + k, i);
      span(cy - k, i);
    }
    lastI = i;
    lastK = k;
    lastStepped = kSteps;
  });
  if (!lastStepped) {
    span(cy + lastK, lastI);
    span(cy - lastK, lastI);
  }
}

}  // namespace imaging
