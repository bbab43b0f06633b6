// How the compositions read the work image: from its own pixels, or from the
// multi-view picture through the resampling index. The work image is nothing but that
// resampling, so reading through the index gives the same pixels without the work
// image (3 W V x H, 5 GB at V 180, W 1920, H 1240) ever having to exist.
#pragma once

#include <cstdint>
#include <vector>

#include "compose/compose_pixels.h"

namespace compose {

// The work image's own pixels; black outside it.
class WorkPixels {
 public:
  explicit WorkPixels(ConstPixelBuffer work);
  int64_t width() const { return static_cast<int64_t>(width_); }
  // Row y, or null (a black row) outside the picture.
  const uint32_t* row(int64_t y) const;
  uint32_t at(const uint32_t* row, int64_t x) const {
    return static_cast<uint64_t>(x) < width_ ? row[x] : 0;
  }

 private:
  ConstPixelBuffer work_;
  uint64_t width_ = 0;
};

// The work image that the resampling would make, read from the views: work pixel
// (x, y) is multi-view pixel (trunc(x sx), trunc(y sy)), black where either falls
// outside, over a work image 3 W bands wide and H tall.
class ResampledViews {
 public:
  explicit ResampledViews(const WorkResampling& r);
  int64_t width() const { return static_cast<int64_t>(width_); }
  const uint32_t* row(int64_t y) const;
  uint32_t at(const uint32_t* row, int64_t x) const {
    if (static_cast<uint64_t>(x) >= width_) return 0;
    const int32_t s = source_[static_cast<size_t>(x)];
    return s >= 0 ? row[s] : 0;
  }
  // Work pixels [0, count) of a row, count at most width(): at() for each.
  void readRow(const uint32_t* row, int64_t count, uint32_t* out) const;

 private:
  ConstPixelBuffer multiView_;
  double sy_ = 0;
  int64_t height_ = 0;
  uint64_t width_ = 0;
  std::vector<int32_t> source_;  // multi-view column of each work column, -1 outside
  bool allInside_ = true;        // no -1 in source_
  // Where each run of equal entries of source_ starts, and one past the last run.
  std::vector<int64_t> runStart_;
};

}  // namespace compose
