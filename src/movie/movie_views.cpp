#include "movie/movie_views.h"

#include <algorithm>
#include <numeric>

#include "compose/compose_pixels.h"

namespace movie {

void takeViewFrames(MovieCapture& movie, const std::vector<int>& frames, bool rightToLeft,
                    const PlaceView& place) {
  if (frames.empty()) return;
  const int views = static_cast<int>(frames.size()) - 1;
  const int lastView = rightToLeft ? 0 : views;
  std::vector<int> order(frames.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&frames](int a, int b) { return frames[a] < frames[b]; });
  auto take = [&movie](int frame) {
    movie.setProperty(kPosFrames, frame - 1);
    return movie.queryFrame();
  };
  // The frame the order ends on stays in memory while the others are read.
  movie.keepFrame(frames[lastView] - 1);
  for (const int view : order) place(view, take(frames[view]));
  if (frames[order.back()] != frames[lastView]) {
    if (const MovieFrame* f = take(frames[lastView])) place(lastView, f);
  }
  movie.keepFrame(-1);
}

compose::MultiViewPicture multiViewFromMovie(MovieCapture& movie, const std::vector<int>& frames,
                                             bool rightToLeft) {
  compose::MultiViewPicture picture;
  if (frames.size() < 2) return picture;
  const int views = static_cast<int>(frames.size()) - 1;
  const int frameWidth = static_cast<int>(compose::truncToInt64(movie.property(kFrameWidth)));
  const int frameHeight = static_cast<int>(compose::truncToInt64(movie.property(kFrameHeight)));
  if (frameWidth < 1 || frameHeight < 1) return picture;
  picture.width = views * frameWidth;
  picture.height = frameHeight;
  picture.pixels.assign(static_cast<size_t>(picture.width) * frameHeight, 0);
  std::vector<uint32_t> frameBuffer(static_cast<size_t>(frameWidth) * frameHeight, 0);
  std::vector<int> unreadViews;
  takeViewFrames(movie, frames, rightToLeft, [&](int view, const MovieFrame* f) {
    if (!f) {
      unreadViews.push_back(view);
      return;
    }
    const int x = viewColumn(view, views, frameWidth, rightToLeft);
    const int columns = std::min(frameWidth, picture.width - x);
    if (columns <= 0) return;
    convertFrameToImage(*f, frameBuffer.data(), frameWidth, frameHeight);
    for (int y = 0; y < frameHeight; ++y) {
      std::copy_n(frameBuffer.data() + static_cast<size_t>(y) * frameWidth, columns,
                  picture.pixels.data() + static_cast<size_t>(y) * picture.width + x);
    }
  });
  // make< meets its views from the highest down.
  std::sort(unreadViews.begin(), unreadViews.end());
  if (rightToLeft) std::reverse(unreadViews.begin(), unreadViews.end());
  for (const int view : unreadViews) picture.unreadFrames.push_back(frames[view]);
  return picture;
}

}  // namespace movie
