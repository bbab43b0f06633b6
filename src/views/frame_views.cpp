#include "views/frame_views.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "views/stereo_views.h"

namespace views {

namespace {

// Compressed frames bleed the picture's colour a few columns into the depth half (a
// column of a 640-wide half is 0.16 % of it); a colour picture is far beyond this.
constexpr double kColouredShareOfMovies = 0.02;

// Copies the half of a side-by-side frame from column `from` into `half`.
compose::ConstPixelBuffer halfOf(compose::ConstPixelBuffer frame, int from,
                                 std::vector<uint32_t>& half) {
  const int w = frame.width / 2;
  half.resize(static_cast<size_t>(w) * static_cast<size_t>(frame.height));
  for (int y = 0; y < frame.height; ++y) {
    std::copy_n(frame.pixels + static_cast<size_t>(y) * frame.width + from, w,
                half.data() + static_cast<size_t>(y) * w);
  }
  return {half.data(), w, frame.height};
}

}  // namespace

FrameViews depthFrameViews(const DepthParams& p) {
  auto picture = std::make_shared<std::vector<uint32_t>>();
  auto grey = std::make_shared<std::vector<uint32_t>>();
  return [p, picture, grey](compose::ConstPixelBuffer frame, compose::MultiViewPicture& made,
                            std::string& error) {
    const compose::ConstPixelBuffer colour = halfOf(frame, 0, *picture);
    const compose::ConstPixelBuffer depthHalf = halfOf(frame, frame.width / 2, *grey);
    const DepthMap depth = depthFromGreyPicture(depthHalf, colour.width, colour.height, error,
                                                nullptr, kColouredShareOfMovies);
    if (!error.empty()) return false;
    if (!viewsFromDepthInto(colour, depth, p, made)) {
      error = "not enough memory for the views";
      return false;
    }
    return true;
  };
}

FrameViews stereoFrameViews(int views, bool crossed) {
  auto left = std::make_shared<std::vector<uint32_t>>();
  auto right = std::make_shared<std::vector<uint32_t>>();
  return [views, crossed, left, right](compose::ConstPixelBuffer frame,
                                       compose::MultiViewPicture& made, std::string& error) {
    const int w = frame.width / 2;
    const compose::ConstPixelBuffer l = halfOf(frame, crossed ? w : 0, *left);
    const compose::ConstPixelBuffer r = halfOf(frame, crossed ? 0 : w, *right);
    const DisparityMaps maps = disparityOfPair(l, r);
    if (!maps.empty()) made = viewsFromPair(l, r, maps, views);
    if (maps.empty() || made.pixels.empty()) {
      error = "not enough memory for the views";
      return false;
    }
    return true;
  };
}

}  // namespace views
