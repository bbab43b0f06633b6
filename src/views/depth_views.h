// Views made from one picture and its depth map: every pixel moved sideways by how far
// its depth lies from the panel's plane, as a camera sliding past the scene would see it.
//
// V views, k = 0 .. V - 1, view 0 the leftmost camera. A point at column x with depth z
// (0 far .. 1 near) appears in view k at column x + (z - F) D (0.5 - k / (V - 1)): D is
// the shift between the outermost views per unit of depth away from the focus F, the
// depth that stays in place. The picture itself is the view at the middle.
#pragma once

#include <string>
#include <vector>

#include "compose/compose_pixels.h"

namespace views {

struct DepthParams {
  int views = 8;         // V, 2 or more
  double disparity = 0;  // D, pixels
  double focus = 0.5;    // F, 0..1
};

// Depth 0..1 per pixel (white near), rows top-down.
struct DepthMap {
  std::vector<float> z;
  int width = 0;
  int height = 0;
};

// The depth map of a grey picture (words 0x00RRGGBB) at width x height, resized to it
// when its own size differs with the same shape. Empty, with the reason in `refusal`,
// for a picture that is not grey or whose shape differs. A picture stored with 16 bits
// a channel gives its 16-bit levels too (one per pixel), which are used instead of
// the words' 8 bits. Up to `colouredShare` of the pixels may be coloured (their luma is
// the depth): a movie's frames carry some colour into the depth half across the seam.
DepthMap depthFromGreyPicture(compose::ConstPixelBuffer grey, int width, int height,
                              std::string& refusal, const uint16_t* levels16 = nullptr,
                              double colouredShare = 0);

// The V views side by side, each the picture's size; empty when memory fails.
compose::MultiViewPicture viewsFromDepth(compose::ConstPixelBuffer picture, const DepthMap& depth,
                                         const DepthParams& p);

// The same views into `out`, whose storage is kept when its size is already right, so a
// caller making views frame after frame pays for the memory once. False, with `out`
// empty, when memory fails.
bool viewsFromDepthInto(compose::ConstPixelBuffer picture, const DepthMap& depth,
                        const DepthParams& p, compose::MultiViewPicture& out);

// The same views made the straight way, one row of one view at a time: the oracle the
// fast way is held to, bit for bit.
compose::MultiViewPicture viewsFromDepthStraight(compose::ConstPixelBuffer picture,
                                                 const DepthMap& depth, const DepthParams& p);

// One view, seen `shiftPerDepth` = D (0.5 - k / (V - 1)) pixels per unit of depth from
// the focus, into `out` (the picture's size). Forward warping with sub-pixel accuracy:
// neighbouring pixels on one surface are joined, so slopes leave no cracks; nearer
// points win; a gap that opens at an edge is filled from its farther side.
void warpView(compose::ConstPixelBuffer picture, const DepthMap& depth, double shiftPerDepth,
              double focus, compose::PixelBuffer out);

}  // namespace views
