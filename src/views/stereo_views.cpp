#include "views/stereo_views.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "compose/row_split.h"
#include "views/row_warp.h"

namespace views {

namespace {

constexpr float kInvalid = std::numeric_limits<float>::quiet_NaN();
// A disparity the other eye does not confirm within this many pixels is dropped.
constexpr float kConsistency = 1.0f;
// Matching window, pixels.
constexpr int kBlock = 5;
// The edge-aware fill: how far it reaches (pixels) and how much a colour step (the sum
// of the three channels' differences, 0..765) stops it.
constexpr float kReach = 24.0f;
constexpr float kColourStep = 24.0f;
// How much a disparity filled in from the background counts beside one that was found.
constexpr float kFilledWeight = 0.05f;
constexpr int kFilterPasses = 3;
// Wider pictures are matched at a whole fraction of their size, at most this wide: the
// matcher's time grows with the width times the range searched. The edge-aware filter
// then runs at the full size, along the full picture's edges.
constexpr int kMatchWidth = 1280;
// Two eyes' depths for one target closer than this (in pixels of disparity) are one
// surface, blended; farther apart, the nearer wins.
constexpr float kSameSurface = 2.0f;

// The words 0x00RRGGBB are the bytes B, G, R, 0: OpenCV's BGRA, without a copy.
cv::Mat bgrOf(compose::ConstPixelBuffer p) {
  const cv::Mat bgra(p.height, p.width, CV_8UC4, const_cast<uint32_t*>(p.pixels));
  cv::Mat bgr;
  cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
  return bgr;
}

// The disparity of each pixel of `a` against `b` (d = xa - xb), NaN where the matcher
// found none. The pictures are widened by the search range, so that edge columns are
// searched too.
std::vector<float> match(const cv::Mat& a, const cv::Mat& b, int minDisparity, int count) {
  const int maxDisparity = minDisparity + count - 1;
  const int padLeft = std::max(0, maxDisparity), padRight = std::max(0, -minDisparity);
  cv::Mat wideA, wideB, disparity;
  cv::copyMakeBorder(a, wideA, 0, 0, padLeft, padRight, cv::BORDER_REPLICATE);
  cv::copyMakeBorder(b, wideB, 0, 0, padLeft, padRight, cv::BORDER_REPLICATE);
  const int area = kBlock * kBlock * a.channels();
  cv::Ptr<cv::StereoSGBM> sgbm =
      cv::StereoSGBM::create(minDisparity, count, kBlock, 8 * area, 32 * area, -1, 31, 10, 100, 2,
                             cv::StereoSGBM::MODE_SGBM_3WAY);
  sgbm->compute(wideA, wideB, disparity);  // CV_16S, sixteenths of a pixel
  std::vector<float> d(static_cast<size_t>(a.cols) * a.rows);
  for (int y = 0; y < a.rows; ++y) {
    const int16_t* row = disparity.ptr<int16_t>(y) + padLeft;
    for (int x = 0; x < a.cols; ++x) {
      d[static_cast<size_t>(y) * a.cols + x] =
          row[x] < minDisparity * 16 ? kInvalid : static_cast<float>(row[x]) / 16.0f;
    }
  }
  return d;
}

std::vector<float> mirrored(const std::vector<float>& d, int w, int h) {
  std::vector<float> m(d.size());
  for (int y = 0; y < h; ++y) {
    std::reverse_copy(d.begin() + int64_t{y} * w, d.begin() + int64_t{y + 1} * w,
                      m.begin() + int64_t{y} * w);
  }
  return m;
}

// Drops the disparities of `mine` that the other eye's do not confirm: the point seen at
// x lies at x - sign d in the other picture, which must see it with the same disparity.
std::vector<uint8_t> confirmed(const std::vector<float>& mine, const std::vector<float>& other,
                               int w, int h, float sign) {
  std::vector<uint8_t> ok(mine.size(), 0);
  for (int y = 0; y < h; ++y) {
    const float* m = mine.data() + int64_t{y} * w;
    const float* o = other.data() + int64_t{y} * w;
    for (int x = 0; x < w; ++x) {
      if (std::isnan(m[x])) continue;
      const long t = std::lround(x - sign * m[x]);
      if (t < 0 || t >= w || std::isnan(o[t])) continue;
      ok[int64_t{y} * w + x] = std::fabs(o[t] - m[x]) <= kConsistency;
    }
  }
  return ok;
}

// Every run of unconfirmed pixels in a row takes the farther (smaller) of the disparities
// at its ends: what one eye sees and the other does not is mostly background uncovered
// beside a nearer edge. A row without any takes the picture's farthest.
void fillFromBackground(std::vector<float>& d, const std::vector<uint8_t>& ok, int w, int h) {
  float farthest = std::numeric_limits<float>::infinity();
  for (size_t i = 0; i < d.size(); ++i) {
    if (ok[i]) farthest = std::min(farthest, d[i]);
  }
  if (!std::isfinite(farthest)) farthest = 0;
  for (int y = 0; y < h; ++y) {
    float* row = d.data() + int64_t{y} * w;
    const uint8_t* good = ok.data() + int64_t{y} * w;
    for (int x = 0; x < w;) {
      if (good[x]) {
        ++x;
        continue;
      }
      int end = x;
      while (end < w && !good[end]) ++end;
      const float before = x > 0 ? row[x - 1] : std::numeric_limits<float>::infinity();
      const float after = end < w ? row[end] : std::numeric_limits<float>::infinity();
      const float fill =
          std::isfinite(std::min(before, after)) ? std::min(before, after) : farthest;
      std::fill(row + x, row + end, fill);
      x = end;
    }
  }
}

// Smooths the disparities along the picture's colours and not across its edges (a
// recursive filter over the picture's own distances, rows then columns, passes of
// shrinking reach), each weighted by how sure it is: found ones count fully, filled
// ones little, so that a gap takes the disparities of its own surface.
void filterAlongEdges(std::vector<float>& d, const std::vector<uint8_t>& ok, const cv::Mat& bgr,
                      int w, int h) {
  const size_t n = d.size();
  std::vector<float> across(n, 1.0f), down(n, 1.0f);  // distances to the left / upper pixel
  const float perStep = kReach / kColourStep;
  for (int y = 0; y < h; ++y) {
    const uint8_t* p = bgr.ptr<uint8_t>(y);
    const uint8_t* up = y > 0 ? bgr.ptr<uint8_t>(y - 1) : p;
    for (int x = 0; x < w; ++x) {
      const uint8_t* c = p + 3 * x;
      const uint8_t* l = x > 0 ? c - 3 : c;
      const uint8_t* u = up + 3 * x;
      const int dl = std::abs(c[0] - l[0]) + std::abs(c[1] - l[1]) + std::abs(c[2] - l[2]);
      const int du = std::abs(c[0] - u[0]) + std::abs(c[1] - u[1]) + std::abs(c[2] - u[2]);
      across[int64_t{y} * w + x] = 1.0f + perStep * static_cast<float>(dl);
      down[int64_t{y} * w + x] = 1.0f + perStep * static_cast<float>(du);
    }
  }
  std::vector<float> weight(n), sum(n), feedAcross(n), feedDown(n);
  for (size_t i = 0; i < n; ++i) {
    weight[i] = ok[i] ? 1.0f : kFilledWeight;
    sum[i] = weight[i] * d[i];
  }
  for (int pass = 0; pass < kFilterPasses; ++pass) {
    const double reach = kReach * std::sqrt(3.0) * std::pow(2.0, kFilterPasses - pass - 1) /
                         std::sqrt(std::pow(4.0, kFilterPasses) - 1);
    const float logFeed = static_cast<float>(-std::sqrt(2.0) / reach);
    for (size_t i = 0; i < n; ++i) {
      feedAcross[i] = std::exp(logFeed * across[i]);
      feedDown[i] = std::exp(logFeed * down[i]);
    }
    compose::splitRows(h, int64_t{w} * 8, [&](int64_t begin, int64_t end) {
      for (int64_t y = begin; y < end; ++y) {
        for (float* v : {weight.data() + y * w, sum.data() + y * w}) {
          const float* f = feedAcross.data() + y * w;
          for (int x = 1; x < w; ++x) v[x] += f[x] * (v[x - 1] - v[x]);
          for (int x = w - 2; x >= 0; --x) v[x] += f[x + 1] * (v[x + 1] - v[x]);
        }
      }
    });
    compose::splitRows(w, int64_t{h} * 8, [&](int64_t begin, int64_t end) {
      for (float* v : {weight.data(), sum.data()}) {
        for (int y = 1; y < h; ++y) {
          const float* f = feedDown.data() + int64_t{y} * w;
          float* row = v + int64_t{y} * w;
          const float* above = row - w;
          for (int64_t x = begin; x < end; ++x) row[x] += f[x] * (above[x] - row[x]);
        }
        for (int y = h - 2; y >= 0; --y) {
          const float* f = feedDown.data() + int64_t{y + 1} * w;
          float* row = v + int64_t{y} * w;
          const float* below = row + w;
          for (int64_t x = begin; x < end; ++x) row[x] += f[x] * (below[x] - row[x]);
        }
      }
    });
  }
  for (size_t i = 0; i < n; ++i) d[i] = sum[i] / weight[i];
}

uint32_t mix(uint32_t a, uint32_t b, float wb) {
  const float wa = 1.0f - wb;
  auto channel = [&](int shift) {
    const float v =
        wa * static_cast<float>(a >> shift & 0xFF) + wb * static_cast<float>(b >> shift & 0xFF);
    return static_cast<uint32_t>(v + 0.5f) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

}  // namespace

DisparityMaps disparityOfPair(compose::ConstPixelBuffer left, compose::ConstPixelBuffer right,
                              int range) {
  const int w = left.width, h = left.height;
  if (w != right.width || h != right.height || w < 1 || h < 1) return {};
  if (w < 2) {  // one column: nothing to match (and the matcher refuses it)
    const std::vector<float> none(static_cast<size_t>(h), 0.0f);
    return {none, none, w, h};
  }
  if (range <= 0) range = std::max(32, w / 8);
  const int scale = (w + kMatchWidth - 1) / kMatchWidth;
  const int count = (range / scale + 15) / 16 * 16;  // the matcher searches in sixteens
  const int minDisparity = -count / 2;
  try {
    const cv::Mat l = bgrOf(left), r = bgrOf(right);
    cv::Mat ls = l, rs = r;
    const int sw = std::max(1, w / scale), sh = std::max(1, h / scale);
    if (scale > 1) {
      cv::resize(l, ls, cv::Size(sw, sh), 0, 0, cv::INTER_AREA);
      cv::resize(r, rs, cv::Size(sw, sh), 0, 0, cv::INTER_AREA);
    }
    cv::Mat lMirror, rMirror;
    cv::flip(ls, lMirror, 1);
    cv::flip(rs, rMirror, 1);
    std::vector<float> eyes[2];
    eyes[0] = match(ls, rs, minDisparity, count);
    // The right eye's, matched in mirror: there the right picture is the left one, and
    // the disparities keep their sign.
    eyes[1] = mirrored(match(rMirror, lMirror, minDisparity, count), sw, sh);
    std::vector<uint8_t> ok[2] = {confirmed(eyes[0], eyes[1], sw, sh, 1.0f),
                                  confirmed(eyes[1], eyes[0], sw, sh, -1.0f)};
    for (int eye = 0; eye < 2; ++eye) {
      fillFromBackground(eyes[eye], ok[eye], sw, sh);
      if (scale > 1) {  // back to the full size, in its pixels
        cv::Mat d(sh, sw, CV_32F, eyes[eye].data()), m(sh, sw, CV_8U, ok[eye].data()), dFull, mFull;
        cv::resize(d, dFull, cv::Size(w, h), 0, 0, cv::INTER_LINEAR);
        cv::resize(m, mFull, cv::Size(w, h), 0, 0, cv::INTER_NEAREST);
        dFull *= static_cast<double>(w) / sw;
        eyes[eye].assign(dFull.ptr<float>(0), dFull.ptr<float>(0) + size_t(w) * h);
        ok[eye].assign(mFull.ptr<uint8_t>(0), mFull.ptr<uint8_t>(0) + size_t(w) * h);
      }
    }
    filterAlongEdges(eyes[0], ok[0], l, w, h);
    filterAlongEdges(eyes[1], ok[1], r, w, h);
    DisparityMaps maps;
    maps.width = w;
    maps.height = h;
    maps.left = std::move(eyes[0]);
    maps.right = std::move(eyes[1]);
    return maps;
  } catch (const std::bad_alloc&) {
    return {};
  } catch (const cv::Exception&) {  // OpenCV's own allocation failure
    return {};
  }
}

DepthScale depthScaleOf(const DisparityMaps& d) {
  float low = 0, high = 0;  // the panel's plane is among them
  for (const std::vector<float>* m : {&d.left, &d.right}) {
    for (float v : *m) {
      low = std::min(low, v);
      high = std::max(high, v);
    }
  }
  const double span = std::max(1.0, static_cast<double>(high) - low);
  return {span, -low / span};
}

DepthMap depthOfDisparity(const std::vector<float>& disparity, int width, int height,
                          const DepthScale& scale) {
  DepthMap z{std::vector<float>(disparity.size()), width, height};
  for (size_t i = 0; i < disparity.size(); ++i) {
    z.z[i] =
        std::clamp(static_cast<float>(scale.focus + disparity[i] / scale.disparity), 0.0f, 1.0f);
  }
  return z;
}

compose::MultiViewPicture viewsFromPair(compose::ConstPixelBuffer left,
                                        compose::ConstPixelBuffer right, const DisparityMaps& d,
                                        int views) {
  const int w = left.width, h = left.height;
  compose::MultiViewPicture out;
  try {
    const DepthScale scale = depthScaleOf(d);
    const DepthMap zLeft = depthOfDisparity(d.left, w, h, scale);
    const DepthMap zRight = depthOfDisparity(d.right, w, h, scale);
    out.pixels.assign(static_cast<size_t>(w) * views * h, 0);
    out.width = w * views;
    out.height = h;
    const float D = static_cast<float>(scale.disparity), F = static_cast<float>(scale.focus);
    const float sameSurface = kSameSurface / D;
    compose::splitRows(h, int64_t{w} * views * 2, [&](int64_t begin, int64_t end) {
      std::vector<uint32_t> fromRight(w);
      std::vector<float> zl(w), zr(w);
      for (int64_t y = begin; y < end; ++y) {
        const uint32_t* l = left.pixels + y * w;
        const uint32_t* r = right.pixels + y * w;
        for (int k = 0; k < views; ++k) {
          uint32_t* view = out.pixels.data() + y * out.width + int64_t{k} * w;
          if (k == 0 || k == views - 1) {  // the eyes themselves
            std::copy(k == 0 ? l : r, (k == 0 ? l : r) + w, view);
            continue;
          }
          const float a = static_cast<float>(k) / static_cast<float>(views - 1);
          warpRowOpen(l, zLeft.z.data() + y * w, w, -a * D, F, view, zl.data());
          warpRowOpen(r, zRight.z.data() + y * w, w, (1 - a) * D, F, fromRight.data(), zr.data());
          for (int t = 0; t < w; ++t) {
            const bool leftGap = zl[t] == kRowGap, rightGap = zr[t] == kRowGap;
            if (rightGap || (!leftGap && zl[t] > zr[t] + sameSurface)) continue;  // left's
            if (leftGap || zr[t] > zl[t] + sameSurface) {
              view[t] = fromRight[t];
              zl[t] = zr[t];
            } else {  // one surface seen by both: the nearer eye counts more
              view[t] = mix(view[t], fromRight[t], a);
              zl[t] = zl[t] + a * (zr[t] - zl[t]);
            }
          }
          fillRowGaps(view, zl.data(), w);
        }
      }
    });
  } catch (const std::bad_alloc&) {
    return {};
  }
  return out;
}

}  // namespace views
