#include "compose/work_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
    if (x == 0 || source_[static_cast<size_t>(x)] != source_[static_cast<size_t>(x - 1)])
      runStart_.push_back(x);
  }
  runStart_.push_back(columns);
  // Runs shorter than eight on the whole are read pixel by pixel; no need to keep them.
  if (8 * (static_cast<int64_t>(runStart_.size()) - 1) > columns) runStart_ = {};
}

namespace {

typedef uint32_t Words8 __attribute__((vector_size(32)));

// Fills out[b, e) with `value`, eight words at a time; writes up to seven words past e.
inline void fillRun(uint32_t* out, int64_t b, int64_t e, uint32_t value) {
  const Words8 v = {value, value, value, value, value, value, value, value};
  for (int64_t i = b; i < e; i += 8) std::memcpy(out + i, &v, sizeof v);
}

}  // namespace

void ResampledViews::readRow(const uint32_t* row, int64_t count, uint32_t* out) const {
  if (!allInside_) {
    for (int64_t x = 0; x < count; ++x) out[x] = at(row, x);
    return;
  }
  // The usual case, every column inside the views: no test per pixel.
  const int32_t* source = source_.data();
  int64_t x = 0;
  // Views narrower than their bands repeat each pixel over a run: filled a run at a
  // time; what a fill writes past its run, the runs after it write again.
  const int64_t runs = static_cast<int64_t>(runStart_.size()) - 1;
  if (runs > 0 && count == static_cast<int64_t>(width_)) {
    for (int64_t k = 0; k < runs && runStart_[k + 1] + 8 <= count; ++k) {
      fillRun(out, runStart_[k], runStart_[k + 1], row[source[runStart_[k]]]);
      x = runStart_[k + 1];
    }
  }
  for (; x < count; ++x) out[x] = row[source[x]];
}

const uint32_t* ResampledViews::row(int64_t y) const {
  if (y < 0 || y >= height_) return nullptr;
  return rowOf(multiView_, truncToInt64(std::trunc(static_cast<double>(y) * sy_)));
}

}  // namespace compose
