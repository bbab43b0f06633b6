#include "app/movie_views.h"

#include <algorithm>

#include "app/compose_pixels.h"

namespace app {

MultiViewPicture multiViewFromMovie(MovieCapture& movie, const std::vector<int>& frames,
                                    bool rightToLeft) {
  MultiViewPicture picture;
  if (frames.size() < 2) return picture;
  const int views = static_cast<int>(frames.size()) - 1;
  const int frameWidth = static_cast<int>(truncToInt64(movie.property(kFrameWidth)));
  const int frameHeight = static_cast<int>(truncToInt64(movie.property(kFrameHeight)));
  if (frameWidth < 1 || frameHeight < 1) return picture;
  picture.width = views * frameWidth;
  picture.height = frameHeight;
  picture.pixels.assign(static_cast<size_t>(picture.width) * frameHeight, 0);
  std::vector<uint32_t> frameBuffer(static_cast<size_t>(frameWidth) * frameHeight, 0);
  for (int step = 0; step <= views; ++step) {
    const int view = rightToLeft ? views - step : step;
    movie.setProperty(kPosFrames, frames[view] - 1);
    const MovieFrame* f = movie.queryFrame();
    if (!f) {
      picture.unreadFrames.push_back(frames[view]);
      continue;
    }
    convertFrameToImage(*f, frameBuffer.data(), frameWidth, frameHeight);
    const int x = (rightToLeft ? views - view : view) * frameWidth;
    const int columns = std::min(frameWidth, picture.width - x);
    if (columns <= 0) continue;
    for (int y = 0; y < frameHeight; ++y) {
      std::copy_n(frameBuffer.data() + static_cast<size_t>(y) * frameWidth, columns,
                  picture.pixels.data() + static_cast<size_t>(y) * picture.width + x);
    }
  }
  return picture;
}

}  // namespace app
