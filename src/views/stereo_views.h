// Views made from a stereo pair: the disparity of each eye found by semi-global
// matching, checked left against right and filled along the pictures' edges, then every
// view between the eyes warped from both, weighted by how near it lies to each.
//
// The left eye is view 0 and the right eye view V - 1. A point at column xL in the left
// picture and xR in the right has the disparity d = xL - xR (larger is nearer); in view
// k, a = k / (V - 1), it lies at xL - a d = xR + (1 - a) d. As a depth map in the
// convention of the views from depth (z 0 far .. 1 near, D, F), d = (z - F) D.
#pragma once

#include <vector>

#include "compose/compose_pixels.h"
#include "views/depth_views.h"

namespace views {

// Each eye's disparity per pixel, rows top-down, in pixels.
struct DisparityMaps {
  std::vector<float> left, right;
  int width = 0;
  int height = 0;
  bool empty() const { return left.empty(); }
};

// The disparities of a pair of one size (words 0x00RRGGBB), searched from -range / 2 to
// range / 2 pixels (0: an eighth of the width, at least 32). Empty when memory fails.
DisparityMaps disparityOfPair(compose::ConstPixelBuffer left, compose::ConstPixelBuffer right,
                              int range = 0);

// D and F that put every disparity found in depths 0..1, with d 0 (the panel's plane)
// among them, so that F is a focus the views from depth take.
struct DepthScale {
  double disparity = 1;  // D, pixels
  double focus = 0.5;    // F
};
DepthScale depthScaleOf(const DisparityMaps& d);

// One eye's disparities as depths z = F + d / D.
DepthMap depthOfDisparity(const std::vector<float>& disparity, int width, int height,
                          const DepthScale& scale);

// The V views (2 or more) side by side, view 0 the left picture and view V - 1 the right;
// empty when memory fails.
compose::MultiViewPicture viewsFromPair(compose::ConstPixelBuffer left,
                                        compose::ConstPixelBuffer right, const DisparityMaps& d,
                                        int views);

}  // namespace views
