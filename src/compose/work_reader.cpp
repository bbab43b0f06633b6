#include "compose/work_reader.h"

#include <algorithm>
#include <cmath>

namespace compose {

namespace {

const uint32_t* rowOf(ConstPixelBuffer b, int64_t y) {
  if (!b.pixels || y < 0 || y >= b.height) return nullptr;
  return b.pixels + static_cast<size_t>(y) * static_cast<size_t>(b.width);
}

}  // namespace

WorkPixels::WorkPixels(ConstPixelBuffer work)
    : work_(work), width_(static_cast<uint64_t>(std::max(0, work.width))) {}

const uint32_t* WorkPixels::row(int64_t y) const {
  return rowOf(work_, y);
}

// sx and sy are worked out exactly as the resampling does, so that every index
// lands on the pixel the work image would hold.
ResampledViews::ResampledViews(const WorkResampling& r) : multiView_(r.multiView) {
  if (r.bands < 1 || r.W <= 0 || r.H <= 0) return;
  const double sx = static_cast<double>(r.viewWidth) / (3.0 * r.W);
  sy_ = static_cast<double>(r.viewHeight) / static_cast<double>(r.H);
  height_ = r.H;
  const int64_t columns = 3 * static_cast<int64_t>(r.W) * r.bands;
  width_ = static_cast<uint64_t>(columns);
  source_.resize(static_cast<size_t>(columns));
  for (int64_t x = 0; x < columns; ++x) {
    const int64_t s = truncToInt64(std::trunc(static_cast<double>(x) * sx));
    const bool inside = s >= 0 && s < r.multiView.width;
    source_[static_cast<size_t>(x)] = inside ? static_cast<int32_t>(s) : -1;
    allInside_ = allInside_ && inside;
  }
}

void ResampledViews::readRow(const uint32_t* row, int64_t count, uint32_t* out) const {
  if (!allInside_) {
    for (int64_t x = 0; x < count; ++x) out[x] = at(row, x);
    return;
  }
  // The usual case, every column inside the views: no test per pixel.
  const int32_t* source = source_.data();
  for (int64_t x = 0; x < count; ++x) out[x] = row[source[x]];
}

const uint32_t* ResampledViews::row(int64_t y) const {
  if (y < 0 || y >= height_) return nullptr;
  return rowOf(multiView_, truncToInt64(std::trunc(static_cast<double>(y) * sy_)));
}

}  // namespace compose
