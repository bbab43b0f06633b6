#include "compose/view_frames.h"

#include "compose/compose_pixels.h"

namespace compose {

std::vector<int> spreadViewFrames(int left, int right, int views) {
  if (views < 1) return {left};
  std::vector<int> frames(static_cast<size_t>(views) + 1);
  frames[0] = left;
  frames[views] = right;
  for (int i = 1; i < views; ++i) {
    const double step =
        (static_cast<double>(i) * (static_cast<double>(right) - left) + 0.5) / views;
    frames[i] = left + static_cast<int>(truncToInt64(step));
  }
  return frames;
}

}  // namespace compose
